// The quote stripper: a quoted comma-separated file to tab-separated text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/byte_source.h"
#include "tools/tool_files.h"

namespace brimsel {

// The stripping rule over a whole buffer, as one scan: a quote followed by a comma and another
// quote becomes one tab, every other quote is dropped, every other byte is copied.
std::string StripQuotesText(std::string_view input);

// The same rule applied to input that arrives in pieces of any size: the output is exactly that
// of StripQuotesText on the whole input, however the input is cut. At most the start of one
// quote-comma-quote pattern (two bytes) is held back between calls.
class QuoteStripper {
 public:
  // Room that Feed needs in `out` beyond `size`: the held-back comma may come out with the
  // byte that breaks the pattern.
  static constexpr std::size_t kExtraOutput = 1;

  // Transforms the next `size` bytes into `out` (at least size + kExtraOutput bytes); returns
  // the count of bytes written.
  std::size_t Feed(const char* data, std::size_t size, char* out);
  // Ends the input: a held-back quote is dropped, a held-back comma is written. Writes at most
  // one byte into `out`; returns the count.
  std::size_t Finish(char* out);

 private:
  enum class Held { kNothing, kQuote, kQuoteComma };
  Held held_ = Held::kNothing;
};

// Strips everything `source` holds into `sink`, reading `blockSize` bytes at a time. Sets
// `length` to the bytes written. Returns kDone, kInputUnreadable (read error),
// kWriteFailed or kOutOfMemory; `detail` is not set.
ToolStatus StripStream(ByteSource& source, ByteSink& sink, std::size_t blockSize,
                       std::int64_t& length);

// Strips the file `input` into `output`, or into `input` followed by ".txt" when `output` is
// null or empty. Sends "longueur %ld" with the output length to the debug log once the whole
// output is written. Shows no message: see ReportOutputFailure.
ToolResult StripFile(const char* input, const char* output = nullptr, const StopRequest& stop = {});

}  // namespace brimsel
