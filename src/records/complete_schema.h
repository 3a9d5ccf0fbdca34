// The tables of the complete database: every record of a GEDCOM file, its typed structures and
// the links between them, described as schemas that the writers read.
#pragma once

#include <cstddef>
#include <vector>

#include "platform/typed_rows.h"

namespace brimsel {

// One per table, in the order the tables are created (a table comes after those it names).
enum class CompleteTable {
  kRecord,
  kPerson,
  kFamily,
  kSource,
  kRepository,
  kMedia,
  kSubmitter,
  kNote,
  kPlace,
  kPersonName,
  kPersonFamily,
  kFamilyChild,
  kEvent,
  kAssociation,
  kCitation,
  kNoteLink,
  kMediaLink,
  kSourceRepository,
  kIdentifier,
  kPlaceLink,
  kTranslation,
  kImportIssue,
};
inline constexpr std::size_t kCompleteTableCount =
    static_cast<std::size_t>(CompleteTable::kImportIssue) + 1;

// The schemas, indexed by CompleteTable. Every table's first column is its key `id`.
const std::vector<TableSchema>& CompleteTables();
inline const TableSchema& CompleteTableSchema(CompleteTable table) {
  return CompleteTables()[static_cast<std::size_t>(table)];
}

// The CREATE VIEW statements that read the tables like a family tree: person_summary and
// family_summary.
inline constexpr std::size_t kCompleteViewCount = 2;
extern const char* const kCompleteViewSql[kCompleteViewCount];

}  // namespace brimsel
