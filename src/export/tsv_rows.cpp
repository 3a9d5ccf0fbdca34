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
  // A row goes straight into the file's buffer when its bound fits well inside it: at most 20
  // bytes a number, twice its length a text (a line end becomes CR LF), a tab each, CR LF.
  constexpr std::size_t kNumberBound = 20;
  for (std::size_t r = 0; r < rows.Rows(); ++r) {
    const RowBlock::Cell* cells = rows.RowCells(r);
    std::size_t bound = 2;
    for (std::size_t k = 0; k < count; ++k) {
      const RowBlock::Cell& c = cells[written[k]];
      bound += 1 + (c.kind == Value::kText ? 2 * std::size_t{c.length} : kNumberBound);
    }
    if (bound <= TableFile::kBufferSize / 2) {
      char* q = file.Place(bound);
      for (std::size_t k = 0; k < count; ++k) {
        if (k != 0) *q++ = '\t';
        const RowBlock::Cell& c = cells[written[k]];
        if (c.kind == Value::kInteger) {
          q = TableFile::WriteNumber(q, c.number);
        } else if (c.kind == Value::kText) {
          const std::string_view text = rows.TextOf(c);
          q = TableFile::WriteShortCell(q, text.data(), text.size());
        } else if (c.kind == Value::kNull && columns[written[k]].type != ColumnType::kText) {
          *q++ = '0';
        }
      }
      *q++ = '\r';
      *q++ = '\n';
      file.Take(q);
      continue;
    }
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
