// The proper-name normaliser: the capitalisation rule, the name-line rewrite and the command
// around them.
#include "tools/proper_name.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/line_reader.h"

namespace brimsel {
namespace {

constexpr std::size_t kReadBlock = std::size_t{64} << 10;
constexpr char kLineEnd[] = "\r\n";
constexpr std::string_view kNamePrefix = "1 NAME ";

// Case changes of the classic locale: only A to Z and a to z; accented bytes stay as they are.
inline char AsciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
inline char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

}  // namespace

void CapitaliseProperName(char* text) {
  if (text == nullptr || *text == '\0') return;
  text[0] = AsciiUpper(text[0]);
  bool startsWord = false;
  for (char* p = text + 1; *p != '\0'; ++p) {
    // The hyphen test comes first, so that after "--" the next letter is still a capital.
    if (*p == '-') {
      startsWord = true;
    } else if (startsWord) {
      *p = AsciiUpper(*p);
      startsWord = false;
    } else {
      *p = AsciiLower(*p);
    }
  }
}

bool IsNameLine(std::string_view text) {
  return text.substr(0, kNamePrefix.size()) == kNamePrefix;
}

void RewriteNameLine(std::string_view line, char* result) {
  std::size_t used = 0;
  // The parts come from the same line, so the result fits; the limit only guards the buffer.
  auto append = [&](std::string_view s) {
    std::size_t n = std::min(s.size(), kNameLineCapacity - 1 - used);
    std::memcpy(result + used, s.data(), n);
    used += n;
    result[used] = '\0';
  };
  result[0] = '\0';
  append(kNamePrefix);
  std::string_view rest =
      line.size() > kNamePrefix.size() ? line.substr(kNamePrefix.size()) : std::string_view();
  // Split at '/' as strtok does: leading and repeated '/' are skipped, parts are never empty.
  std::size_t pos = 0;
  for (int part = 0; part < 2; ++part) {
    while (pos < rest.size() && rest[pos] == '/') ++pos;
    if (pos >= rest.size()) break;
    std::size_t stop = rest.find('/', pos);
    if (stop == std::string_view::npos) stop = rest.size();
    char* start = result + used;
    append(rest.substr(pos, stop - pos));
    CapitaliseProperName(start);
    append("/");
    pos = stop;
  }
}

ToolStatus ProperNameStream(ByteSource& source, ByteSink& sink, std::int64_t& length) {
  length = 0;
  try {
    LineReader reader(source, kReadBlock);
    Line piece;
    char rewritten[kNameLineCapacity];
    auto write = [&](const char* data, std::size_t size) {
      length += static_cast<std::int64_t>(size);
      return sink.Write(data, size);
    };
    while (reader.NextPiece(piece, kMaxNamePiece)) {
      bool written;
      if (IsNameLine({piece.text, piece.size})) {
        // A name line always gets a line end, even a piece cut from a longer line.
        RewriteNameLine({piece.text, piece.size}, rewritten);
        written = write(rewritten, std::strlen(rewritten)) && write(kLineEnd, 2);
      } else {
        written = write(piece.text, piece.size) && (!piece.hasEnd || write(kLineEnd, 2));
      }
      if (!written) return ToolStatus::kWriteFailed;
    }
    return reader.Failed() ? ToolStatus::kInputUnreadable : ToolStatus::kDone;
  } catch (const std::bad_alloc&) {
    return ToolStatus::kOutOfMemory;
  }
}

std::string ProperNameText(std::string_view input) {
  StringSource source{std::string(input)};
  StringSink sink;
  std::int64_t length = 0;
  ProperNameStream(source, sink, length);
  return std::move(sink.text);
}

ToolResult ProperNameCopy(const char* input, const char* output) {
  return RunFileTool(input, output, ProperNameStream);
}


}  // namespace brimsel
