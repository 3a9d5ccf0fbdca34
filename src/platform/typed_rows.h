// Rows of a table as typed values (integers, reals, texts, NULL), described once by a schema that
// every writer of the table reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brimsel {

enum class ColumnType : std::uint8_t { kInteger, kReal, kText };

// What a column is in a database: its own key, a value every row has, a value that may be
// absent, or a reference to the key of another table.
enum class ColumnRole : std::uint8_t { kKey, kRequired, kOptional, kReference };

struct ColumnSchema {
  const char* name;
  ColumnType type;
  ColumnRole role = ColumnRole::kOptional;
  const char* references = nullptr;  // kReference: the table whose key it names
  bool indexed = false;              // kReference: its values that are not NULL are indexed
  // kReference: the rows come in the ascending order of its values, so that its index, made
  // before them, only ever grows at its end (cheaper than sorting it afterwards).
  bool ascending = false;
};

struct TableSchema {
  const char* name;
  std::vector<ColumnSchema> columns;
  // The table's key column, or -1.
  int KeyColumn() const {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (columns[c].role == ColumnRole::kKey) return static_cast<int>(c);
    }
    return -1;
  }
  // The column called `name`, or -1.
  int ColumnIndex(std::string_view name) const {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (name == columns[c].name) return static_cast<int>(c);
    }
    return -1;
  }
};

// One value of a row, as RowBlock::At gives it.
struct Value {
  enum Kind : std::uint8_t { kNull, kInteger, kReal, kText };
  Kind kind = kNull;
  std::int64_t integer = 0;
  double real = 0;
  std::string_view text;
  bool IsNull() const { return kind == kNull; }
};

// Consecutive rows of one table, filled row by row and column by column in the schema's order,
// their texts copied into the block. A block is filled by one thread and read by another
// afterwards; it owns everything it holds.
class RowBlock {
 public:
  RowBlock() = default;
  explicit RowBlock(const TableSchema& table) : table_(&table) {}

  const TableSchema& Table() const { return *table_; }
  std::size_t Columns() const { return table_->columns.size(); }
  std::size_t Rows() const { return Columns() == 0 ? 0 : cells_.size() / Columns(); }
  bool Empty() const { return cells_.empty(); }

  void Null() { cells_.push_back({}); }
  void Integer(std::int64_t v) {
    Cell c;
    c.kind = Value::kInteger;
    c.number = v;
    cells_.push_back(c);
  }
  void Real(double v) {
    Cell c;
    c.kind = Value::kReal;
    c.real = v;
    cells_.push_back(c);
  }
  // A text, copied; an empty text stays a text (callers that want NULL for it say so).
  void Text(std::string_view text) {
    Cell c;
    c.kind = Value::kText;
    c.number = static_cast<std::int64_t>(texts_.size());
    c.length = static_cast<std::uint32_t>(text.size());
    texts_.append(text);
    cells_.push_back(c);
  }
  // A text that is not copied: it must stay as it is, where it is, as long as the block is read
  // (a text of the model the rows are made from, say).
  void BorrowedText(std::string_view text) {
    Cell c;
    c.kind = Value::kText;
    c.borrowed = true;
    c.number = static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(text.data()));
    c.length = static_cast<std::uint32_t>(text.size());
    cells_.push_back(c);
  }
  // A text, or NULL when it is empty.
  void TextOrNull(std::string_view text) {
    if (text.empty()) {
      Null();
    } else {
      Text(text);
    }
  }
  // The text being added to the block, for a writer that makes it in place: append to the
  // string this returns, then call EndText().
  std::string& TextBuffer() {
    pending_ = texts_.size();
    return texts_;
  }
  void EndText() {
    Cell c;
    c.kind = Value::kText;
    c.number = static_cast<std::int64_t>(pending_);
    c.length = static_cast<std::uint32_t>(texts_.size() - pending_);
    cells_.push_back(c);
  }

  // One stored value: what At reads, for a writer that walks a row's cells itself.
  struct Cell {
    Value::Kind kind = Value::kNull;
    bool borrowed = false;     // kText: `number` is the address of a text the block does not own
    std::uint32_t length = 0;  // kText: bytes in the block's texts from `number`
    union {
      std::int64_t number = 0;  // kInteger: the value; kText: the offset of its bytes
      double real;
    };
  };
  // The cells of row `row`, Columns() of them.
  const Cell* RowCells(std::size_t row) const { return cells_.data() + row * Columns(); }
  // The text of a kText cell of this block.
  std::string_view TextOf(const Cell& c) const {
    if (c.borrowed) return {reinterpret_cast<const char*>(c.number), c.length};
    return {texts_.data() + c.number, c.length};
  }

  Value At(std::size_t row, std::size_t column) const {
    const Cell& c = cells_[row * Columns() + column];
    Value v;
    v.kind = c.kind;
    if (c.kind == Value::kInteger) v.integer = c.number;
    if (c.kind == Value::kReal) v.real = c.real;
    if (c.kind == Value::kText) v.text = TextOf(c);
    return v;
  }
  // Changes an integer already in the block (a key that only the consumer of the block can
  // number, say). A NULL stays NULL.
  void AddToInteger(std::size_t row, std::size_t column, std::int64_t delta) {
    Cell& c = cells_[row * Columns() + column];
    if (c.kind == Value::kInteger) c.number += delta;
  }
  void SetInteger(std::size_t row, std::size_t column, std::int64_t v) {
    Cell& c = cells_[row * Columns() + column];
    c = {};
    c.kind = Value::kInteger;
    c.number = v;
  }
  void SetNull(std::size_t row, std::size_t column) { cells_[row * Columns() + column] = {}; }

  // Room for `rows` more rows of cells, so that filling them does not move the block.
  void Reserve(std::size_t rows) { cells_.reserve(cells_.size() + rows * Columns()); }
  // Empties the block, keeping its memory, for rows of `table`.
  void Reset(const TableSchema& table) {
    table_ = &table;
    Clear();
  }
  // Empties the block, keeping its memory, for rows of the same table.
  void Clear() {
    cells_.clear();
    texts_.clear();
  }
  // Bytes the block holds, for bounding what waits in memory.
  std::size_t Bytes() const { return cells_.size() * sizeof(Cell) + texts_.size(); }

 private:
  const TableSchema* table_ = nullptr;
  std::vector<Cell> cells_;
  std::string texts_;
  std::size_t pending_ = 0;
};

}  // namespace brimsel
