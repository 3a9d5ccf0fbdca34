// The single-byte tables and the code-page conversions against the C library's iconv, over
// all 256 bytes.
#include "platform/single_byte.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <optional>
#include <string>

#include "platform/code_page.h"
#include "platform/text_decoder.h"

namespace brimsel {
namespace {

// The code point iconv gives for one byte of `set`, or nothing when it rejects the byte.
std::optional<char32_t> IconvCodePoint(const char* set, unsigned char byte) {
  iconv_t cd = iconv_open("UTF-32LE", set);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  char in[1] = {static_cast<char>(byte)};
  unsigned char out[8] = {};
  char* inp = in;
  char* outp = reinterpret_cast<char*>(out);
  std::size_t inleft = 1;
  std::size_t outleft = sizeof out;
  const std::size_t r = iconv(cd, &inp, &inleft, &outp, &outleft);
  iconv_close(cd);
  if (r == static_cast<std::size_t>(-1) || sizeof out - outleft != 4) return std::nullopt;
  return static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | out[3] << 24);
}

struct SetCase {
  SingleByteSet set;
  Charset charset;
  const char* iconvName;
};

const SetCase kSets[] = {{SingleByteSet::kWindows1252, Charset::kWindows1252, "CP1252"},
                         {SingleByteSet::kCp437, Charset::kCp437, "IBM437"},
                         {SingleByteSet::kCp850, Charset::kCp850, "IBM850"},
                         {SingleByteSet::kMacRoman, Charset::kMacRoman, "MACINTOSH"}};

class SingleByteTest : public ::testing::TestWithParam<SetCase> {};

TEST_P(SingleByteTest, EveryByteAsIconvDecodesIt) {
  const SetCase& c = GetParam();
  ASSERT_TRUE(IconvCodePoint(c.iconvName, 'A').has_value()) << c.iconvName << " unknown to iconv";
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    std::optional<char32_t> expected = IconvCodePoint(c.iconvName, byte);
    // The bytes that Windows-1252 leaves undefined are the C1 controls of the same number.
    if (!expected && c.set == SingleByteSet::kWindows1252) expected = byte;
    ASSERT_TRUE(expected.has_value()) << c.iconvName << " byte " << b;
    EXPECT_EQ(SingleByteToCodePoint(c.set, byte), *expected) << c.iconvName << " byte " << b;
  }
}

INSTANTIATE_TEST_SUITE_P(Sets, SingleByteTest, ::testing::ValuesIn(kSets));

TEST(Cp1252Reverse, EveryByteComesBackAndOthersHaveNone) {
  for (int b = 0; b < 256; ++b) {
    const auto byte = static_cast<unsigned char>(b);
    EXPECT_EQ(CodePointToCp1252(SingleByteToCodePoint(SingleByteSet::kWindows1252, byte)), byte)
        << b;
  }
  for (char32_t cp : {U'\u0080', U'\u0141', U'\u2126', U'\u2123', U'\uFFFD', U'\U0001F600'}) {
    EXPECT_FALSE(CodePointToCp1252(cp).has_value()) << static_cast<unsigned>(cp);
  }
}

// Code pages 437 and 850 and Mac Roman into Windows-1252 tables: each byte is the Windows-1252
// byte of its character, or '?' (counted) when there is none; "OEM => ANSI" is the same for
// code page 850, in place.
TEST(SingleByteToTables, Cp1252FormOrQuestionMark) {
  for (const SetCase& c : kSets) {
    if (c.set == SingleByteSet::kWindows1252) continue;
    for (int b = 0x80; b < 256; ++b) {
      const auto byte = static_cast<unsigned char>(b);
      const std::optional<unsigned char> form = CodePointToCp1252(SingleByteToCodePoint(c.set, byte));
      std::string out;
      DecodeCounts counts;
      DecodeText(std::string(1, static_cast<char>(byte)), c.charset, TableEncoding::kWindows1252, out, counts);
      EXPECT_EQ(out, std::string(1, static_cast<char>(form.value_or('?')))) << c.iconvName << " " << b;
      EXPECT_EQ(counts.replaced, form ? 0u : 1u) << c.iconvName << " " << b;
      EXPECT_TRUE(c.set != SingleByteSet::kCp850 || OemToAnsiByte(byte) == form.value_or('?')) << b;
    }
  }
  char text[] = "\x82l\x8Ave \x90MILE \xD5 \xC4";  // élève ÉMILE, dotless i, box drawing
  OemToAnsi(text, sizeof text - 1);
  EXPECT_EQ(std::string(text), "\xE9l\xE8ve \xC9MILE ? ?");
  EXPECT_EQ(Cp1252ToUtf8("\xC9POUX \x80\x81"), "\u00C9POUX \u20AC\u0081");
}

}  // namespace
}  // namespace brimsel
