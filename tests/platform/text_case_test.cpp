// Letter case in Windows-1252 and Unicode; the quick ways around ICU give what ICU gives.
#include "platform/text_case.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>

#include <string>
#include <vector>

#include "platform/ansel.h"
#include "platform/text_decoder.h"
#include "platform/utf8.h"

namespace brimsel {
namespace {

TEST(Cp1252Case, PairsAndLoneLetters) {
  // Capital and small of each pair, as Windows-1252 bytes.
  std::vector<std::pair<int, int>> pairs = {{0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E}, {0x9F, 0xFF}};
  for (int c = 'A'; c <= 0xDE; ++c) {
    if ((c <= 'Z' || c >= 0xC0) && c != 0xD7) pairs.emplace_back(c, c + 32);
  }
  for (auto [upper, lower] : pairs) {
    EXPECT_EQ(Cp1252Upper(static_cast<unsigned char>(lower)), upper) << lower;
    EXPECT_EQ(Cp1252Lower(static_cast<unsigned char>(upper)), lower) << upper;
  }
  // Every other byte keeps its case (× ÷ ß µ ª º among them), and so does a letter in its case.
  int changed = 0;
  for (int b = 0; b < 256; ++b) {
    changed += (Cp1252Upper(static_cast<unsigned char>(b)) != b) + (Cp1252Lower(static_cast<unsigned char>(b)) != b);
  }
  EXPECT_EQ(changed, static_cast<int>(2 * pairs.size()));
}

TEST(Utf8Case, FoldKeysMakeOneEntry) {
  const struct {
    const char* a;
    const char* b;
  } same[] = {
      {"Qu\u00E9r\u00E9", "QU\u00C9R\u00C9"},
      {"Que\u0301re\u0301", "QU\u00C9R\u00C9"},  // decomposed and composed
      {"Stra\u00DFe", "STRASSE"},                // full folding
      {"\u03A3\u039F\u03A6\u039F\u03A3", "\u03C3\u03BF\u03C6\u03BF\u03C2"},
      {"Dupont", "DUPONT"},
      {"Qu\xE9r\xE9", "qu\u00E9r\u00E9"},  // a stray byte as its Windows-1252 letter
  };
  for (const auto& c : same) EXPECT_EQ(CompareUtf8IgnoringCase(c.a, c.b), 0) << c.a << " " << c.b;
  // Folded to small letters, in code point order: '[' to '`' before the letters, ASCII or not.
  for (const auto& [a, b] : {std::pair{"_x", "abel"}, {"_x", "\u00C9mile"}, {"Z", "\u00E9"}})
    EXPECT_LT(CompareUtf8IgnoringCase(a, b), 0) << a << " " << b;
  std::string key;
  CaseFoldKey("ABC[", key);
  EXPECT_EQ(key, "abc[");
}

TEST(Utf8Case, ProperCase) {
  const struct {
    std::string in;
    std::string out;
  } cases[] = {
      {"\u00C9LODIE-MARIE", "\u00C9lodie-Marie"}, {"qu\u00E9r\u00E9", "Qu\u00E9r\u00E9"},
      {"\u01C6URO", "\u01C5uro"},       // titlecase, not capital
      {"x\u0130STANBUL", "Xistanbul"},  // simple lowercase of İ is i
      {"\u0141\u00D3D\u0179", "\u0141\u00F3d\u017A"},
      {"\xE9MILE", "\u00C9mile"},  // a stray byte read as Windows-1252, written as UTF-8
      {"STRASSE-STRA\u1E9E", "Strasse-Stra\u00DF"}, {"", ""},
  };
  for (const auto& c : cases) {
    std::string out;
    ProperCaseUtf8(c.in, "-", out);
    EXPECT_EQ(out, c.out) << c.in;
  }
}

std::string Utf8(std::u16string_view units) {
  std::string utf8;
  for (char16_t u : units) AppendUtf8(utf8, u);
  return utf8;
}

// ICU's normalisation form C of `units`, all in the BMP.
std::string IcuNfc(const std::u16string& units) {
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
  UChar out[64];
  const int32_t n = unorm2_normalize(nfc, reinterpret_cast<const UChar*>(units.data()),
                                     static_cast<int32_t>(units.size()), out, 64, &status);
  EXPECT_TRUE(U_SUCCESS(status));
  return Utf8({out, static_cast<std::size_t>(n)});
}

// The case key and the proper case of every Latin-1 character, as ICU folds and cases it.
TEST(CaseFold, EveryLatin1CharacterFoldsAndChangesCaseAsIcuDoes) {
  for (char32_t cp = 1; cp < 0x100; ++cp) {
    std::string text;
    AppendUtf8(text, cp);
    const UChar in[2] = {static_cast<UChar>(cp), 0};
    UChar folded[8];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = u_strFoldCase(folded, 8, in, 1, U_FOLD_CASE_DEFAULT, &status);
    std::string key;
    CaseFoldKey("x" + text + "\xC3\xA9", key);  // not ASCII, so never the ASCII path
    EXPECT_EQ(key, "x" + Utf8({folded, std::size_t(n)}) + "\xC3\xA9")
        << std::hex << static_cast<unsigned>(cp);
    std::string expected, cased;
    AppendUtf8(expected, static_cast<char32_t>(u_totitle(static_cast<UChar32>(cp))));
    AppendUtf8(expected, static_cast<char32_t>(u_tolower(static_cast<UChar32>(cp))));
    ProperCaseUtf8(text + text, "", cased);  // first a word's start, then inside a word
    EXPECT_EQ(cased, expected) << std::hex << static_cast<unsigned>(cp);
  }
}

std::string Decoded(const std::string& raw, Charset charset) {
  std::string decoded;
  DecodeCounts counts;
  DecodeText(raw, charset, TableEncoding::kUtf8, decoded, counts);
  return decoded;
}

TEST(Composition, EveryLetterAndMarkComposesAsIcuComposesThem) {
  for (char32_t letter = 'A'; letter <= 'z'; ++letter) {
    for (char32_t mark = 0x300; mark < 0x370; ++mark) {
      const std::u16string units = {char16_t(letter), char16_t(mark), u'x'};
      EXPECT_EQ(Decoded(Utf8(units), Charset::kUtf8), IcuNfc(units))
          << static_cast<unsigned>(letter) << " " << std::hex << static_cast<unsigned>(mark);
    }
  }
}

TEST(Composition, AnselTextsAsTheirCodePointsInNormalizationFormC) {
  for (int first = 0x80; first < 0x100; ++first) {
    for (const char* after : {"a", "E", "z", "", "\xE2" "e", " "}) {
      const std::string raw = "x" + std::string(1, static_cast<char>(first)) + after;
      std::u32string cps;
      DecodeAnsel(raw, cps);
      EXPECT_EQ(Decoded(raw, Charset::kAnsel), IcuNfc(std::u16string(cps.begin(), cps.end())))
          << std::hex << first << " " << after;
    }
  }
}

}  // namespace
}  // namespace brimsel
