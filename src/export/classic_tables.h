// The seven tables of the genealogy model, described once: their files, columns, keys and
// references, read by the table writer, the database writer and the README's column table.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/typed_rows.h"

namespace brimsel {

// The seven tables, in the order they are written. The files keep the names that their
// importers know: family names go to _NAME.txt, given names to _SURNAME.txt.
enum class ClassicTable {
  kFamilyNames,      // _NAME.txt, NAME
  kGivenNames,       // _SURNAME.txt, SURNAME
  kPlaces,           // _PLAC.txt, PLAC
  kIndividuals,      // _INDI.txt, INDI
  kUnions,           // _FAM.txt, FAM
  kIndividualNotes,  // _INDInote.txt, INDInote
  kUnionNotes,       // _FAMnote.txt, FAMnote
};
inline constexpr int kClassicTableCount = 7;

// Whether a column of the database is written in the table's file too.
enum class TsvColumn : std::uint8_t {
  kAlways,
  kWithRefCounts,  // NBREF: only with "nb ref" (the database always has it)
  kNever,          // the sortable dates: the database only
};

// The dictionary whose entries a code list holds.
enum class CodeList : std::uint8_t { kNone, kFamilyNames, kGivenNames, kPlaces };

struct ClassicTableDescription {
  ClassicTable table;
  const char* suffix;  // appended to the source's base name: "_INDI.txt"
  CodeList codeList;
  TableSchema schema;          // the database's table: its name and columns
  std::vector<TsvColumn> tsv;  // for each column of `schema`
};

// The seven descriptions, indexed by ClassicTable.
const std::array<ClassicTableDescription, kClassicTableCount>& ClassicTables();
inline const ClassicTableDescription& Describe(ClassicTable table) {
  return ClassicTables()[static_cast<std::size_t>(table)];
}

// The header line of the table's file: the names of its columns in the file, tab-separated,
// ended by "\n".
std::string TsvHeader(const ClassicTableDescription& table, bool refCounts);

// File-name suffix of each table, in the order of ClassicTable.
extern const char* const kTableSuffixes[kClassicTableCount];

}  // namespace brimsel
