// Cuts of a text at level-0 lines near equal offsets, for readers working side by side.
#include "platform/line_cuts.h"

#include <algorithm>
#include <memory>
#include <string>

#include "platform/text_bytes.h"

namespace brimsel {
namespace {

// Reads up to `n` bytes from the start of `source`.
std::string ReadWindow(ByteSource& source, std::size_t n) {
  std::string window(n, '\0');
  std::size_t got = 0;
  while (got < n) {
    const std::ptrdiff_t k = source.Read(window.data() + got, n - got);
    if (k <= 0) break;
    got += static_cast<std::size_t>(k);
  }
  window.resize(got);
  return window;
}

}  // namespace

std::vector<std::int64_t> FindCuts(ByteSource& source, std::int64_t skip, std::int64_t size,
                                   int parts) {
  constexpr std::size_t kWindow = std::size_t{64} << 10;
  std::vector<std::int64_t> cuts;
  for (int k = 1; k < parts; ++k) {
    const std::int64_t target = size * k / parts;
    if (target < 1 || (!cuts.empty() && target <= cuts.back())) continue;
    std::unique_ptr<ByteSource> near = source.Range(skip + target - 1, skip + target - 1 + kWindow);
    if (!near) return {};
    const std::string window = ReadWindow(*near, kWindow);
    // A byte after a LF or CR starts a line, unless it is one itself: a LF or CR is either a
    // line end or the partner of the one before it (nothing before the target ends the input
    // while the reader gets there, which the parts check). Six bytes that end no line make the
    // line at least six characters long.
    for (std::size_t i = 1; i + 6 <= window.size(); ++i) {
      if ((window[i - 1] == '\n' || window[i - 1] == '\r') && window[i] == '0' &&
          std::none_of(window.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                       window.begin() + static_cast<std::ptrdiff_t>(i) + 6, IsLineBreak)) {
        const std::int64_t at = target - 1 + static_cast<std::int64_t>(i);
        if (at < size && (cuts.empty() || at > cuts.back())) cuts.push_back(at);
        break;
      }
    }
  }
  return cuts;
}

}  // namespace brimsel
