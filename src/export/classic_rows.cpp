// The rows of the seven tables: code lists from the dictionaries, individuals with their chosen
// events, unions and notes, with the numbering bases.
#include "export/classic_rows.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "export/date.h"
#include "platform/code_page.h"

namespace brimsel {
namespace {

// A count of the model that the arrays can hold.
std::size_t Bounded(std::size_t size, int count) {
  return std::min(size, static_cast<std::size_t>(std::max(count, 0)));
}

// A text as the tables hold it: a tab becomes a space, so that a value never splits its cell.
// NULL for a missing or empty text. A text of the model is borrowed as it is when it has no tab.
void AddText(RowBlock& block, std::string_view text, bool modelText = false) {
  if (text.empty()) {
    block.Null();
    return;
  }
  if (text.find('\t') == std::string_view::npos) {
    if (modelText) {
      block.BorrowedText(text);
    } else {
      block.Text(text);
    }
    return;
  }
  std::string& out = block.TextBuffer();
  const std::size_t start = out.size();
  out.append(text);
  std::replace(out.begin() + static_cast<std::ptrdiff_t>(start), out.end(), '\t', ' ');
  block.EndText();
}

// A text of the model, borrowed.
void AddModelText(RowBlock& block, const char* text) {
  AddText(block, text == nullptr ? std::string_view() : std::string_view(text), true);
}

// A code that names an entry of a dictionary (0-based, -1 for none), as the tables number it.
void AddCode(RowBlock& block, int code) {
  if (code < 0) {
    block.Null();
  } else {
    block.Integer(std::int64_t{code} + 1);
  }
}

// A date of the model normalised in a copy, with its quality code and its parts.
struct NormalDate {
  std::array<char, kDateBufferSize> text{};
  int quality = kQualityNone;
  DateParts parts;
  bool present = false;
};

NormalDate Normalised(const char* stored, TableEncoding encoding) {
  NormalDate d;
  if (stored == nullptr) return d;
  d.present = true;
  // A stored date holds at most kDateBufferSize - 1 bytes; the normalised form is never longer
  // than the text or 19 bytes.
  const std::size_t n = ::strnlen(stored, kDateBufferSize - 1);
  std::memcpy(d.text.data(), stored, n);
  d.quality = NormaliseDate(d.text.data(), encoding, &d.parts);
  return d;
}

// The date, code and place that a pair of events puts in one date group of an individual.
struct DatedEvent {
  NormalDate date;
  int quality = kQualityNone;
  int place = -1;
};

// Keeps the better of the two dates; equal codes go to the primary event. A substitute's code is
// written one less (an even code), so that the table tells it apart. An event without a place
// takes the other one's.
DatedEvent ChooseEvent(const char* primaryDate, int primaryPlace, const char* substituteDate,
                       int substitutePlace, TableEncoding encoding) {
  DatedEvent chosen;
  NormalDate primary = Normalised(primaryDate, encoding);
  NormalDate substitute = Normalised(substituteDate, encoding);
  if (!primary.present && !substitute.present) return chosen;
  if (substitute.quality > primary.quality) {
    chosen.quality = substitute.quality - 1;
    chosen.place = substitutePlace != -1 ? substitutePlace : primaryPlace;
    chosen.date = substitute;
  } else {
    chosen.quality = primary.quality;
    chosen.place = primaryPlace != -1 ? primaryPlace : substitutePlace;
    chosen.date = primary;
  }
  return chosen;
}

// A date's text, its sortable form (when wanted) and its code.
void AddDate(RowBlock& block, const NormalDate& date, int quality, bool sortable) {
  AddText(block, date.present ? std::string_view(date.text.data()) : std::string_view());
  SortableDateText iso;
  const std::size_t length = date.present && sortable ? SortableDate(quality, date.parts, iso) : 0;
  if (length == 0) {
    block.Null();
  } else {
    block.Text(std::string_view(iso.data(), length));
  }
  block.Integer(quality);
}

void AddEvent(RowBlock& block, const DatedEvent& event, bool sortable) {
  AddDate(block, event.date, event.quality, sortable);
  AddCode(block, event.place);
}

}  // namespace

ClassicRows::ClassicRows(const GedcomModel& model, NumberingBases bases, bool sortableDates)
    : model_(model), bases_(bases), sortableDates_(sortableDates) {
  // In the order of the code lists: family names, given names, places.
  const Dictionary* lists[3] = {model.surnames.get(), model.givenNames.get(), model.places.get()};
  for (std::size_t k = 0; k < 3; ++k) {
    lists_[k] = lists[k];
    // Sorted here, before any thread reads the order.
    orders_[k] = lists[k] != nullptr ? &lists[k]->AlphabeticalOrder() : nullptr;
    counts_[k] = orders_[k] != nullptr ? orders_[k]->size() : 0;
    firstKeys_[k] = 1;
  }
  individuals_ = Bounded(model.individuals.size(), model.counts.individuals);
  const auto indi = Index(ClassicTable::kIndividuals);
  const auto fam = Index(ClassicTable::kUnions);
  counts_[indi] = individuals_ + Bounded(model.addedSexes.size(), model.counts.added);
  counts_[fam] = Bounded(model.unions.size(), model.counts.unions);
  counts_[Index(ClassicTable::kIndividualNotes)] =
      Bounded(model.individualNotes.size(), model.counts.individualNotes);
  counts_[Index(ClassicTable::kUnionNotes)] =
      Bounded(model.unionNotes.size(), model.counts.unionNotes);
  firstKeys_[indi] = bases.individuals;
  firstKeys_[fam] = bases.unions;
}

void ClassicRows::Fill(ClassicTable table, std::size_t begin, std::size_t end,
                       RowBlock& block) const {
  end = std::min(end, RowCount(table));
  if (end > begin) block.Reserve(end - begin);
  switch (table) {
    case ClassicTable::kFamilyNames:
    case ClassicTable::kGivenNames:
    case ClassicTable::kPlaces:
      FillCodeList(Index(table), begin, end, block);
      break;
    case ClassicTable::kIndividuals:
      FillIndividuals(begin, end, block);
      break;
    case ClassicTable::kUnions:
      FillUnions(begin, end, block);
      break;
    case ClassicTable::kIndividualNotes:
      FillNotes(model_.individualNotes, bases_.individuals, begin, end, block);
      break;
    case ClassicTable::kUnionNotes:
      FillNotes(model_.unionNotes, bases_.unions, begin, end, block);
      break;
  }
}

void ClassicRows::FillCodeList(std::size_t list, std::size_t begin, std::size_t end,
                               RowBlock& block) const {
  for (std::size_t k = begin; k < end; ++k) {
    const DictionaryEntry& entry = lists_[list]->Entry((*orders_[list])[k]);
    block.Integer(std::int64_t{entry.id} + 1);
    block.Integer(entry.refCount);
    AddText(block, std::string_view(entry.text, static_cast<std::size_t>(entry.length)), true);
  }
}

void ClassicRows::FillIndividuals(std::size_t begin, std::size_t end, RowBlock& block) const {
  const TableEncoding encoding = model_.tableEncoding;
  for (std::size_t i = begin; i < end; ++i) {
    block.Integer(static_cast<std::int64_t>(i) + bases_.individuals);
    if (i >= individuals_) {
      // An added spouse has no parents, names, dates or places.
      const std::int64_t sex = model_.addedSexes[i - individuals_];
      block.Null();
      block.Integer(sex);
      block.Null();
      block.Null();
      for (int event = 0; event < 2; ++event) {
        block.Null();
        block.Null();
        block.Integer(kQualityNone);
        block.Null();
      }
      block.Null();
      continue;
    }
    const Individual& p = model_.individuals[i];
    if (p.famc < 0) {
      block.Null();
    } else {
      block.Integer(std::int64_t{p.famc} + bases_.unions);
    }
    block.Integer(p.sex);
    AddCode(block, p.givenName);
    AddCode(block, p.surname);
    AddEvent(block, ChooseEvent(p.birthDate, p.birthPlace, p.baptismDate, p.baptismPlace, encoding),
             sortableDates_);
    AddEvent(block, ChooseEvent(p.deathDate, p.deathPlace, p.burialDate, p.burialPlace, encoding),
             sortableDates_);
    AddModelText(block, p.occupation);
  }
}

void ClassicRows::FillUnions(std::size_t begin, std::size_t end, RowBlock& block) const {
  for (std::size_t i = begin; i < end; ++i) {
    const Union& u = model_.unions[i];
    block.Integer(static_cast<std::int64_t>(i) + bases_.unions);
    block.Integer(std::int64_t{u.husband} + bases_.individuals);
    block.Integer(std::int64_t{u.wife} + bases_.individuals);
    const NormalDate date = Normalised(u.marriageDate, model_.tableEncoding);
    AddDate(block, date, date.quality, sortableDates_);
    AddCode(block, u.marriagePlace);
  }
}

void ClassicRows::FillNotes(const HugeArray<Note>& notes, int base, std::size_t begin,
                            std::size_t end, RowBlock& block) const {
  for (std::size_t i = begin; i < end; ++i) {
    block.Integer(std::int64_t{notes[i].owner} + base);
    AddModelText(block, notes[i].text);
  }
}

void RowsForDatabase(const RowBlock& rows, const ClassicRows& source, TableEncoding encoding,
                     RowBlock& out) {
  const TableSchema& schema = rows.Table();
  // The table each reference column points into.
  std::vector<int> targets(schema.columns.size(), -1);
  for (std::size_t c = 0; c < schema.columns.size(); ++c) {
    if (schema.columns[c].role != ColumnRole::kReference) continue;
    for (const ClassicTableDescription& t : ClassicTables()) {
      if (std::string_view(t.schema.name) == schema.columns[c].references)
        targets[c] = static_cast<int>(t.table);
    }
  }
  out.Reset(schema);
  out.Reserve(rows.Rows());
  for (std::size_t r = 0; r < rows.Rows(); ++r) {
    for (std::size_t c = 0; c < schema.columns.size(); ++c) {
      const Value v = rows.At(r, c);
      switch (v.kind) {
        case Value::kNull:
          out.Null();
          break;
        case Value::kInteger:
          if (targets[c] >= 0 && !source.NamesARow(static_cast<ClassicTable>(targets[c]), v.integer)) {
            out.Null();
          } else {
            out.Integer(v.integer);
          }
          break;
        case Value::kReal:
          out.Real(v.real);
          break;
        case Value::kText:
          if (encoding == TableEncoding::kUtf8) {
            out.Text(v.text);
          } else {
            AppendCp1252AsUtf8(out.TextBuffer(), v.text);
            out.EndText();
          }
          break;
      }
    }
  }
}

}  // namespace brimsel
