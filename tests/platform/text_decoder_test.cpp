// Decoding of texts into the tables' encoding, cuts inside characters.
#include "platform/text_decoder.h"

#include <gtest/gtest.h>

#include <string>

namespace brimsel {
namespace {

constexpr auto kUtf8 = TableEncoding::kUtf8;
constexpr auto k1252 = TableEncoding::kWindows1252;

TEST(DecodeText, FromEachSetToEachEncoding) {
  const struct {
    const char* what;
    std::string raw;
    Charset from;
    TableEncoding to;
    std::string expected;
    std::uint64_t replaced;
    std::uint64_t readAsCp1252;
  } cases[] = {
      {"ASCII untouched", "Jean /Dupont/", Charset::kAnsel, kUtf8, "Jean /Dupont/", 0, 0},
      {"1252 to UTF-8", "Qu\xE9r\xE9 \x80", Charset::kWindows1252, kUtf8, "Qu\u00E9r\u00E9 \u20AC", 0, 0},
      {"UTF-8 to 1252", "Qu\u00E9r\u00E9 \u0152", Charset::kUtf8, k1252, "Qu\xE9r\xE9 \x8C", 0, 0},
      {"decomposed to NFC", "Que\u0301re\u0301", Charset::kUtf8, kUtf8, "Qu\u00E9r\u00E9", 0, 0},
      {"no 1252 form", "\u0141\u00F3d\u017A", Charset::kUtf8, k1252, "?\xF3" "d?", 2, 0},
      {"NFC already, past U+0300", "\u0416\u4E2D", Charset::kUtf8, kUtf8, "\u0416\u4E2D", 0, 0},
      {"singleton to NFC", "\u212B", Charset::kUtf8, kUtf8, "\u00C5", 0, 0},
      {"stray byte", "Qu\xE9r\xE9", Charset::kUtf8, kUtf8, "Qu\u00E9r\u00E9", 0, 2},
      {"cut sequence", "\xF0\x9F\x98" "a", Charset::kUtf8, kUtf8, "\u00F0\u0178\u02DCa", 0, 3},
      {"surrogate bytes", "\xED\xA0\x80", Charset::kUtf8, k1252, "\xED\xA0\x80", 0, 3},
      {"stray byte and a mark", "e\xCC\x81\xE9", Charset::kUtf8, k1252, "\xE9\xE9", 0, 1},
      {"UTF-16 text is UTF-8", "\u00E9\xEF\xBF\xBD", Charset::kUtf16Le, k1252, "\xE9?", 1, 0},
      {"four bytes", "\U0001F600", Charset::kUtf8, k1252, "?", 1, 0},
      {"CP850", "\x82\x90\xD5", Charset::kCp850, k1252, "\xE9\xC9?", 1, 0},
      {"Mac Roman", "\x8E\xDB\xF0", Charset::kMacRoman, k1252, "\xE9\x80?", 1, 0},
      {"ANSEL", "\xE2" "E\xA5", Charset::kAnsel, kUtf8, "\u00C9\u00C6", 0, 0},
      {"ANSEL composed before the 1252 form", "Qu\xE2" "er\xE2" "e \xB1", Charset::kAnsel, k1252, "Qu\xE9r\xE9 ?", 1, 0},
  };
  TextDecoder reused(Charset::kUtf8, kUtf8);
  std::string out = "previous content";
  for (const auto& c : cases) {
    DecodeCounts counts;
    DecodeText(c.raw, c.from, c.to, out, counts);
    EXPECT_EQ(out, c.expected) << c.what;
    EXPECT_EQ(counts.replaced, c.replaced) << c.what;
    EXPECT_EQ(counts.readAsCp1252, c.readAsCp1252) << c.what;
    if (c.from == Charset::kUtf8 && c.to == kUtf8) {
      reused.Decode(c.raw, out, counts);  // the buffers kept from the text before do not leak
      EXPECT_EQ(out, c.expected) << c.what << " (reused)";
    }
  }
}

TEST(CutToFit, NeverInsideACharacter) {
  const struct {
    std::string text;
    std::size_t max;
    TableEncoding encoding;
    std::size_t expected;
  } cases[] = {
      {"abc", 2, kUtf8, 2},          {"a\u00E9", 2, kUtf8, 1},     {"a\u00E9b", 3, kUtf8, 3},
      {"\u20AC\u20AC", 5, kUtf8, 3},
      {"\U0001F600", 3, kUtf8, 0},   {"x\U0001F600", 4, kUtf8, 1}, {"a\xE9\xE9", 2, k1252, 2},
      {"a\x80\x80\x80\x80", 3, kUtf8, 3},  // stray bytes are characters of their own
      {"\xC3\xA9\x80\x80", 3, kUtf8, 3}, {"", 0, kUtf8, 0},      {"\u00E9", 0, kUtf8, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CutToFit(c.text, c.max, c.encoding), c.expected) << c.text << " " << c.max;
  }
}

}  // namespace
}  // namespace brimsel
