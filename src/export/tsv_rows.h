// Typed rows written as the tab-separated files hold them.
#pragma once

#include "export/classic_tables.h"
#include "export/table_file.h"
#include "platform/typed_rows.h"

namespace brimsel {

// Writes each row of `rows` (a block of `table`) as one line of its file: the file's columns in
// order, separated by tabs; a number in decimal, a text as TableFile::Cell writes it, NULL as 0
// in a number's column and as nothing in a text's.
void WriteTsvRows(const ClassicTableDescription& table, const RowBlock& rows, bool refCounts,
                  TableFile& file);

}  // namespace brimsel
