// Tests of the code page tables against the system's iconv.
#include "platform/code_page.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace brimsel {
namespace {

// Converts one byte with iconv; returns -1 when iconv has no such character in `to`.
int IconvByte(const char* from, const char* to, unsigned char byte) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return -2;
  char in[1] = {static_cast<char>(byte)};
  char out[8];
  char* pin = in;
  char* pout = out;
  size_t nin = 1, nout = sizeof out;
  size_t r = iconv(cd, &pin, &nin, &pout, &nout);
  iconv_close(cd);
  if (r == static_cast<size_t>(-1) || pout - out != 1) return -1;
  return static_cast<unsigned char>(out[0]);
}

TEST(CodePage, OemToAnsiMatchesIconvForEveryByte) {
  if (IconvByte("CP850", "CP1252", 'A') == -2) GTEST_SKIP() << "iconv lacks CP850 or CP1252";
  for (int b = 0; b < 256; ++b) {
    int expected = IconvByte("CP850", "CP1252", static_cast<unsigned char>(b));
    if (expected < 0) expected = '?';
    EXPECT_EQ(OemToAnsiByte(static_cast<unsigned char>(b)), expected) << "byte " << b;
  }
}

TEST(CodePage, OemToAnsiConvertsInPlaceAndKeepsLength) {
  char text[] = "\x82l\x8Ave \x90MILE \xD5 \xC4";  // élève ÉMILE, dotless i, box drawing
  OemToAnsi(text, sizeof text - 1);
  EXPECT_EQ(std::string(text), "\xE9l\xE8ve \xC9MILE ? ?");
}

TEST(CodePage, Cp1252ToUtf8MatchesIconvAndKeepsUndefinedBytes) {
  for (int b = 0x80; b < 256; ++b) {
    std::string utf8 = Cp1252ToUtf8(std::string(1, static_cast<char>(b)));
    bool undefined = b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
    char32_t cp = Cp1252ToCodePoint(static_cast<unsigned char>(b));
    if (undefined) {
      EXPECT_EQ(cp, static_cast<char32_t>(b));
    } else if (IconvByte("CP1252", "UTF-32LE", 'A') != -2) {
      iconv_t cd = iconv_open("UTF-32LE", "CP1252");
      char in[1] = {static_cast<char>(b)};
      char out[4];
      char *pin = in, *pout = out;
      size_t nin = 1, nout = 4;
      ASSERT_NE(iconv(cd, &pin, &nin, &pout, &nout), static_cast<size_t>(-1));
      iconv_close(cd);
      char32_t expected = static_cast<unsigned char>(out[0]) | (static_cast<unsigned char>(out[1]) << 8) |
                          (static_cast<unsigned char>(out[2]) << 16);
      EXPECT_EQ(cp, expected) << "byte " << b;
    }
    EXPECT_FALSE(utf8.empty());
  }
  EXPECT_EQ(Cp1252ToUtf8("\xC9POUX \x80"), "ÉPOUX €");
}

}  // namespace
}  // namespace brimsel
