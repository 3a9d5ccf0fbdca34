// Decoding of file texts into the tables' encoding, with normalization form C through ICU.
#include "platform/text_decoder.h"

#include <unicode/unorm2.h>
#include <unicode/utf16.h>

#include "platform/ansel.h"
#include "platform/code_page.h"
#include "platform/single_byte.h"
#include "platform/utf8.h"

namespace brimsel {
namespace {

// Below this code point every character is its own normalization form C and composes with
// nothing before it.
constexpr char32_t kFirstComposing = 0x300;

const UNormalizer2* Nfc() {
  static const UNormalizer2* const instance = [] {
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* n = unorm2_getNFCInstance(&status);
    return U_SUCCESS(status) ? n : nullptr;
  }();
  return instance;
}

// True when `text` is valid UTF-8 of code points below U+0300 only: then it is already in
// normalization form C. A lead byte below 0xCC starts such a code point.
bool IsPlainUtf8(std::string_view text) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.data());
  const auto* const end = p + text.size();
  while (p < end) {
    if (*p < 0x80) {
      ++p;
      continue;
    }
    // Below U+0300 a character takes two bytes: a lead from 0xC2 (0xC0 and 0xC1 would be
    // overlong) to 0xCB, and one continuation byte.
    if (*p < 0xC2 || *p > 0xCB || end - p < 2 || (p[1] & 0xC0) != 0x80) return false;
    p += 2;
  }
  return true;
}

bool QuickAnselToUtf8(std::string_view raw, std::string& out);

SingleByteSet SingleByteOf(Charset set) {
  switch (set) {
    case Charset::kCp437:
      return SingleByteSet::kCp437;
    case Charset::kCp850:
      return SingleByteSet::kCp850;
    case Charset::kMacRoman:
      return SingleByteSet::kMacRoman;
    default:
      return SingleByteSet::kWindows1252;
  }
}

}  // namespace

TextDecoder::TextDecoder(const FileCharset& from, TableEncoding to) : from_(from.kind), to_(to) {
  if (from_ == Charset::kConverter) converter_.emplace(from.converter);
}

void TextDecoder::Decode(std::string_view raw, std::string& out, DecodeCounts& counts) {
  if (!DecodeChanged(raw, out, counts)) out.assign(raw);
}

bool TextDecoder::DecodeChanged(std::string_view raw, std::string& out, DecodeCounts& counts) {
  const bool utf8In = from_ == Charset::kUtf8 || IsUtf16(from_);
  // Texts that decode to themselves: plain UTF-8 (ASCII included) into UTF-8 tables, ASCII or
  // Windows-1252 into Windows-1252 tables.
  const bool same = utf8In && to_ == TableEncoding::kUtf8
                        ? IsPlainUtf8(raw)
                        : IsAscii(raw) || (from_ == Charset::kWindows1252 &&
                                           to_ == TableEncoding::kWindows1252);
  if (same) return false;
  if (from_ == Charset::kAnsel && to_ == TableEncoding::kUtf8 && QuickAnselToUtf8(raw, out)) return true;
  ToCodePoints(raw, counts);
  Normalize();
  Write(out, counts);
  return true;
}

std::size_t TextDecoder::RestartPoint(std::string_view raw) const {
  for (std::size_t i = raw.size(); i-- > 1;) {
    if (static_cast<unsigned char>(raw[i]) >= 0x80) continue;
    if (from_ == Charset::kAnsel && IsAnselMark(static_cast<unsigned char>(raw[i - 1]))) continue;
    return i;
  }
  return 0;
}

void TextDecoder::ToCodePoints(std::string_view raw, DecodeCounts& counts) {
  codePoints_.clear();
  if (converter_) {
    converter_->Decode(raw, codePoints_);
  } else if (from_ == Charset::kAnsel) {
    DecodeAnsel(raw, codePoints_);
  } else if (from_ == Charset::kUtf8 || IsUtf16(from_)) {
    std::size_t i = 0;
    while (i < raw.size()) {
      char32_t cp;
      const std::size_t n = Utf8SequenceAt(raw.substr(i), cp);
      if (n == 0) {
        codePoints_.push_back(Cp1252ToCodePoint(static_cast<unsigned char>(raw[i])));
        ++counts.readAsCp1252;
        ++i;
      } else {
        codePoints_.push_back(cp);
        i += n;
      }
    }
  } else {
    const SingleByteSet set = SingleByteOf(from_);
    for (char c : raw)
      codePoints_.push_back(SingleByteToCodePoint(set, static_cast<unsigned char>(c)));
  }
}

namespace {

// The marks that accented Latin letters are most often written with (ANSEL's accents and
// macOS's decomposed UTF-8): U+0300 to U+030C, U+0327 and U+0328.
constexpr char32_t kMarks[] = {0x300, 0x301, 0x302, 0x303, 0x304, 0x306, 0x307, 0x308,
                               0x30A, 0x30B, 0x30C, 0x327, 0x328};
constexpr std::size_t kMarkCount = sizeof kMarks / sizeof kMarks[0];

// What normalization form C makes of an ASCII letter followed by one of kMarks: the
// composed letter, or 0 when they stay apart. Taken from ICU once.
struct LatinCompositions {
  char32_t composed[128][kMarkCount] = {};
  LatinCompositions() {
    const UNormalizer2* nfc = Nfc();
    if (nfc == nullptr) return;
    for (char32_t letter = 'A'; letter <= 'z'; ++letter) {
      if (letter > 'Z' && letter < 'a') continue;
      for (std::size_t m = 0; m < kMarkCount; ++m) {
        const UChar32 c = unorm2_composePair(nfc, static_cast<UChar32>(letter),
                                             static_cast<UChar32>(kMarks[m]));
        composed[letter][m] = c < 0 ? 0 : static_cast<char32_t>(c);
      }
    }
  }
};

std::size_t MarkIndex(char32_t cp) {
  for (std::size_t m = 0; m < kMarkCount; ++m) {
    if (kMarks[m] == cp) return m;
  }
  return kMarkCount;
}

const LatinCompositions& Compositions() {
  static const LatinCompositions table;
  return table;
}

bool IsAsciiLetter(char32_t c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// ANSEL into UTF-8 the quick way: ASCII as it is, a single mark before an ASCII letter as the
// composed letter, the other bytes of the extended half as their characters. False when the
// text needs the general way (marks on one letter that do not compose into one character, or
// marks at the end).
bool QuickAnselToUtf8(std::string_view raw, std::string& out) {
  out.clear();
  const LatinCompositions& table = Compositions();
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const auto c = static_cast<unsigned char>(raw[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    if (!IsAnselMark(c)) {
      AppendUtf8(out, AnselCharacter(c));
      continue;
    }
    if (i + 1 == raw.size()) return false;
    const auto letter = static_cast<unsigned char>(raw[i + 1]);
    const std::size_t m = MarkIndex(AnselMark(c));
    if (!IsAsciiLetter(letter) || m == kMarkCount || table.composed[letter][m] == 0) return false;
    AppendUtf8(out, table.composed[letter][m]);
    ++i;
  }
  return true;
}

}  // namespace

bool TextDecoder::ComposeLatin() {
  // Only the plain case: each character from U+0300 up is one of kMarks, alone after an ASCII
  // letter it composes with. Anything else (two marks on a letter, other scripts) is left to
  // ICU, which orders and composes marks in general.
  const LatinCompositions& kTable = Compositions();
  std::size_t out = 0;
  for (std::size_t i = 0; i < codePoints_.size(); ++i) {
    const char32_t cp = codePoints_[i];
    if (cp < kFirstComposing) {
      codePoints_[out++] = cp;
      continue;
    }
    const std::size_t m = MarkIndex(cp);
    if (m == kMarkCount || out == 0 || codePoints_[out - 1] >= 128) return false;
    if (i + 1 < codePoints_.size() && codePoints_[i + 1] >= kFirstComposing) return false;
    const char32_t composed = kTable.composed[codePoints_[out - 1]][m];
    if (composed == 0) return false;
    codePoints_[out - 1] = composed;
  }
  codePoints_.resize(out);
  return true;
}

void TextDecoder::Normalize() {
  bool simple = true;
  for (char32_t cp : codePoints_) simple = simple && cp < kFirstComposing;
  const UNormalizer2* nfc = Nfc();
  if (simple || nfc == nullptr) return;
  // The common accented letters compose without a round trip through ICU; the code points are
  // unchanged when the quick way does not apply.
  saved_ = codePoints_;
  if (ComposeLatin()) return;
  codePoints_.swap(saved_);
  utf16_.clear();
  for (char32_t cp : codePoints_) {
    if (cp < 0x10000) {
      utf16_.push_back(static_cast<char16_t>(cp));
    } else {
      utf16_.push_back(static_cast<char16_t>(U16_LEAD(cp)));
      utf16_.push_back(static_cast<char16_t>(U16_TRAIL(cp)));
    }
  }
  const auto length = static_cast<int32_t>(utf16_.size());
  UErrorCode status = U_ZERO_ERROR;
  if (unorm2_quickCheck(nfc, utf16_.data(), length, &status) == UNORM_YES && U_SUCCESS(status))
    return;
  status = U_ZERO_ERROR;
  // Normalization form C makes a text at most three times longer in UTF-16.
  normalized_.resize(utf16_.size() * 3 + 8);
  const int32_t written = unorm2_normalize(nfc, utf16_.data(), length, normalized_.data(),
                                           static_cast<int32_t>(normalized_.size()), &status);
  if (U_FAILURE(status)) return;
  codePoints_.clear();
  for (int32_t i = 0; i < written;) {
    UChar32 cp;
    U16_NEXT(normalized_.data(), i, written, cp);
    codePoints_.push_back(static_cast<char32_t>(cp));
  }
}

void TextDecoder::Write(std::string& out, DecodeCounts& counts) const {
  out.clear();
  if (to_ == TableEncoding::kUtf8) {
    for (char32_t cp : codePoints_) AppendUtf8(out, cp);
    return;
  }
  for (char32_t cp : codePoints_) {
    if (const std::optional<unsigned char> b = CodePointToCp1252(cp)) {
      out.push_back(static_cast<char>(*b));
    } else {
      out.push_back('?');
      ++counts.replaced;
    }
  }
}

void DecodeText(std::string_view raw, const FileCharset& from, TableEncoding to, std::string& out,
                DecodeCounts& counts) {
  TextDecoder decoder(from, to);
  decoder.Decode(raw, out, counts);
}

std::size_t CutToFit(std::string_view text, std::size_t maxBytes, TableEncoding encoding) {
  if (text.size() <= maxBytes) return text.size();
  if (encoding == TableEncoding::kWindows1252) return maxBytes;
  // Back to the lead byte of the character that text[max_bytes] belongs to: at most three
  // continuation bytes stand after it in a valid sequence. The cut moves there only when that
  // sequence is valid and reaches past the limit; a stray byte is a character of its own.
  const auto continuation = [&](std::size_t i) {
    return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
  };
  std::size_t cut = maxBytes;
  for (int step = 0; step < 3 && cut > 0 && continuation(cut); ++step) --cut;
  if (cut == maxBytes) return maxBytes;
  char32_t cp;
  if (Utf8SequenceAt(text.substr(cut), cp) > maxBytes - cut) return cut;
  return maxBytes;
}

std::size_t CharacterSize(std::string_view text, Charset set) {
  if (text.empty()) return 0;
  if (set == Charset::kUtf8 || IsUtf16(set)) {
    char32_t cp;
    const std::size_t n = Utf8SequenceAt(text, cp);
    return n == 0 ? 1 : n;
  }
  if (set == Charset::kAnsel) {
    std::size_t i = 0;
    while (i < text.size() && IsAnselMark(static_cast<unsigned char>(text[i]))) ++i;
    return i < text.size() ? i + 1 : i;
  }
  return 1;
}

}  // namespace brimsel
