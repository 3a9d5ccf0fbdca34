// The rows of a table as TableFile writes them, split back into their cells.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_sink.h"

namespace brimsel {

// A byte sink that takes a table's bytes, in pieces of any size, and hands each complete row
// (ended by CR LF) to a handler as its tab-separated cells; the header is the first row. A
// handler that returns false fails the sink for good: later writes are dropped, Write and
// Close return false.
class RowSplitter final : public ByteSink {
 public:
  // Cells of one row; the views stay valid only during the handler's call.
  using Cells = std::vector<std::string_view>;
  using Handler = std::function<bool(const Cells& cells)>;

  explicit RowSplitter(Handler handler) : handler_(std::move(handler)) {}

  bool Write(const char* data, std::size_t size) override;
  // False when a write failed or the last row lacks its CR LF.
  bool Close(std::string* error = nullptr) override;

 private:
  bool Row(std::string_view row);

  Handler handler_;
  std::string carry_;  // the start of a row that a later write completes
  Cells cells_;
  bool failed_ = false;
};

}  // namespace brimsel
