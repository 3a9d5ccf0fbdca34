// Letter case: Windows-1252 tables, Unicode folding keys and order, proper-name casing.
#include "platform/text_case.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

}  // namespace
}  // namespace brimsel
