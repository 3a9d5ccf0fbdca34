// The complete reader: the file cut into parts at level-0 lines, read twice. The first pass
// numbers the records and indexes their cross-references; the second parses each part into
// rows on worker threads, and the calling thread completes their ids in file order.
#include "records/complete_reader.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "platform/line_reader.h"
#include "platform/ordered_parallel.h"
#include "platform/utf16_source.h"
#include "records/gedcom_line_parts.h"
#include "records/record_parser.h"
#include "records/text_ids.h"
#include "records/xref_index.h"

namespace brimsel {
namespace {

constexpr std::int64_t kDefaultPartBytes = std::int64_t{256} << 10;
// The line reader's block for a part: each part's reader fills a new one.
constexpr std::size_t kPartBlock = std::size_t{64} << 10;
// Most threads the reader takes by itself, and the least text each must have.
constexpr int kMaxDefaultThreads = 4;
constexpr std::int64_t kMinBytesPerThread = std::int64_t{4} << 20;
constexpr int kMaxThreads = 64;
// Rows per block of the tables handed out at the end.
constexpr std::size_t kEndBlockRows = 1 << 16;

std::size_t Index(CompleteTable t) {
  return static_cast<std::size_t>(t);
}

// Tables whose ids the parts give in full: the records and their kinds' tables.
bool HasFinalIds(std::size_t table) {
  switch (static_cast<CompleteTable>(table)) {
    case CompleteTable::kRecord:
    case CompleteTable::kPerson:
    case CompleteTable::kFamily:
    case CompleteTable::kSource:
    case CompleteTable::kRepository:
    case CompleteTable::kMedia:
    case CompleteTable::kSubmitter:
      return true;
    default:
      return false;
  }
}

// The column of a table called `name`.
std::size_t ColumnOf(CompleteTable table, std::string_view name) {
  const std::vector<ColumnSchema>& columns = CompleteTableSchema(table).columns;
  std::size_t c = 0;
  while (c < columns.size() && columns[c].name != name) ++c;
  return c;
}

// What the consumer does to each column of a table's rows from a part.
struct ColumnFix {
  std::size_t column;
  std::size_t table;  // the table whose ids it holds
};
const std::vector<std::vector<ColumnFix>>& ColumnFixes() {
  static const std::vector<std::vector<ColumnFix>> fixes = [] {
    const std::vector<TableSchema>& tables = CompleteTables();
    std::vector<std::vector<ColumnFix>> all(tables.size());
    for (std::size_t t = 0; t < tables.size(); ++t) {
      for (std::size_t c = 0; c < tables[t].columns.size(); ++c) {
        const ColumnSchema& column = tables[t].columns[c];
        std::size_t target = tables.size();
        if (column.role == ColumnRole::kKey) {
          target = t;
        } else if (column.role == ColumnRole::kReference) {
          for (std::size_t u = 0; u < tables.size(); ++u) {
            if (std::string_view(tables[u].name) == column.references) target = u;
          }
        }
        if (target < tables.size() && !HasFinalIds(target)) all[t].push_back({c, target});
      }
    }
    return all;
  }();
  return fixes;
}

// Where parts start in the text (after the byte-order mark): level-0 lines near multiples of
// `partBytes`, found in a window read at each.
std::vector<std::int64_t> FindRecordCuts(ByteSource& source, std::int64_t skip, std::int64_t size,
                                         std::int64_t partBytes) {
  // A window as long as a part at most: small parts (in the tests) read little.
  const auto kWindow =
      static_cast<std::size_t>(std::clamp<std::int64_t>(partBytes, 256, std::int64_t{16} << 10));
  std::vector<std::int64_t> cuts;
  std::string window;
  for (std::int64_t target = partBytes; target < size; target += partBytes) {
    if (!cuts.empty() && target <= cuts.back()) continue;
    std::unique_ptr<ByteSource> near = source.Range(skip + target - 1, skip + target - 1 + kWindow);
    if (!near) return {};
    window.assign(kWindow, '\0');
    std::size_t got = 0;
    while (got < kWindow) {
      const std::ptrdiff_t n = near->Read(window.data() + got, kWindow - got);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    window.resize(got);
    // A byte after a LF or CR that is neither starts a line (a LF or CR is a line end or the
    // partner of one). The line must be a level-0 line as the parser reads it: what the window
    // holds of it must already show a tag.
    for (std::size_t i = 1; i < window.size(); ++i) {
      const char before = window[i - 1];
      if ((before != '\n' && before != '\r') || window[i] == '\n' || window[i] == '\r') continue;
      std::size_t end = i;
      while (end < window.size() && window[end] != '\n' && window[end] != '\r' &&
             window[end] != '\0' && window[end] != 26) {
        ++end;
      }
      const GedcomLineParts p = SplitGedcomLine(std::string_view(window).substr(i, end - i));
      if (!p.valid || p.level != 0) continue;
      const std::int64_t at = target - 1 + static_cast<std::int64_t>(i);
      if (at < size && (cuts.empty() || at > cuts.back())) cuts.push_back(at);
      break;
    }
  }
  return cuts;
}

// What follows the first comma of a place text, trimmed, without the empty parts before it;
// empty when nothing does.
std::string_view PlaceTail(std::string_view name) {
  for (std::size_t comma = name.find(','); comma != std::string_view::npos; comma = 0) {
    name = TrimLineBlanks(name.substr(comma + 1));
    if (name.empty() || name.front() != ',') return name;
  }
  return {};
}

// The level-0 lines of a part, from the first pass.
struct IndexedRecord {
  RecordKind kind;
  std::size_t xrefOffset;
  std::size_t xrefSize;
};
struct IndexPart {
  std::vector<IndexedRecord> records;
  std::string xrefs;
  std::int64_t lines = 0;
  bool startsWithRecord = true;
  bool failed = false;
  bool stopped = false;  // a byte 26 ended the input in this part
};

// The rows of a part and how its reading went.
struct RowPart {
  std::unique_ptr<PartRows> rows;
  bool failed = false;
};

// Integer rows kept until the end of the file; NULL is kNull.
class HeldRows {
 public:
  static constexpr std::int64_t kNull = std::numeric_limits<std::int64_t>::min();
  explicit HeldRows(std::size_t columns) : columns_(columns) {}
  void Add(const RowBlock& b) {
    for (std::size_t r = 0; r < b.Rows(); ++r) {
      for (std::size_t c = 0; c < columns_; ++c) {
        const Value v = b.At(r, c);
        cells_.push_back(v.kind == Value::kInteger ? v.integer : kNull);
      }
    }
  }
  std::size_t Rows() const { return cells_.size() / columns_; }
  std::int64_t At(std::size_t row, std::size_t column) const {
    return cells_[row * columns_ + column];
  }

 private:
  std::size_t columns_;
  std::vector<std::int64_t> cells_;
};

class Reader {
 public:
  Reader(ByteSource& source, const CompleteReadOptions& options, CompleteRowSink& sink)
      : source_(source), options_(options), sink_(sink) {}

  CompleteReadResult Run();

 private:
  struct PlaceRow {
    std::string name;
    std::int64_t parent = 0;
    std::optional<double> latitude;
    std::optional<double> longitude;
  };
  // A family's child and a FAMC's pedigree, kept to the end of the file in 32 bits: ids of
  // records, which the index of cross-references holds in 32 bits too.
  struct HeldChild {
    std::uint32_t family;
    std::uint32_t child;
    std::uint32_t seq;
  };
  struct HeldPedigree {
    std::uint32_t child;
    std::uint32_t family;
    std::uint32_t text;
  };
  static std::uint32_t Held(std::int64_t v) {
    if (v < 0 || v > std::numeric_limits<std::uint32_t>::max()) throw std::bad_alloc();
    return static_cast<std::uint32_t>(v);
  }

  bool Plan();
  std::unique_ptr<ByteSource> OpenPart(std::size_t k);
  IndexPart IndexOnePart(std::size_t k);
  bool TakeIndex(std::size_t k, IndexPart part);
  RowPart ParseOnePart(std::size_t k);
  bool TakeRows(std::size_t k, RowPart part);
  bool HandOut(const RowBlock& block);
  // Hands out `block` and empties it once it holds kEndBlockRows rows.
  bool HandOutWhenFull(RowBlock& block) {
    if (block.Rows() < kEndBlockRows) return true;
    if (!HandOut(block)) return false;
    block.Clear();
    return true;
  }
  bool HandOutEnd();
  std::int64_t PlaceId(std::string_view name);
  bool Fail(CompleteReadOutcome outcome, std::string detail) {
    if (result_.outcome == CompleteReadOutcome::kRead) {
      result_.outcome = outcome;
      result_.detail = std::move(detail);
    }
    return false;
  }
  bool StopRequested() {
    if (options_.stopRequested && options_.stopRequested()) {
      return !Fail(CompleteReadOutcome::kStopped, "stopped");
    }
    return false;
  }
  void Progress(std::int64_t bytes) {
    done_ += bytes;
    if (options_.progress) options_.progress(done_, 2 * textSize_);
  }
  // Parts waiting for the calling thread hold their rows: one more than the threads keeps the
  // threads busy without holding much.
  OrderedRun Threads() const {
    OrderedRun run;
    run.threads = threads_;
    run.ahead = static_cast<std::size_t>(threads_) + 1;
    return run;
  }

  ByteSource& source_;
  const CompleteReadOptions& options_;
  CompleteRowSink& sink_;
  CompleteReadResult result_;

  std::size_t skip_ = 0;
  std::int64_t textSize_ = 0;
  bool whole_ = false;                // one part read from the start of the source itself
  std::vector<std::int64_t> begins_;  // each part's first byte in the text
  int threads_ = 1;
  std::int64_t done_ = 0;

  FileIndex index_;
  // Rows of parts already handed out, and parsers done with their part, kept for the next
  // parts: their memory is warm.
  std::mutex spareLock_;
  std::vector<std::unique_ptr<PartRows>> spare_;
  std::vector<std::unique_ptr<RecordParser>> spareParsers_;
  std::vector<PartStart> starts_;
  std::vector<std::int64_t> partLines_;
  std::vector<std::int64_t> partRecords_;
  std::int64_t records_ = 0;
  std::int64_t lines_ = 0;
  std::array<std::int64_t, kRecordKindCount> kinds_{};
  std::size_t usedParts_ = 0;

  std::array<std::int64_t, kCompleteTableCount> bases_{};
  std::vector<std::int64_t> noteIds_;  // the note id of each NOTE record, by rank
  HeldRows noteLinks_{CompleteTableSchema(CompleteTable::kNoteLink).columns.size()};
  std::vector<HeldChild> children_;
  std::vector<HeldPedigree> pedigrees_;
  std::vector<std::string> pedigreeTexts_;
  TextIds pedigreeIds_;
  std::vector<PlaceRow> places_;
  TextIds placeIds_;
  DecodeCounts decoded_;
};

std::int64_t PartBytes(const CompleteReadOptions& options) {
  return options.partBytes > 0 ? options.partBytes : kDefaultPartBytes;
}

bool Reader::Plan() {
  if (!source_.Rewind())
    return Fail(CompleteReadOutcome::kReadError, "cannot read the file from its start");
  char first[4];
  std::size_t got = 0;
  while (got < sizeof first) {
    const std::ptrdiff_t n = source_.Read(first + got, sizeof first - got);
    if (n < 0) return Fail(CompleteReadOutcome::kReadError, "read error");
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  const Charset set = options_.charset.kind;
  skip_ = IsUtf16(set) ? 0 : OwnByteOrderMarkSize(set, std::string_view(first, got));
  const std::int64_t size = source_.Size();
  textSize_ = std::max<std::int64_t>(size - static_cast<std::int64_t>(skip_), 0);
  std::vector<std::int64_t> cuts;
  whole_ = IsUtf16(set) || size < 0 || !source_.Range(0, 0);
  if (!whole_)
    cuts =
        FindRecordCuts(source_, static_cast<std::int64_t>(skip_), textSize_, PartBytes(options_));
  begins_.assign(1, 0);
  begins_.insert(begins_.end(), cuts.begin(), cuts.end());
  if (options_.threads > 0) {
    threads_ = std::min(options_.threads, kMaxThreads);
  } else {
    const int cores = std::max(static_cast<int>(std::thread::hardware_concurrency()), 1);
    const std::int64_t worth = std::max<std::int64_t>(textSize_ / kMinBytesPerThread, 1);
    threads_ = static_cast<int>(std::min<std::int64_t>({cores, kMaxDefaultThreads, worth}));
  }
  return true;
}

std::unique_ptr<ByteSource> Reader::OpenPart(std::size_t k) {
  // The source itself, rewound, read through the sources that skip the byte-order mark or
  // serve UTF-16 as UTF-8; only one part then, read on one thread at a time.
  class Whole final : public ByteSource {
   public:
    Whole(ByteSource& source, std::size_t skip, Charset set) : source_(source) {
      source_.Rewind();
      if (IsUtf16(set)) {
        utf16_.emplace(source_, set == Charset::kUtf16Be);
        inner_ = &*utf16_;
      } else {
        skipped_.emplace(source_, skip);
        inner_ = &*skipped_;
      }
    }
    std::ptrdiff_t Read(char* buffer, std::size_t capacity) override {
      return inner_->Read(buffer, capacity);
    }
    bool Rewind() override { return inner_->Rewind(); }
    std::int64_t Size() override { return inner_->Size(); }

   private:
    ByteSource& source_;
    std::optional<Utf16Source> utf16_;
    std::optional<SkipSource> skipped_;
    ByteSource* inner_ = nullptr;
  };
  if (whole_) return std::make_unique<Whole>(source_, skip_, options_.charset.kind);
  const auto skip = static_cast<std::int64_t>(skip_);
  const std::int64_t end = k + 1 < begins_.size() ? skip + begins_[k + 1] : -1;
  return source_.Range(skip + begins_[k], end);
}

IndexPart Reader::IndexOnePart(std::size_t k) {
  IndexPart part;
  std::unique_ptr<ByteSource> source = OpenPart(k);
  if (!source) {
    part.failed = true;
    return part;
  }
  LineReader reader(*source, kPartBlock);
  bool first = true;
  reader.ForEach([&](Line& line) {
    ++part.lines;
    const char c = line.size != 0 ? line.text[0] : '\n';
    // Only a line that starts with '0' or a blank may be a level-0 line.
    if (c == '0' || IsLineBlank(c)) {
      const GedcomLineParts p = SplitGedcomLine(line.View());
      if (p.valid && p.level == 0) {
        part.records.push_back({RecordKindOfTag(p.tag), part.xrefs.size(), p.xref.size()});
        part.xrefs.append(p.xref);
        first = false;
        return true;
      }
    }
    if (first) {
      part.startsWithRecord = false;
      part.records.push_back({RecordKind::kNone, 0, 0});
      first = false;
    }
    return true;
  });
  part.failed = reader.Failed();
  part.stopped = reader.Stopped();
  return part;
}

bool Reader::TakeIndex(std::size_t k, IndexPart part) {
  if (part.failed) return Fail(CompleteReadOutcome::kReadError, "read error");
  if (k > 0 && !part.startsWithRecord) {
    return Fail(CompleteReadOutcome::kFileChanged, "the file changed while it was read");
  }
  PartStart start;
  start.firstLine = lines_ + 1;
  start.records = records_;
  start.kinds = kinds_;
  starts_.push_back(start);
  for (const IndexedRecord& r : part.records) {
    ++records_;
    const std::int64_t rank = kinds_[static_cast<std::size_t>(r.kind)]++;
    if (r.xrefSize != 0) {
      const std::string_view xref = std::string_view(part.xrefs).substr(r.xrefOffset, r.xrefSize);
      if (!index_.xrefs.Insert(xref, {records_, rank, r.kind})) {
        XrefTarget first;
        index_.xrefs.Find(xref, first);
        index_.duplicates.push_back({records_, first.record});
      }
    }
  }
  lines_ += part.lines;
  partLines_.push_back(part.lines);
  partRecords_.push_back(static_cast<std::int64_t>(part.records.size()));
  usedParts_ = k + 1;
  const std::int64_t end = k + 1 < begins_.size() ? begins_[k + 1] : textSize_;
  Progress(end - begins_[k]);
  // A byte 26 ends the input: the parts after it are not read.
  if (part.stopped) return false;
  return !StopRequested();
}

RowPart Reader::ParseOnePart(std::size_t k) {
  RowPart part;
  std::unique_ptr<RecordParser> parser;
  {
    std::lock_guard hold(spareLock_);
    if (!spare_.empty()) {
      part.rows = std::move(spare_.back());
      spare_.pop_back();
    }
    if (!spareParsers_.empty()) {
      parser = std::move(spareParsers_.back());
      spareParsers_.pop_back();
    }
  }
  if (!part.rows) part.rows = std::make_unique<PartRows>();
  if (!parser) parser = std::make_unique<RecordParser>(index_, options_.charset);
  std::unique_ptr<ByteSource> source = OpenPart(k);
  if (!source) {
    part.failed = true;
    return part;
  }
  LineReader reader(*source, kPartBlock);
  parser->Begin(starts_[k], *part.rows);
  const std::int64_t lines = partLines_[k];
  reader.ForEach([&](Line& line) {
    // The lines the first pass counted: a byte 26 may have ended the input in this part.
    if (part.rows->lines == lines) return false;
    parser->Line(line.View());
    return true;
  });
  parser->Finish();
  part.failed = reader.Failed();
  std::lock_guard hold(spareLock_);
  spareParsers_.push_back(std::move(parser));
  return part;
}

std::int64_t Reader::PlaceId(std::string_view name) {
  const auto nameOf = [&](std::int64_t id) -> std::string_view {
    return places_[static_cast<std::size_t>(id - 1)].name;
  };
  if (const std::int64_t id = placeIds_.Find(name, nameOf)) return id;
  const auto add = [&](std::string_view text) {
    places_.push_back({std::string(text), 0, std::nullopt, std::nullopt});
    const auto id = static_cast<std::int64_t>(places_.size());
    placeIds_.Add(text, id, nameOf);
    return id;
  };
  // A new place, then each of its tails not yet known, each the parent of the one before:
  // "Quimper, Finistère, France", "Finistère, France", "France". The tails of a text of
  // thousands of commas would fill the table with its quadratic size: the chain stops at a
  // depth no place reaches.
  constexpr int kMostTails = 100;
  const std::int64_t id = add(name);
  std::int64_t child = id;
  int depth = 0;
  for (std::string_view tail = PlaceTail(name); !tail.empty() && depth < kMostTails;
       tail = PlaceTail(tail), ++depth) {
    const std::int64_t known = placeIds_.Find(tail, nameOf);
    const std::int64_t parent = known != 0 ? known : add(tail);
    places_[static_cast<std::size_t>(child - 1)].parent = parent;
    if (known != 0) break;
    child = parent;
  }
  return id;
}

bool Reader::HandOut(const RowBlock& block) {
  if (block.Empty()) return true;
  if (!sink_.Take(block))
    return Fail(CompleteReadOutcome::kSinkFailed, "the rows could not be written");
  for (std::size_t t = 0; t < kCompleteTableCount; ++t) {
    if (&block.Table() == &CompleteTables()[t])
      result_.rows[t] += static_cast<std::int64_t>(block.Rows());
  }
  return true;
}

bool Reader::TakeRows(std::size_t k, RowPart part) {
  if (part.failed) return Fail(CompleteReadOutcome::kReadError, "read error");
  PartRows& rows = *part.rows;
  // However this ends, the part's memory serves the next parts.
  struct KeepForReuse {
    Reader& reader;
    std::unique_ptr<PartRows>& rows;
    ~KeepForReuse() {
      std::lock_guard hold(reader.spareLock_);
      reader.spare_.push_back(std::move(rows));
    }
  } keep{*this, part.rows};
  if (rows.lines != partLines_[k] || rows.records != partRecords_[k]) {
    return Fail(CompleteReadOutcome::kFileChanged, "the file changed while it was read");
  }
  decoded_.replaced += rows.decoded.replaced;
  decoded_.readAsCp1252 += rows.decoded.readAsCp1252;

  // The part's places become the file's, in their order of first appearance.
  std::vector<std::int64_t> placeOf(rows.places.size() + 1, 0);
  for (std::size_t p = 0; p < rows.places.size(); ++p) {
    LocalPlace& local = rows.places[p];
    const std::int64_t id = PlaceId(rows.PlaceName(local));
    placeOf[p + 1] = id;
    PlaceRow& row = places_[static_cast<std::size_t>(id - 1)];
    if (!row.latitude) row.latitude = local.latitude;
    if (!row.longitude) row.longitude = local.longitude;
  }
  const std::size_t placeTable = Index(CompleteTable::kPlace);
  // The links to NOTE records keep the records' ranks in their `note` until the end.
  static const std::size_t noteColumn = ColumnOf(CompleteTable::kNoteLink, "note");
  const auto fix = [&](RowBlock& b, std::size_t table, bool skipNote) {
    for (const ColumnFix& f : ColumnFixes()[table]) {
      if (skipNote && f.column == noteColumn) continue;
      for (std::size_t r = 0; r < b.Rows(); ++r) {
        if (f.table == placeTable) {
          const Value v = b.At(r, f.column);
          if (v.kind == Value::kInteger)
            b.SetInteger(r, f.column, placeOf[static_cast<std::size_t>(v.integer)]);
        } else {
          b.AddToInteger(r, f.column, bases_[f.table]);
        }
      }
    }
  };
  for (std::size_t t = 0; t < kCompleteTableCount; ++t) fix(rows.blocks[t], t, false);
  fix(rows.noteRecordLinks, Index(CompleteTable::kNoteLink), true);
  noteLinks_.Add(rows.noteRecordLinks);
  for (const auto& [rank, local] : rows.noteRecords) {
    if (static_cast<std::size_t>(rank) < noteIds_.size()) {
      noteIds_[static_cast<std::size_t>(rank)] = local + bases_[Index(CompleteTable::kNote)];
    }
  }
  for (const ChildLink& c : rows.children)
    children_.push_back({Held(c.family), Held(c.child), Held(c.seq)});
  const auto textOf = [&](std::int64_t id) -> std::string_view {
    return pedigreeTexts_[static_cast<std::size_t>(id - 1)];
  };
  for (const PedigreeLink& p : rows.pedigrees) {
    const std::string& text = rows.pedigreeTexts[p.text];
    std::int64_t id = pedigreeIds_.Find(text, textOf);
    if (id == 0) {
      pedigreeTexts_.push_back(text);
      id = static_cast<std::int64_t>(pedigreeTexts_.size());
      pedigreeIds_.Add(text, id, textOf);
    }
    pedigrees_.push_back({Held(p.child), Held(p.family), Held(id - 1)});
  }
  for (std::size_t t = 0; t < kCompleteTableCount; ++t) {
    if (!HandOut(rows.blocks[t])) return false;
    if (!HasFinalIds(t)) bases_[t] += rows.localIds[t];
  }
  const std::int64_t end = k + 1 < begins_.size() ? begins_[k + 1] : textSize_;
  Progress(end - begins_[k]);
  return !StopRequested();
}

bool Reader::HandOutEnd() {
  const std::vector<TableSchema>& tables = CompleteTables();
  {
    RowBlock b(tables[Index(CompleteTable::kPlace)]);
    for (std::size_t p = 0; p < places_.size(); ++p) {
      const PlaceRow& row = places_[p];
      b.Integer(static_cast<std::int64_t>(p) + 1);
      b.Text(row.name);
      if (row.parent != 0) {
        b.Integer(row.parent);
      } else {
        b.Null();
      }
      for (const std::optional<double>& v : {row.latitude, row.longitude}) {
        if (v) {
          b.Real(*v);
        } else {
          b.Null();
        }
      }
      if (!HandOutWhenFull(b)) return false;
    }
    if (!HandOut(b)) return false;
  }
  {
    // The pedigree of a family's child comes from the child's first FAMC to that family that
    // has one.
    std::stable_sort(pedigrees_.begin(), pedigrees_.end(),
                     [](const HeldPedigree& a, const HeldPedigree& b) {
                       return a.child != b.child ? a.child < b.child : a.family < b.family;
                     });
    RowBlock b(tables[Index(CompleteTable::kFamilyChild)]);
    for (std::size_t c = 0; c < children_.size(); ++c) {
      const HeldChild& link = children_[c];
      b.Integer(static_cast<std::int64_t>(c) + 1);
      b.Integer(link.family);
      b.Integer(link.child);
      b.Integer(link.seq);
      const auto it =
          std::lower_bound(pedigrees_.begin(), pedigrees_.end(), link,
                           [](const HeldPedigree& p, const HeldChild& l) {
                             return p.child != l.child ? p.child < l.child : p.family < l.family;
                           });
      if (it != pedigrees_.end() && it->child == link.child && it->family == link.family) {
        b.Text(pedigreeTexts_[it->text]);
      } else {
        b.Null();
      }
      if (!HandOutWhenFull(b)) return false;
    }
    if (!HandOut(b)) return false;
  }
  {
    const TableSchema& schema = tables[Index(CompleteTable::kNoteLink)];
    const std::size_t note = ColumnOf(CompleteTable::kNoteLink, "note");
    RowBlock b(schema);
    for (std::size_t r = 0; r < noteLinks_.Rows(); ++r) {
      for (std::size_t c = 0; c < schema.columns.size(); ++c) {
        std::int64_t v = noteLinks_.At(r, c);
        if (c == note)
          v = v >= 0 && static_cast<std::size_t>(v) < noteIds_.size()
                  ? noteIds_[static_cast<std::size_t>(v)]
                  : 0;
        if (v == HeldRows::kNull || (c == note && v == 0)) {
          b.Null();
        } else {
          b.Integer(v);
        }
      }
      if (!HandOutWhenFull(b)) return false;
    }
    if (!HandOut(b)) return false;
  }
  return true;
}

CompleteReadResult Reader::Run() {
  if (!Plan()) return result_;
  const std::size_t parts = begins_.size();
  RunOrdered(
      parts, Threads(), [&](std::size_t k) { return IndexOnePart(k); },
      [&](std::size_t k, IndexPart part) { return TakeIndex(k, std::move(part)); });
  if (!result_.Read()) return result_;
  noteIds_.assign(static_cast<std::size_t>(kinds_[static_cast<std::size_t>(RecordKind::kNote)]), 0);
  const std::size_t read = RunOrdered(
      usedParts_, Threads(), [&](std::size_t k) { return ParseOnePart(k); },
      [&](std::size_t k, RowPart part) { return TakeRows(k, std::move(part)); });
  if (!result_.Read()) return result_;
  if (read != usedParts_) return result_;
  HandOutEnd();
  result_.lines = lines_;
  result_.decoded = decoded_;
  return result_;
}

}  // namespace

CompleteReadResult ReadCompleteFile(ByteSource& source, const CompleteReadOptions& options,
                                    CompleteRowSink& sink) {
  try {
    Reader reader(source, options, sink);
    return reader.Run();
  } catch (const std::bad_alloc&) {
    CompleteReadResult result;
    result.outcome = CompleteReadOutcome::kOutOfMemory;
    result.detail = "out of memory";
    return result;
  } catch (const std::length_error&) {
    CompleteReadResult result;
    result.outcome = CompleteReadOutcome::kOutOfMemory;
    result.detail = "out of memory";
    return result;
  }
}

}  // namespace brimsel
