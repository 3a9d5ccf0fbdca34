// Splitting a table's bytes into rows and cells.
#include "export/row_splitter.h"

#include <cstring>

namespace brimsel {

bool RowSplitter::Write(const char* data, std::size_t size) {
  if (failed_) return false;
  const char* p = data;
  const char* const end = data + size;
  // TableFile writes every line end as CR LF and nothing else as LF: each LF ends a row.
  if (!carry_.empty()) {
    const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
    if (lf == nullptr) {
      carry_.append(p, end);
      return true;
    }
    const char* stop = static_cast<const char*>(lf);
    carry_.append(p, stop);
    p = stop + 1;
    const bool ok = Row(carry_);
    carry_.clear();
    if (!ok) return false;
  }
  while (p < end) {
    const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
    if (lf == nullptr) {
      carry_.assign(p, end);
      break;
    }
    const char* stop = static_cast<const char*>(lf);
    if (!Row(std::string_view(p, static_cast<std::size_t>(stop - p)))) return false;
    p = stop + 1;
  }
  return true;
}

bool RowSplitter::Row(std::string_view row) {
  if (row.empty() || row.back() != '\r') {
    failed_ = true;  // a LF without its CR: not a table row
    return false;
  }
  row.remove_suffix(1);
  cells_.clear();
  std::size_t start = 0;
  for (;;) {
    const std::size_t tab = row.find('\t', start);
    if (tab == std::string_view::npos) break;
    cells_.push_back(row.substr(start, tab - start));
    start = tab + 1;
  }
  cells_.push_back(row.substr(start));
  if (!handler_(cells_)) failed_ = true;
  return !failed_;
}

bool RowSplitter::Close(std::string* error) {
  if (!failed_ && !carry_.empty()) failed_ = true;
  if (failed_ && error != nullptr && error->empty()) *error = "incomplete table row";
  return !failed_;
}

}  // namespace brimsel
