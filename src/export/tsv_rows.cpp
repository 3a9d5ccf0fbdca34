// Typed rows to tab-separated lines.
#include "export/tsv_rows.h"

#include <cstddef>
#include <vector>

namespace brimsel {

void WriteTsvRows(const ClassicTableDescription& table, const RowBlock& rows, bool refCounts,
                  TableFile& file) {
  const std::vector<ColumnSchema>& columns = table.schema.columns;
  std::size_t written[32];
  std::size_t count = 0;
  for (std::size_t c = 0; c < columns.size() && count < std::size(written); ++c) {
    const TsvColumn where = table.tsv[c];
    if (where == TsvColumn::kAlways || (where == TsvColumn::kWithRefCounts && refCounts)) {
      written[count++] = c;
    }
  }
  for (std::size_t r = 0; r < rows.Rows(); ++r) {
    for (std::size_t k = 0; k < count; ++k) {
      if (k != 0) file.Tab();
      const Value v = rows.At(r, written[k]);
      switch (v.kind) {
        case Value::kNull:
          if (columns[written[k]].type != ColumnType::kText) file.Number(0);
          break;
        case Value::kInteger:
          file.Number(v.integer);
          break;
        case Value::kReal:
          break;  // the seven tables hold no real numbers
        case Value::kText:
          file.Cell(v.text);
          break;
      }
    }
    file.EndRow();
  }
}

}  // namespace brimsel
