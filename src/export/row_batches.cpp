// Rows of the database's tables made ready to insert: cells to bound values, and the queue.
#include "export/row_batches.h"

#include <algorithm>

#include "export/date.h"
#include "export/sqlite_tables.h"
#include "platform/code_page.h"

namespace brimsel {
namespace {

bool ParseNumber(std::string_view text, std::int64_t& value) {
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty() || text.size() > 18) return false;
  std::int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  value = negative ? -v : v;
  return true;
}

}  // namespace

std::size_t SortableDate(std::string_view date, int quality, TableEncoding encoding,
                         SortableDateText& text) {
  char* const out = text.data();
  // An odd code from 145 to 255 was normalised; one less is a standing-in event's.
  const int code = quality | 1;
  if (code < 145 || code > 255 || quality < 144) return 0;
  const int given = code - 145;
  if ((given & 8) == 0) return 0;  // no year: nothing to sort by
  // "day month year", as the normaliser writes it.
  const std::size_t first = date.find(' ');
  const std::size_t last = date.rfind(' ');
  if (first == std::string_view::npos || first == last || first == 0) return 0;
  const std::string_view dayText = date.substr(0, first);
  const std::string_view monthText = date.substr(first + 1, last - first - 1);
  const std::string_view yearText = date.substr(last + 1);
  std::int64_t day = 0, year = 0;
  if (!ParseNumber(dayText, day) || !ParseNumber(yearText, year) || year < 0 || year > 9999999999) {
    return 0;
  }
  static const auto kNames = [] {
    std::array<std::array<std::string_view, 13>, 2> names{};
    for (std::size_t k = 1; k <= 12; ++k) {
      names[0][k] = kMonthNames[k];
      names[1][k] = kMonthNamesUtf8[k];
    }
    return names;
  }();
  const auto& names = kNames[encoding == TableEncoding::kUtf8 ? 1 : 0];
  int month = 0;
  for (std::size_t k = 1; k <= 12 && month == 0; ++k) {
    if (monthText == names[k]) month = static_cast<int>(k);
  }
  if (month == 0 || day < 1 || day > 31) return 0;
  // The year with at least four digits, then the month and the day when given.
  char digits[12];
  int n = 0;
  for (std::int64_t y = year; y != 0 || n < 4; y /= 10)
    digits[n++] = static_cast<char>('0' + y % 10);
  std::size_t length = 0;
  while (n > 0) out[length++] = digits[--n];
  auto twoDigits = [&](int v) {
    out[length++] = '-';
    out[length++] = static_cast<char>('0' + v / 10);
    out[length++] = static_cast<char>('0' + v % 10);
  };
  if ((given & 4) != 0) {
    twoDigits(month);
    if ((given & 2) != 0) twoDigits(static_cast<int>(day));
  }
  return length;
}

std::unique_ptr<RowBatch> BatchQueue::Take(int table) {
  std::unique_ptr<RowBatch> batch;
  {
    std::lock_guard<std::mutex> hold(lock_);
    if (!spare_.empty()) {
      batch = std::move(spare_.back());
      spare_.pop_back();
    }
  }
  if (!batch) batch = std::make_unique<RowBatch>();
  batch->table = table;
  batch->rows = 0;
  batch->values.clear();
  batch->text.clear();
  return batch;
}

bool BatchQueue::Push(std::unique_ptr<RowBatch> batch) {
  if (direct_) {
    if (!Cause().empty()) return false;
    const bool inserted = direct_(*batch);
    Give(std::move(batch));
    return inserted;
  }
  std::unique_lock<std::mutex> hold(lock_);
  changed_.wait(hold, [&] { return aborted_ || full_.size() < kDepth; });
  if (aborted_) return false;
  full_.push_back(std::move(batch));
  changed_.notify_all();
  return true;
}

std::unique_ptr<RowBatch> BatchQueue::Pop() {
  std::unique_lock<std::mutex> hold(lock_);
  changed_.wait(hold, [&] { return aborted_ || finished_ || !full_.empty(); });
  if (aborted_ || full_.empty()) return nullptr;
  std::unique_ptr<RowBatch> batch = std::move(full_.front());
  full_.pop_front();
  changed_.notify_all();
  return batch;
}

void BatchQueue::Give(std::unique_ptr<RowBatch> batch) {
  std::lock_guard<std::mutex> hold(lock_);
  spare_.push_back(std::move(batch));
}

void BatchQueue::Finish() {
  std::lock_guard<std::mutex> hold(lock_);
  finished_ = true;
  changed_.notify_all();
}

void BatchQueue::Abort(std::string cause) {
  std::lock_guard<std::mutex> hold(lock_);
  if (!aborted_) cause_ = cause.empty() ? "aborted" : std::move(cause);
  aborted_ = true;
  changed_.notify_all();
}

std::string BatchQueue::Cause() const {
  std::lock_guard<std::mutex> hold(lock_);
  return cause_;
}

KeyRanges KeyRanges::Of(const GedcomModel& m) {
  auto bounded = [](std::size_t size, int count) {
    return static_cast<std::int64_t>(std::min(size, static_cast<std::size_t>(std::max(count, 0))));
  };
  KeyRanges k;
  const Dictionary* lists[3] = {m.surnames.get(), m.givenNames.get(), m.places.get()};
  for (std::size_t t = 0; t < 3; ++t) {
    k.first[t] = 1;
    k.count[t] = lists[t] != nullptr ? lists[t]->count : 0;
  }
  k.first[3] = k.first[5] = m.indiBase;
  k.first[4] = k.first[6] = m.famBase;
  k.count[3] = k.count[5] = bounded(m.individuals.size(), m.counts.individuals) +
                            bounded(m.addedSexes.size(), m.counts.added);
  k.count[4] = k.count[6] = bounded(m.unions.size(), m.counts.unions);
  return k;
}

RowEncoder::RowEncoder(int table, const GedcomModel& m, const KeyRanges& keys, BatchQueue& queue)
    : schema_(DatabaseTables()[static_cast<std::size_t>(table)]),
      table_(table),
      m_(m),
      keys_(keys),
      queue_(queue),
      individuals_(std::min(m.individuals.size(),
                            static_cast<std::size_t>(std::max(m.counts.individuals, 0)))),
      source_(schema_.columns.size(), -1) {
  // The code lists hold, in the order of Table, the surnames, the given names and the places.
  const Dictionary* lists[3] = {m.surnames.get(), m.givenNames.get(), m.places.get()};
  if (table < 3) dictionary_ = lists[table];
}

bool RowEncoder::Fail(const std::string& why) {
  queue_.Abort(std::string("table ") + schema_.name + ": " + why);
  return false;
}

bool RowEncoder::Take(const RowSplitter::Cells& cells) {
  return header_ ? Header(cells) : Row(cells);
}

bool RowEncoder::Header(const RowSplitter::Cells& cells) {
  header_ = false;
  std::size_t k = 0;
  for (std::size_t c = 0; c < schema_.columns.size(); ++c) {
    const DatabaseColumn& column = schema_.columns[c];
    if (column.cell == Cell::kSortable) continue;
    if (k < cells.size() && cells[k] == column.name) {
      source_[c] = static_cast<int>(k++);
    } else if (column.cell != Cell::kRefCount) {
      return Fail("unexpected header");
    }
  }
  if (k != cells.size()) return Fail("unexpected header");
  width_ = k;
  return true;
}

void RowEncoder::Text(BoundValue& v, std::string_view text) {
  if (text.empty()) return;  // NULL
  std::string& out = batch_->text;
  v.kind = BoundValue::kText;
  v.offset = out.size();
  if (m_.tableEncoding == TableEncoding::kUtf8) {
    out.append(text);
  } else {
    AppendCp1252AsUtf8(out, text);
  }
  v.length = static_cast<std::uint32_t>(out.size() - v.offset);
}

bool RowEncoder::Row(const RowSplitter::Cells& cells) {
  if (cells.size() != width_) return Fail("unexpected row " + std::to_string(row_ + 1));
  if (!batch_) batch_ = queue_.Take(table_);
  const std::size_t n = schema_.columns.size();
  std::vector<BoundValue>& values = batch_->values;
  values.resize(values.size() + n);
  BoundValue* const row = values.data() + values.size() - n;
  std::int64_t own = 0;
  for (std::size_t c = 0; c < n; ++c) {
    const DatabaseColumn& column = schema_.columns[c];
    BoundValue& v = row[c];
    const int at = source_[c];
    const std::string_view cell =
        at >= 0 ? cells[static_cast<std::size_t>(at)] : std::string_view();
    std::int64_t number = 0;
    switch (column.cell) {
      case Cell::kKey:
      case Cell::kNumber:
        if (!ParseNumber(cell, number)) return Fail(std::string("unexpected ") + column.name);
        if (column.cell == Cell::kKey) own = number;
        v.kind = BoundValue::kInteger;
        v.number = number;
        break;
      case Cell::kRefCount:
        if (at >= 0) {
          if (!ParseNumber(cell, number)) return Fail(std::string("unexpected ") + column.name);
        } else if (dictionary_ != nullptr && own >= 1 && own <= dictionary_->count) {
          number = dictionary_->Entry(static_cast<int>(own - 1)).refCount;
        }
        v.kind = BoundValue::kInteger;
        v.number = number;
        break;
      case Cell::kReference:
      case Cell::kParents: {
        if (!ParseNumber(cell, number)) return Fail(std::string("unexpected ") + column.name);
        const auto t = static_cast<std::size_t>(column.references);
        bool none = number < keys_.first[t] || number - keys_.first[t] >= keys_.count[t];
        // The parents' union from the model: the table writes 0 for none, which is also the
        // first union's number when the unions are numbered from 0.
        if (column.cell == Cell::kParents) {
          none = none || row_ >= individuals_ || m_.individuals[row_].famc < 0;
        }
        if (!none) {
          v.kind = BoundValue::kInteger;
          v.number = number;
        }
        break;
      }
      case Cell::kText:
        Text(v, cell);
        break;
      case Cell::kSortable: {
        // Between its date (the column before) and the date's code (the column after).
        const int date = source_[c - 1];
        const int code = source_[c + 1];
        std::int64_t quality = 0;
        SortableDateText iso;
        std::size_t length = 0;
        if (date >= 0 && code >= 0 && ParseNumber(cells[static_cast<std::size_t>(code)], quality)) {
          length = SortableDate(cells[static_cast<std::size_t>(date)], static_cast<int>(quality),
                                m_.tableEncoding, iso);
        }
        if (length != 0) {
          v.kind = BoundValue::kText;
          v.offset = batch_->text.size();
          v.length = static_cast<std::uint32_t>(length);
          batch_->text.append(iso.data(), length);
        }
        break;
      }
    }
  }
  ++row_;
  if (++batch_->rows == RowBatch::kRows) return Flush();
  return true;
}

bool RowEncoder::Flush() {
  if (!batch_ || batch_->rows == 0) return queue_.Cause().empty();
  return queue_.Push(std::move(batch_));
}

}  // namespace brimsel
