// The quote stripper: the stripping rule, its streaming form, and the command around them.
#include "tools/strip.h"

#include <cstring>
#include <new>
#include <vector>

#include "platform/debug_sink.h"

namespace brimsel {
namespace {

constexpr char kQuote = '"';
constexpr char kComma = ',';
constexpr char kTab = '\t';
constexpr std::size_t kBlockSize = std::size_t{64} << 10;

}  // namespace

std::string StripQuotesText(std::string_view input) {
  // One scan with a read and a write position over one buffer: the write position never
  // passes the read position, as each step writes at most what it consumes.
  std::string buffer(input);
  const std::size_t size = buffer.size();
  std::size_t read = 0, write = 0;
  while (read < size) {
    char c = buffer[read];
    if (c != kQuote) {
      buffer[write++] = c;
      ++read;
    } else if (read + 2 < size && buffer[read + 1] == kComma && buffer[read + 2] == kQuote) {
      buffer[write++] = kTab;
      read += 3;
    } else {
      ++read;
    }
  }
  buffer.resize(write);
  return buffer;
}

std::size_t QuoteStripper::Feed(const char* data, std::size_t size, char* out) {
  char* w = out;
  const char* p = data;
  const char* const end = data + size;
  while (p < end) {
    switch (held_) {
      case Held::kNothing: {
        // Most bytes are no quotes: copy the run up to the next one at once.
        const void* q = std::memchr(p, kQuote, static_cast<std::size_t>(end - p));
        const char* stop = q != nullptr ? static_cast<const char*>(q) : end;
        std::memcpy(w, p, static_cast<std::size_t>(stop - p));
        w += stop - p;
        p = stop;
        if (p < end) {
          held_ = Held::kQuote;
          ++p;
        }
        break;
      }
      case Held::kQuote:
        if (*p == kComma) {
          held_ = Held::kQuoteComma;
          ++p;
        } else {
          held_ = Held::kNothing;  // the quote is dropped; *p is looked at afresh
        }
        break;
      case Held::kQuoteComma:
        if (*p == kQuote) {
          *w++ = kTab;
          ++p;
        } else {
          *w++ = kComma;  // the quote is dropped, the comma stays; *p is looked at afresh
        }
        held_ = Held::kNothing;
        break;
    }
  }
  return static_cast<std::size_t>(w - out);
}

std::size_t QuoteStripper::Finish(char* out) {
  // A quote with fewer than two bytes after it is dropped; a comma after it stays.
  Held held = held_;
  held_ = Held::kNothing;
  if (held == Held::kQuoteComma) {
    *out = kComma;
    return 1;
  }
  return 0;
}

ToolStatus StripStream(ByteSource& source, ByteSink& sink, std::size_t blockSize,
                       std::int64_t& length) {
  length = 0;
  if (blockSize == 0) blockSize = 1;
  try {
    std::vector<char> in(blockSize);
    std::vector<char> out(blockSize + QuoteStripper::kExtraOutput);
    QuoteStripper stripper;
    for (;;) {
      std::ptrdiff_t n = source.Read(in.data(), in.size());
      if (n < 0) return ToolStatus::kInputUnreadable;
      std::size_t count = n == 0
                              ? stripper.Finish(out.data())
                              : stripper.Feed(in.data(), static_cast<std::size_t>(n), out.data());
      if (!sink.Write(out.data(), count)) return ToolStatus::kWriteFailed;
      length += static_cast<std::int64_t>(count);
      if (n == 0) return ToolStatus::kDone;
    }
  } catch (const std::bad_alloc&) {
    return ToolStatus::kOutOfMemory;
  }
}

ToolResult StripFile(const char* input, const char* output, const StopRequest& stop) {
  ToolResult result = RunFileTool(
      input, output,
      [](ByteSource& source, ByteSink& sink, std::int64_t& length) {
        return StripStream(source, sink, kBlockSize, length);
      },
      stop);
  if (result.Done()) DebugLog("longueur %ld", static_cast<long>(result.length));
  return result;
}


}  // namespace brimsel
