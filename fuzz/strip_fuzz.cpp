// Fuzzes the quote stripper: cut anywhere, the streamed output equals the whole-buffer one.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "tools/strip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::size_t step = 1 + data[0] % 7;
  std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string whole = brimsel::StripQuotesText(input);
  if (whole.size() > input.size()) std::abort();
  brimsel::QuoteStripper stripper;
  std::string streamed;
  std::vector<char> out(step + brimsel::QuoteStripper::kExtraOutput);
  for (std::size_t i = 0; i < input.size(); i += step) {
    std::size_t n = std::min(step, input.size() - i);
    streamed.append(out.data(), stripper.Feed(input.data() + i, n, out.data()));
  }
  streamed.append(out.data(), stripper.Finish(out.data()));
  if (streamed != whole) std::abort();
  return 0;
}
