// The rows of the seven tables as typed values, made from a converted model that they leave as
// it is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/model.h"
#include "export/classic_tables.h"
#include "platform/typed_rows.h"

namespace brimsel {

// The numbers of the first individual and the first union ("INDI+", "FAM +").
struct NumberingBases {
  int individuals = 1;
  int unions = 1;
};

// Makes the rows of each table, any range of them, from any thread: everything it reads is
// prepared when it is constructed, and neither it nor the model changes afterwards.
//
// A reference that names nothing (no union of the parents, no name, no place) is NULL; the
// table's file writes it as 0. Dates are normalised in copies: the model keeps what the file
// said, so that the rows are the same however often they are made. Texts are in the tables'
// encoding, a tab written as a space, as the files hold them.
class ClassicRows {
 public:
  // Without `sortableDates` the database's ISO forms of the dates are left NULL (the files do
  // not hold them).
  ClassicRows(const GedcomModel& model, NumberingBases bases, bool sortableDates = true);

  std::size_t RowCount(ClassicTable table) const { return counts_[Index(table)]; }
  // Appends rows [begin, end) of `table` to `block`, a block of that table's schema.
  void Fill(ClassicTable table, std::size_t begin, std::size_t end, RowBlock& block) const;
  // True when `value`, in a reference column pointing into `table`, names one of its rows.
  bool NamesARow(ClassicTable table, std::int64_t value) const {
    const std::size_t t = Index(table);
    return value >= firstKeys_[t] &&
           value - firstKeys_[t] < static_cast<std::int64_t>(counts_[t]);
  }
  const GedcomModel& Model() const { return model_; }

 private:
  static std::size_t Index(ClassicTable table) { return static_cast<std::size_t>(table); }
  void FillCodeList(std::size_t list, std::size_t begin, std::size_t end, RowBlock& block) const;
  void FillIndividuals(std::size_t begin, std::size_t end, RowBlock& block) const;
  void FillUnions(std::size_t begin, std::size_t end, RowBlock& block) const;
  void FillNotes(const HugeArray<Note>& notes, int base, std::size_t begin, std::size_t end,
                 RowBlock& block) const;

  const GedcomModel& model_;
  NumberingBases bases_;
  bool sortableDates_;
  // The three dictionaries in the order of the code lists, and their alphabetical orders.
  const Dictionary* lists_[3] = {};
  const std::vector<int>* orders_[3] = {};
  std::size_t individuals_ = 0;  // the model's individuals; the added spouses follow them
  std::size_t counts_[kClassicTableCount] = {};
  std::int64_t firstKeys_[kClassicTableCount] = {};
};

// The rows of `rows` as the database holds them, into `out` (emptied first): texts in UTF-8
// (from `encoding`), and NULL for a reference that names no row of its table.
void RowsForDatabase(const RowBlock& rows, const ClassicRows& source, TableEncoding encoding,
                     RowBlock& out);

}  // namespace brimsel
