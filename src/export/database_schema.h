// The database's schema: its tables and columns, indexes, views and the conversion's record.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "engine/model.h"
#include "export/tables.h"

namespace brimsel {

// What a column of the database holds, and how its value comes from a table's cell.
enum class Cell {
  kKey,        // the row's own number or code: INTEGER PRIMARY KEY
  kNumber,     // a number every row has (sex, quality code)
  kRefCount,   // NBREF: from the table when it has the column, else from the dictionary
  kReference,  // the number of a row of another table; NULL when it names none (code 0)
  kParents,    // INDI.FAM: the parents' union; NULL when the individual has none
  kText,       // a text; NULL when empty
  kSortable,   // not in the table: the ISO form of the date before it, by the code after it
};

struct DatabaseColumn {
  const char* name;
  Cell cell;
  Table references = Table::kName;  // the table a kReference or kParents column points into
};

struct DatabaseTable {
  const char* name;
  std::vector<DatabaseColumn> columns;
};

// The seven tables in the order of Table, with the tables' names and columns; the sortable
// dates stand beside their date.
const std::array<DatabaseTable, kTableCount>& DatabaseTables();

// The statements that make the schema: the tables and "conversion" first; the indexes (of
// the references that are not NULL) and the two views once the rows are in.
std::string CreateTableSql(const DatabaseTable& table);
std::string CreateConversionSql();
std::vector<std::string> CreateIndexSql();
extern const char* const kCreateViewSql[2];

// An insert of `rows` rows of `table` at once.
std::string InsertSql(const DatabaseTable& table, int rows);
// The insert of the one row of "conversion", its values in the order of ConversionRow.
std::string InsertConversionSql();

// The counts of the conversion, as columns of "conversion" after its eleven first ones.
struct CountColumn {
  const char* name;
  int ConversionCounts::*count;
};
extern const std::array<CountColumn, 19> kCountColumns;

// The header line that the tables' writers give `table` with NBREF.
std::string HeaderLine(const DatabaseTable& table);

}  // namespace brimsel
