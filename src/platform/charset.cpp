// Which character set a GEDCOM file is read in: names, byte-order marks, the detector of the
// HEAD record and of UTF-8 bytes, and the decision.
#include "platform/charset.h"

#include <array>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "platform/text_bytes.h"
#include "platform/text_decoder.h"
#include "platform/utf8.h"

namespace brimsel {
namespace {

struct NamedSet {
  std::string_view name;
  Charset set;
};

// The CHAR values of the HEAD record, upper case.
constexpr std::array<NamedSet, 25> kCharValues = {{
    {"UTF-8", Charset::kUtf8},
    {"UTF8", Charset::kUtf8},
    {"UNICODE", Charset::kUtf8},
    {"UTF-16", Charset::kUtf8},
    {"UTF16", Charset::kUtf8},
    {"ANSEL", Charset::kAnsel},
    {"ASCII", Charset::kWindows1252},
    {"ANSI", Charset::kWindows1252},
    {"WINDOWS", Charset::kWindows1252},
    {"IBM WINDOWS", Charset::kWindows1252},
    {"WINDOWS-1252", Charset::kWindows1252},
    {"CP1252", Charset::kWindows1252},
    {"ISO-8859-1", Charset::kWindows1252},
    {"ISO8859-1", Charset::kWindows1252},
    {"LATIN1", Charset::kWindows1252},
    {"IBMPC", Charset::kCp437},
    {"IBM PC", Charset::kCp437},
    {"IBM-PC", Charset::kCp437},
    {"OEM", Charset::kCp437},
    {"CP437", Charset::kCp437},
    {"MSDOS", Charset::kCp850},
    {"CP850", Charset::kCp850},
    {"MACINTOSH", Charset::kMacRoman},
    {"MACROMAN", Charset::kMacRoman},
    {"MAC", Charset::kMacRoman},
}};

// The CHAR values that name a UTF-16 file without its byte order.
constexpr std::array<std::string_view, 3> kUtf16Values = {"UNICODE", "UTF-16", "UTF16"};

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
  }
  return true;
}

bool IsUtf16Value(std::string_view value) {
  value = TrimBlanks(value);
  for (std::string_view v : kUtf16Values) {
    if (EqualsIgnoringAsciiCase(value, v)) return true;
  }
  return false;
}

// True when a CHAR value names the set a file is read in. UNICODE, UTF-16 and UTF16 name a
// UTF-16 file (and UTF-8 as well, whose list they are in).
bool CharValueAgrees(std::string_view value, Charset used) {
  if (IsUtf16(used)) return IsUtf16Value(value);
  const std::optional<Charset> named = CharsetFromCharValue(value);
  return named.has_value() && *named == used;
}

// A GEDCOM line split as level number, tag and value (the rest after the tag and one blank).
struct LineParts {
  int level = -1;
  std::string_view tag;
  std::string_view value;
};

// False when the line does not start with a number followed by a blank.
bool SplitLine(std::string_view line, LineParts& parts) {
  std::size_t i = 0;
  int level = 0;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9') {
    if (level < 1000) level = level * 10 + (line[i] - '0');
    ++i;
  }
  if (i == 0 || i >= line.size() || !IsBlank(line[i])) return false;
  ++i;
  const std::size_t tagStart = i;
  while (i < line.size() && !IsBlank(line[i])) ++i;
  parts.level = level;
  parts.tag = line.substr(tagStart, i - tagStart);
  parts.value = i < line.size() ? line.substr(i + 1) : std::string_view();
  return true;
}

}  // namespace

std::string_view CharsetName(Charset set) {
  switch (set) {
    case Charset::kUtf8:
      return "UTF-8";
    case Charset::kUtf16Le:
      return "UTF-16LE";
    case Charset::kUtf16Be:
      return "UTF-16BE";
    case Charset::kAnsel:
      return "ANSEL";
    case Charset::kWindows1252:
      return "Windows-1252";
    case Charset::kCp437:
      return "CP437";
    case Charset::kCp850:
      return "CP850";
    case Charset::kMacRoman:
      return "MACINTOSH";
    case Charset::kConverter:
      return "ICU";
  }
  return "Windows-1252";
}

TableEncoding DefaultTableEncoding(Charset set) {
  switch (set) {
    case Charset::kUtf8:
    case Charset::kUtf16Le:
    case Charset::kUtf16Be:
    case Charset::kAnsel:
    case Charset::kConverter:
      return TableEncoding::kUtf8;
    default:
      return TableEncoding::kWindows1252;
  }
}

std::optional<Charset> CharsetFromCharValue(std::string_view value) {
  value = TrimBlanks(value);
  for (const NamedSet& entry : kCharValues) {
    if (EqualsIgnoringAsciiCase(value, entry.name)) return entry.set;
  }
  return std::nullopt;
}

std::optional<Charset> CharsetFromOption(std::string_view name) {
  name = TrimBlanks(name);
  if (IsUtf16Value(name)) return std::nullopt;
  for (const NamedSet& entry : kCharValues) {
    if (EqualsIgnoringAsciiCase(name, entry.name)) return entry.set;
  }
  for (Charset set :
       {Charset::kUtf8, Charset::kUtf16Le, Charset::kUtf16Be, Charset::kAnsel,
        Charset::kWindows1252, Charset::kCp437, Charset::kCp850, Charset::kMacRoman}) {
    if (EqualsIgnoringAsciiCase(name, CharsetName(set))) return set;
  }
  return std::nullopt;
}

std::optional<TableEncoding> TableEncodingFromOption(std::string_view name) {
  name = TrimBlanks(name);
  if (EqualsIgnoringAsciiCase(name, "utf-8")) return TableEncoding::kUtf8;
  if (EqualsIgnoringAsciiCase(name, "windows-1252")) return TableEncoding::kWindows1252;
  return std::nullopt;
}

std::optional<ByteOrderMark> SniffByteOrderMark(std::string_view first) {
  const auto starts = [&](std::string_view prefix) {
    return first.substr(0, prefix.size()) == prefix;
  };
  using namespace std::string_view_literals;
  if (starts("\xEF\xBB\xBF"sv)) return ByteOrderMark{Charset::kUtf8, 3};
  if (starts("\xFF\xFE"sv)) return ByteOrderMark{Charset::kUtf16Le, 2};
  if (starts("\xFE\xFF"sv)) return ByteOrderMark{Charset::kUtf16Be, 2};
  if (starts("\x30\x00"sv)) return ByteOrderMark{Charset::kUtf16Le, 0};
  if (starts("\x00\x30"sv)) return ByteOrderMark{Charset::kUtf16Be, 0};
  return std::nullopt;
}

std::size_t OwnByteOrderMarkSize(Charset set, std::string_view first) {
  const std::optional<ByteOrderMark> mark = SniffByteOrderMark(first);
  return mark && mark->charset == set ? mark->size : 0;
}

void CharsetDetector::Feed(std::string_view line, bool hasEnd) {
  if (head_ != HeadState::kAfter && line.size() + (hasEnd ? 1 : 0) >= 6) ReadHeadLine(line);
  if (!checkBytes_ || bytes_.invalid) return;
  if (bytes_.need == 0) {
    if (!IsAscii(line)) CheckBytes(line);
    return;
  }
  // A sequence is open at the end of the text before: only a CONC value continues it.
  LineParts parts;
  if (SplitLine(line, parts) && parts.tag == "CONC") {
    CheckBytes(parts.value);
  } else {
    bytes_.invalid = true;
  }
}

void CharsetDetector::ReadHeadLine(std::string_view line) {
  LineParts parts;
  if (!SplitLine(line, parts)) return;
  if (head_ == HeadState::kBeforeFirst) {
    if (parts.level == 0) head_ = parts.tag == "HEAD" ? HeadState::kInHead : HeadState::kAfter;
    return;
  }
  switch (parts.level) {
    case 0:
      head_ = HeadState::kAfter;
      break;
    case 1:
      inGedc_ = parts.tag == "GEDC";
      if (parts.tag == "CHAR" && !charSeen_) {
        charSeen_ = true;
        const std::string_view value = TrimBlanks(parts.value);
        if (!value.empty()) charValue_ = std::string(value);
      }
      break;
    case 2:
      if (inGedc_ && parts.tag == "VERS") {
        const std::string_view value = TrimBlanks(parts.value);
        if (!value.empty() && value.front() == '7') gedcom7_ = true;
      }
      break;
    default:
      break;
  }
}

bool Utf8Check::Take(unsigned char c) {
  if (need != 0) {
    if (c < low || c > high) {
      invalid = true;
      return false;
    }
    low = 0x80;
    high = 0xBF;
    if (--need == 0) multibyte = true;
    return true;
  }
  if (c < 0x80) return true;
  if (c >= 0xC2 && c <= 0xDF) {
    need = 1;
  } else if (c >= 0xE0 && c <= 0xEF) {
    need = 2;
    if (c == 0xE0) low = 0xA0;
    if (c == 0xED) high = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    need = 3;
    if (c == 0xF0) low = 0x90;
    if (c == 0xF4) high = 0x8F;
  } else {
    invalid = true;
    return false;
  }
  return true;
}

void Utf8Stream::Feed(std::string_view bytes) {
  const char* p = bytes.data();
  const char* const end = p + bytes.size();
  while (p < end && !Decided()) {
    if (mode_ == Mode::kText) {
      // The text of a line, in a loop of its own: the other modes only last a few bytes.
      while (p < end) {
        if (check_.need == 0) {
          // Nothing open: line ends do not matter, only bytes from 0x80 up, NUL and byte 26.
#if defined(__SSE2__)
          const __m128i zero = _mm_setzero_si128();
          const __m128i sub = _mm_set1_epi8(kEndOfInput);
          while (end - p >= 16) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            const __m128i special =
                _mm_or_si128(_mm_cmpeq_epi8(v, zero), _mm_cmpeq_epi8(v, sub));
            if (_mm_movemask_epi8(_mm_or_si128(v, special)) != 0) break;
            p += 16;
          }
#endif
          while (end - p >= 8) {
            std::uint64_t w;
            std::memcpy(&w, p, 8);
            const std::uint64_t sub = w ^ (kEndOfInput * kEachByteOne);
            const std::uint64_t special =
                (w | ((w - kEachByteOne) & ~w) | ((sub - kEachByteOne) & ~sub)) & kEachByteHigh;
            if (special != 0) break;
            p += 8;
          }
          if (p == end) return;
        }
        const auto c = static_cast<unsigned char>(*p);
        if (c >= 0x80) {
          sawHigh_ = true;
          // The usual case, a two-byte character, at once.
          if (check_.need == 0 && c >= 0xC2 && c <= 0xDF && end - p >= 2 &&
              (static_cast<unsigned char>(p[1]) & 0xC0) == 0x80) {
            check_.multibyte = true;
            p += 2;
            continue;
          }
          ++p;
          if (!check_.Take(c)) return;
          continue;
        }
        if (c == 0 || c == kEndOfInput || ((c == '\n' || c == '\r') && check_.need != 0)) break;
        ++p;
        if (check_.need != 0 && !check_.Take(c)) return;  // ASCII inside a sequence
      }
      if (p == end) return;
    }
    const char ch = *p++;
    const auto c = static_cast<unsigned char>(ch);
    if (c == kEndOfInput) {
      mode_ = Mode::kEnded;
      break;
    }
    switch (mode_) {
      case Mode::kText:
        if (ch == '\n' || ch == '\r') {
          if (check_.need != 0) {
            lineEnd_ = ch;
            mode_ = Mode::kLineEnd;
          }
        } else if (c == 0) {
          mode_ = Mode::kHidden;
        } else {
          if (c >= 0x80) sawHigh_ = true;
          check_.Take(c);
        }
        break;
      case Mode::kHidden:
        if (ch == '\n' || ch == '\r') {
          if (check_.need != 0) {
            lineEnd_ = ch;
            mode_ = Mode::kLineEnd;
          } else {
            mode_ = Mode::kText;
          }
        }
        break;
      case Mode::kLineEnd:
        mode_ = Mode::kLevel;
        if ((ch == '\n' || ch == '\r') && ch != lineEnd_) break;  // the partner of a pair
        --p;  // the first byte of the next line
        break;
      case Mode::kLevel:
      case Mode::kLevelDigits:
        if (ch >= '0' && ch <= '9') {
          mode_ = Mode::kLevelDigits;
        } else if (mode_ == Mode::kLevelDigits && IsBlank(ch) && ch != '\n' && ch != '\r') {
          mode_ = Mode::kTag;
          tagBytes_ = 0;
          tagIsConc_ = true;
        } else {
          Fail();  // not "level blank": no CONC line
        }
        break;
      case Mode::kTag: {
        const bool lineEnds = ch == '\n' || ch == '\r' || c == 0;
        if (lineEnds || IsBlank(ch)) {
          if (!tagIsConc_ || tagBytes_ != 4) {
            Fail();
          } else if (lineEnds) {
            // "CONC" without a value: the sequence stays open for the line after.
            if (c == 0) {
              mode_ = Mode::kHidden;
            } else {
              lineEnd_ = ch;
              mode_ = Mode::kLineEnd;
            }
          } else {
            mode_ = Mode::kText;  // the value follows the one blank after the tag
          }
        } else {
          tagIsConc_ = tagIsConc_ && tagBytes_ < 4 && ch == "CONC"[tagBytes_];
          ++tagBytes_;
        }
        break;
      }
      case Mode::kEnded:
        break;
    }
  }
}

void CharsetDetector::CheckBytes(std::string_view bytes) {
  for (char ch : bytes) {
    if (!bytes_.Take(static_cast<unsigned char>(ch))) return;
  }
}

CharsetDecision DecideCharset(std::optional<Charset> userChoice, std::string_view firstBytes,
                              const CharsetDetector& detector) {
  CharsetDecision decision;
  if (userChoice) {
    decision.charset = *userChoice;
    decision.skip = OwnByteOrderMarkSize(*userChoice, firstBytes);
    return decision;
  }
  const std::optional<std::string>& value = detector.CharValue();
  const std::optional<Charset> declared = value ? CharsetFromCharValue(*value) : std::nullopt;
  if (const std::optional<ByteOrderMark> mark = SniffByteOrderMark(firstBytes)) {
    decision.charset = mark->charset;
    decision.skip = mark->size;
  } else if (detector.Gedcom7() || detector.IsUtf8()) {
    decision.charset = Charset::kUtf8;
  } else if (declared) {
    decision.charset = *declared;
  } else {
    decision.charset = Charset::kWindows1252;
  }
  const bool agrees = !value || CharValueAgrees(*value, decision.charset);
  if (decision.charset == Charset::kWindows1252 && agrees) return decision;
  decision.message = "Jeu de caract\xE8res ";
  decision.message += CharsetName(decision.charset);
  if (!agrees) {
    std::string shown;
    DecodeCounts counts;
    DecodeText(*value, decision.charset, TableEncoding::kWindows1252, shown, counts);
    decision.message += " (CHAR ";
    decision.message += shown;
    decision.message += ")";
  }
  return decision;
}

}  // namespace brimsel
