// Rows of the database's tables made ready to insert, and the queue from maker to inserter.
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/model.h"
#include "export/database_schema.h"
#include "export/row_splitter.h"

namespace brimsel {

// One value of a row, as it will be bound.
struct BoundValue {
  enum Kind : std::uint8_t { kNull, kInteger, kText };
  Kind kind = kNull;
  std::uint32_t length = 0;  // kText: its bytes in the batch's text, from `offset`
  std::uint64_t offset = 0;
  std::int64_t number = 0;  // kInteger
};

// Consecutive rows of one table: `rows` times the table's columns, texts in UTF-8.
struct RowBatch {
  static constexpr std::size_t kRows = 256;
  int table = 0;
  std::size_t rows = 0;
  std::vector<BoundValue> values;
  std::string text;
};

// A bounded queue of full batches from the makers to one inserter, which gives them back to
// be filled again. Either side may abort it with a cause; the other side then stops. Without
// a thread in between, a queue made with `direct` inserts each batch as it is pushed.
class BatchQueue {
 public:
  using Inserter = std::function<bool(RowBatch& batch)>;
  explicit BatchQueue(Inserter direct = nullptr) : direct_(std::move(direct)) {}

  // An empty batch for `table`: one given back, or a new one.
  std::unique_ptr<RowBatch> Take(int table);
  // Hands a batch to the inserter, waiting while the queue is full. False once aborted.
  bool Push(std::unique_ptr<RowBatch> batch);
  // The next full batch; null once the makers have finished and every batch was taken, or
  // once aborted.
  std::unique_ptr<RowBatch> Pop();
  // A batch back from the inserter, to be filled again.
  void Give(std::unique_ptr<RowBatch> batch);
  // The makers have pushed their last batch.
  void Finish();
  // Stops both sides; the first cause is kept.
  void Abort(std::string cause);
  // The first cause given to Abort; empty when none.
  std::string Cause() const;

 private:
  static constexpr std::size_t kDepth = 16;
  Inserter direct_;
  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::deque<std::unique_ptr<RowBatch>> full_;
  std::vector<std::unique_ptr<RowBatch>> spare_;
  bool finished_ = false;
  bool aborted_ = false;
  std::string cause_;
};

// The numbers that the rows of each table carry: the keys a reference may name.
struct KeyRanges {
  std::array<std::int64_t, kTableCount> first{};
  std::array<std::int64_t, kTableCount> count{};
  // As WriteTableRows and WriteCodeList number the model's rows.
  static KeyRanges Of(const GedcomModel& m);
};

// Turns the rows of one table, as a RowSplitter hands them out (the header first), into
// batches of bound values: NULL for a reference that names no row and for an empty text,
// texts in UTF-8, the sortable dates, NBREF from the dictionary when the table lacks it.
class RowEncoder {
 public:
  RowEncoder(int table, const GedcomModel& m, const KeyRanges& keys, BatchQueue& queue);
  bool Take(const RowSplitter::Cells& cells);
  // Pushes the rows not yet pushed. False once the queue is aborted.
  bool Flush();

 private:
  bool Header(const RowSplitter::Cells& cells);
  bool Row(const RowSplitter::Cells& cells);
  bool Fail(const std::string& why);
  void Text(BoundValue& v, std::string_view text);

  const DatabaseTable& schema_;
  int table_;
  const GedcomModel& m_;
  const KeyRanges& keys_;
  BatchQueue& queue_;
  const Dictionary* dictionary_ = nullptr;
  std::size_t individuals_;  // rows of INDI that are the model's individuals
  std::vector<int> source_;  // the table's cell of each column, -1 for none
  std::size_t width_ = 0;    // cells in a row of the table
  std::size_t row_ = 0;      // rows after the header so far
  bool header_ = true;
  std::unique_ptr<RowBatch> batch_;
};

}  // namespace brimsel
