// Letter case: Windows-1252 tables, and the Unicode mappings through ICU for UTF-8 texts.
#include "platform/text_case.h"

#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>
#include <unicode/utf16.h>

#include "platform/ansel.h"
#include "platform/code_page.h"
#include "platform/text_bytes.h"
#include "platform/utf8.h"

namespace brimsel {
namespace {

using ByteTable = std::array<unsigned char, 256>;

constexpr ByteTable MakeUpper() {
  ByteTable t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
  for (int i = 'a'; i <= 'z'; ++i) t[i] = static_cast<unsigned char>(i - 0x20);
  for (int i = 0xE0; i <= 0xFE; ++i) {
    if (i != 0xF7) t[i] = static_cast<unsigned char>(i - 0x20);
  }
  t[0x9A] = 0x8A;  // š Š
  t[0x9C] = 0x8C;  // œ Œ
  t[0x9E] = 0x8E;  // ž Ž
  t[0xFF] = 0x9F;  // ÿ Ÿ
  return t;
}

constexpr ByteTable MakeLower() {
  ByteTable t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
  for (int i = 'A'; i <= 'Z'; ++i) t[i] = static_cast<unsigned char>(i + 0x20);
  for (int i = 0xC0; i <= 0xDE; ++i) {
    if (i != 0xD7) t[i] = static_cast<unsigned char>(i + 0x20);
  }
  t[0x8A] = 0x9A;
  t[0x8C] = 0x9C;
  t[0x8E] = 0x9E;
  t[0x9F] = 0xFF;
  return t;
}

constexpr ByteTable kUpper = MakeUpper();
constexpr ByteTable kLower = MakeLower();

inline char AsciiUpper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// The next code point of `text` from `i`, a byte outside a valid sequence as its Windows-1252
// character; moves `i` past it.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
  char32_t cp;
  const std::size_t n = Utf8SequenceAt(text.substr(i), cp);
  if (n == 0) {
    cp = Cp1252ToCodePoint(static_cast<unsigned char>(text[i]));
    ++i;
  } else {
    i += n;
  }
  return cp;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
  if (cp < 0x10000) {
    out.push_back(static_cast<char16_t>(cp));
  } else {
    out.push_back(static_cast<char16_t>(U16_LEAD(cp)));
    out.push_back(static_cast<char16_t>(U16_TRAIL(cp)));
  }
}

// Runs an ICU string function that writes into a buffer, growing the buffer once when it is
// too small. False when the function fails.
template <class F>
bool Transform(const std::u16string& in, std::u16string& out, F&& f) {
  out.resize(in.size() * 3 + 8);
  for (int attempt = 0; attempt < 2; ++attempt) {
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = f(in.data(), static_cast<int32_t>(in.size()), out.data(),
                        static_cast<int32_t>(out.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      out.resize(static_cast<std::size_t>(n));
      continue;
    }
    if (U_FAILURE(status)) return false;
    out.resize(static_cast<std::size_t>(n));
    return true;
  }
  return false;
}

}  // namespace

const std::array<unsigned char, 256>& Cp1252UpperTable() {
  return kUpper;
}
const std::array<unsigned char, 256>& Cp1252LowerTable() {
  return kLower;
}

int CompareCp1252IgnoringCase(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char x = kUpper[static_cast<unsigned char>(a[i])];
    const unsigned char y = kUpper[static_cast<unsigned char>(b[i])];
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void ProperCaseBytes(char* text, std::size_t size, Charset set, std::string_view separators) {
  const bool cp1252 = set == Charset::kWindows1252;
  const auto upper = [&](char c) {
    return cp1252 ? static_cast<char>(kUpper[static_cast<unsigned char>(c)]) : AsciiUpper(c);
  };
  const auto lower = [&](char c) {
    return cp1252 ? static_cast<char>(kLower[static_cast<unsigned char>(c)]) : AsciiLower(c);
  };
  bool startsWord = true;  // the first character starts the name
  bool first = true;
  std::size_t i = 0;
  while (i < size) {
    // In ANSEL the marks before a letter belong to it and stay as they are.
    if (set == Charset::kAnsel) {
      while (i < size && IsAnselMark(static_cast<unsigned char>(text[i]))) ++i;
      if (i == size) break;
    }
    char& c = text[i++];
    if (!first && separators.find(c) != std::string_view::npos) {
      startsWord = true;
    } else if (startsWord) {
      c = upper(c);
      startsWord = false;
    } else {
      c = lower(c);
    }
    first = false;
  }
}

namespace {

// The key of a text whose characters are all below U+0100: such a text is in normalization
// form C already (it has no combining mark), and Unicode's full case folding of Latin-1 is A-Z
// and À-Þ (but ×) to small letters, ß to "ss" and µ to Greek μ. False, with `key` undefined, for
// a text with another character (or a byte outside a valid sequence), which ICU then folds.
bool Latin1FoldKey(std::string_view text, std::string& key) {
  key.clear();
  key.reserve(text.size() + 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x80) {
      key.push_back(AsciiLower(static_cast<char>(c)));
      continue;
    }
    if ((c != 0xC2 && c != 0xC3) || i + 1 == text.size()) return false;
    const unsigned char next = static_cast<unsigned char>(text[i + 1]);
    if ((next & 0xC0) != 0x80) return false;
    ++i;
    char32_t cp = static_cast<char32_t>(((c & 0x1F) << 6) | (next & 0x3F));
    if (cp == 0xDF) {
      key += "ss";
      continue;
    }
    if (cp == 0xB5) cp = 0x3BC;
    if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) cp += 0x20;
    AppendUtf8(key, cp);
  }
  return true;
}

}  // namespace

void CaseFoldKey(std::string_view text, std::string& key) {
  key.clear();
  if (IsAscii(text)) {
    key.reserve(text.size());
    for (char c : text) key.push_back(AsciiLower(c));
    return;
  }
  if (Latin1FoldKey(text, key)) return;
  key.clear();
  std::u16string utf16;
  for (std::size_t i = 0; i < text.size();) AppendUtf16(utf16, NextCodePoint(text, i));
  std::u16string normalized;
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
  if (U_FAILURE(status) ||
      !Transform(utf16, normalized,
                 [&](const UChar* s, int32_t n, UChar* d, int32_t cap, UErrorCode* e) {
                   return unorm2_normalize(nfc, s, n, d, cap, e);
                 })) {
    normalized = utf16;
  }
  std::u16string folded;
  if (!Transform(normalized, folded,
                 [](const UChar* s, int32_t n, UChar* d, int32_t cap, UErrorCode* e) {
                   return u_strFoldCase(d, cap, s, n, U_FOLD_CASE_DEFAULT, e);
                 })) {
    folded = normalized;
  }
  for (int32_t i = 0, n = static_cast<int32_t>(folded.size()); i < n;) {
    UChar32 cp;
    U16_NEXT(folded.data(), i, n, cp);
    AppendUtf8(key, static_cast<char32_t>(cp));
  }
}

int CompareUtf8IgnoringCase(std::string_view a, std::string_view b) {
  if (IsAscii(a) && IsAscii(b)) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
      const auto x = static_cast<unsigned char>(AsciiLower(a[i]));
      const auto y = static_cast<unsigned char>(AsciiLower(b[i]));
      if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
  }
  std::string ka;
  std::string kb;
  CaseFoldKey(a, ka);
  CaseFoldKey(b, kb);
  const int c = ka.compare(kb);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

namespace {

// Unicode's simple titlecase and lowercase mappings of the characters below U+0100, as ICU has
// them: A-Z and À-Þ (but ×) have small letters; a-z and à-þ (but ÷) capitals; ÿ is Ÿ (U+0178)
// and µ Greek Μ (U+039C) as capitals; ß has no simple capital.
char32_t Latin1Title(char32_t cp) {
  if ((cp >= 'a' && cp <= 'z') || (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7)) return cp - 0x20;
  if (cp == 0xFF) return 0x178;
  if (cp == 0xB5) return 0x39C;
  return cp;
}
char32_t Latin1Lower(char32_t cp) {
  if ((cp >= 'A' && cp <= 'Z') || (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)) return cp + 0x20;
  return cp;
}

}  // namespace

void ProperCaseUtf8(std::string_view text, std::string_view separators, std::string& out) {
  out.clear();
  out.reserve(text.size());
  bool startsWord = true;
  bool first = true;
  for (std::size_t i = 0; i < text.size();) {
    const char32_t cp = NextCodePoint(text, i);
    char32_t mapped;
    if (!first && cp < 0x80 && separators.find(static_cast<char>(cp)) != std::string_view::npos) {
      startsWord = true;
      mapped = cp;
    } else if (startsWord) {
      mapped = cp < 0x100 ? Latin1Title(cp) : static_cast<char32_t>(u_totitle(static_cast<UChar32>(cp)));
      startsWord = false;
    } else {
      mapped = cp < 0x100 ? Latin1Lower(cp) : static_cast<char32_t>(u_tolower(static_cast<UChar32>(cp)));
    }
    first = false;
    AppendUtf8(out, mapped);
  }
}

}  // namespace brimsel
