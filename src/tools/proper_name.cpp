// The proper-name normaliser: the capitalisation rule, the name-line rewrite and the stream
// around them, in the character set of the file.
#include "tools/proper_name.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>

#include "platform/ansel.h"
#include "platform/line_reader.h"
#include "platform/text_case.h"
#include "platform/text_decoder.h"
#include "platform/utf16_source.h"
#include "platform/utf8.h"

namespace brimsel {
namespace {

constexpr std::size_t kReadBlock = std::size_t{64} << 10;
constexpr char kLineEnd[] = "\r\n";
constexpr std::string_view kNamePrefix = "1 NAME ";

bool IsUnicode(Charset set) {
  return set == Charset::kUtf8 || IsUtf16(set);
}

// Pieces of UTF-8 text (UTF-8 and UTF-16 files) and of ANSEL text never end inside a
// character: an ANSEL mark stays with the letter after it.
//
// A full piece holds no byte past its end, so a character cut there shows as the start of a
// well-formed sequence missing its last bytes: the piece ends before it. Bytes that could not
// start a sequence stay, each a character of its own.
std::size_t FitUtf8(std::string_view text, std::size_t max) {
  const std::size_t size = CutToFit(text, max, TableEncoding::kUtf8);
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  std::size_t lead = size;
  for (int step = 0; step < 3 && lead > 0 && (byte(lead - 1) & 0xC0) == 0x80; ++step) --lead;
  if (lead == 0) return size;
  --lead;
  const unsigned char c = byte(lead);
  const std::size_t length = c >= 0xC2 && c <= 0xDF   ? 2
                             : c >= 0xE0 && c <= 0xEF ? 3
                             : c >= 0xF0 && c <= 0xF4 ? 4
                                                      : 0;
  if (length == 0 || size - lead >= length) return size;
  // The second byte's range depends on the lead byte (no overlong form, no surrogate).
  if (size - lead >= 2) {
    const unsigned char second = byte(lead + 1);
    if ((c == 0xE0 && second < 0xA0) || (c == 0xED && second > 0x9F) ||
        (c == 0xF0 && second < 0x90) || (c == 0xF4 && second > 0x8F)) {
      return size;
    }
  }
  return lead;
}
std::size_t FitAnsel(std::string_view text, std::size_t max) {
  std::size_t whole = 0;
  while (whole < text.size()) {
    const std::size_t next = whole + CharacterSize(text.substr(whole), Charset::kAnsel);
    if (next > max) break;
    // Marks at the very end of a full piece: their letter is the next piece's first byte.
    if (next == text.size() && IsAnselMark(static_cast<unsigned char>(text[next - 1]))) break;
    whole = next;
  }
  return whole;
}

// Writes UTF-8 text as UTF-16 of one byte order into another sink; counts what it writes.
class Utf16Sink final : public ByteSink {
 public:
  Utf16Sink(ByteSink& inner, bool bigEndian) : inner_(inner), bigEndian_(bigEndian) {}
  bool Write(const char* data, std::size_t size) override {
    units_.clear();
    const std::string_view text(data, size);
    for (std::size_t i = 0; i < text.size();) {
      char32_t cp = 0xFFFD;
      const std::size_t n = Utf8SequenceAt(text.substr(i), cp);
      if (n == 0) cp = 0xFFFD;  // never met: the text comes from UTF-16 or a case mapping
      i += n == 0 ? 1 : n;
      if (cp >= 0x10000) {
        Put(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
        Put(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
      } else {
        Put(static_cast<char16_t>(cp));
      }
    }
    return inner_.Write(units_.data(), units_.size());
  }
  bool Close(std::string* error) override { return inner_.Close(error); }

 private:
  void Put(char16_t unit) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    units_.push_back(bigEndian_ ? high : low);
    units_.push_back(bigEndian_ ? low : high);
  }
  ByteSink& inner_;
  bool bigEndian_;
  std::string units_;
};

// Counts the bytes that reach the sink.
class CountingSink final : public ByteSink {
 public:
  explicit CountingSink(ByteSink& inner) : inner_(inner) {}
  bool Write(const char* data, std::size_t size) override {
    written += static_cast<std::int64_t>(size);
    return inner_.Write(data, size);
  }
  bool Close(std::string* error) override { return inner_.Close(error); }
  std::int64_t written = 0;

 private:
  ByteSink& inner_;
};

// Reads `source` as a conversion does to decide its set; false on a read error. The source is
// rewound.
bool DecideSet(ByteSource& source, CharsetDecision& decision, std::string& firstBytes) {
  char bytes[4];
  std::size_t n = 0;
  while (n < sizeof bytes) {
    const std::ptrdiff_t got = source.Read(bytes + n, sizeof bytes - n);
    if (got < 0) return false;
    if (got == 0) break;
    n += static_cast<std::size_t>(got);
  }
  firstBytes.assign(bytes, n);
  if (!source.Rewind()) return false;
  const std::optional<ByteOrderMark> mark = SniffByteOrderMark(firstBytes);
  std::optional<Utf16Source> utf16;
  std::optional<SkipSource> skipped;
  ByteSource* text = &source;
  if (mark && IsUtf16(mark->charset)) {
    text = &utf16.emplace(source, mark->charset == Charset::kUtf16Be);
  } else if (mark && mark->size != 0) {
    text = &skipped.emplace(source, mark->size);
  }
  CharsetDetector detector(!mark);
  LineReader reader(*text, kReadBlock);
  reader.ForEach([&](Line& line) {
    detector.Feed(line.View(), line.hasEnd);
    return !detector.Done();
  });
  if (reader.Failed()) return false;
  decision = DecideCharset(std::nullopt, firstBytes, detector);
  return source.Rewind();
}

}  // namespace

void CapitaliseProperName(char* text, Charset set) {
  if (text == nullptr) return;
  ProperCaseBytes(text, std::strlen(text), set, "-");
}

bool IsNameLine(std::string_view text) {
  return text.substr(0, kNamePrefix.size()) == kNamePrefix;
}

std::string RewriteNameLine(std::string_view line, Charset set) {
  std::string result(kNamePrefix);
  std::string_view rest =
      line.size() > kNamePrefix.size() ? line.substr(kNamePrefix.size()) : std::string_view();
  std::string cased;
  // Split at '/' as strtok does: leading and repeated '/' are skipped, parts are never empty.
  std::size_t pos = 0;
  for (int part = 0; part < 2; ++part) {
    while (pos < rest.size() && rest[pos] == '/') ++pos;
    if (pos >= rest.size()) break;
    std::size_t stop = rest.find('/', pos);
    if (stop == std::string_view::npos) stop = rest.size();
    const std::string_view text = rest.substr(pos, stop - pos);
    if (IsUnicode(set)) {
      ProperCaseUtf8(text, "-", cased);
    } else {
      cased.assign(text);
      // A NUL ends the part, as it ends a C string.
      cased.resize(std::strlen(cased.c_str()));
      ProperCaseBytes(cased.data(), cased.size(), set, "-");
    }
    result += cased;
    result += '/';
    pos = stop;
  }
  return result;
}

ToolStatus ProperNameStream(ByteSource& source, ByteSink& sink, std::int64_t& length) {
  length = 0;
  try {
    CharsetDecision decision;
    std::string firstBytes;
    if (!DecideSet(source, decision, firstBytes)) return ToolStatus::kInputUnreadable;
    const Charset set = decision.charset;
    CountingSink counted(sink);
    std::optional<Utf16Source> utf16;
    std::optional<SkipSource> skipped;
    std::optional<Utf16Sink> utf16Out;
    ByteSource* text = &source;
    ByteSink* out = &counted;
    // The byte-order mark is skipped on the way in and written back as it was.
    if (decision.skip != 0 && !counted.Write(firstBytes.data(), decision.skip)) {
      return ToolStatus::kWriteFailed;
    }
    if (IsUtf16(set)) {
      text = &utf16.emplace(source, set == Charset::kUtf16Be);
      out = &utf16Out.emplace(counted, set == Charset::kUtf16Be);
    } else if (decision.skip != 0) {
      text = &skipped.emplace(source, decision.skip);
    }
    const LineReader::PieceFit fit =
        IsUnicode(set) ? FitUtf8 : set == Charset::kAnsel ? FitAnsel : nullptr;
    LineReader reader(*text, kReadBlock);
    Line piece;
    while (reader.NextPiece(piece, kMaxNamePiece, fit)) {
      bool written;
      if (IsNameLine({piece.text, piece.size})) {
        // A name line always gets a line end, even a piece cut from a longer line.
        const std::string rewritten = RewriteNameLine({piece.text, piece.size}, set);
        written = out->Write(rewritten.data(), rewritten.size()) && out->Write(kLineEnd, 2);
      } else {
        written = out->Write(piece.text, piece.size) && (!piece.hasEnd || out->Write(kLineEnd, 2));
      }
      if (!written) {
        length = counted.written;
        return ToolStatus::kWriteFailed;
      }
    }
    length = counted.written;
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

ToolResult ProperNameCopy(const char* input, const char* output, const StopRequest& stop) {
  return RunFileTool(input, output, ProperNameStream, stop);
}


}  // namespace brimsel
