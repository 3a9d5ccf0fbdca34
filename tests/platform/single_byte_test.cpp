// Character sets against iconv over all 256 bytes; ICU's named sets, look-up and refusal.
#include <gtest/gtest.h>
#include <iconv.h>

#include <optional>
#include <set>
#include <string>

#include "platform/code_page.h"
#include "platform/icu_charset.h"
#include "platform/single_byte.h"
#include "platform/text_decoder.h"

namespace brimsel {
namespace {

// What iconv makes of `bytes` from the set `from` into `to`; nothing when it refuses them.
std::optional<std::string> Iconv(const char* to, const char* from, std::string bytes) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(16, '\0');
  char* inPtr = bytes.data();
  char* outPtr = out.data();
  std::size_t inLeft = bytes.size(), outLeft = out.size();
  const std::size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (done == static_cast<std::size_t>(-1)) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

// The code point iconv gives for one byte of `set`, or nothing when it rejects the byte.
std::optional<char32_t> IconvCodePoint(const char* set, unsigned char byte) {
  const std::optional<std::string> u = Iconv("UTF-32LE", set, std::string(1, char(byte)));
  if (!u || u->size() != 4) return std::nullopt;
  const auto at = [&](int k) { return char32_t(static_cast<unsigned char>((*u)[k])) << 8 * k; };
  return at(0) | at(1) | at(2) | at(3);
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

TEST(IcuCharset, EveryByteDecodesAsIconvSays) {
  const struct {
    const char* icu;
    const char* iconv;
    std::string undefinedInIcu;  // bytes that ICU's table leaves out: U+FFFD
  } sets[] = {{"windows-1250", "CP1250", ""},
              {"ibm-852", "CP852", "\xAA"},
              {"iso-8859-2", "ISO-8859-2", ""},
              {"windows-1251", "CP1251", ""}};
  for (const auto& set : sets) {
    const CharsetNameResult named = LookUpCharset(set.icu);
    ASSERT_EQ(named.status, CharsetNameStatus::kFound) << set.icu;
    ASSERT_EQ(named.charset.kind, Charset::kConverter) << set.icu;
    TextDecoder original(named.charset, TableEncoding::kUtf8);
    TextDecoder decoder = original;  // a copy opens a converter of its own
    std::string all, expectedAll;
    for (int byte = 0; byte < 256; ++byte) {
      const std::string raw(1, static_cast<char>(byte));
      // iconv refuses the bytes that the set leaves undefined: they stay C1 controls, as in
      // the built-in Windows-1252.
      std::string expected = Iconv("UTF-8", set.iconv, raw).value_or(std::string{'\xC2', raw[0]});
      if (set.undefinedInIcu.find(raw) != std::string::npos) expected = "\uFFFD";
      std::string out;
      DecodeCounts counts;
      decoder.Decode(raw, out, counts);
      EXPECT_EQ(out, expected) << set.icu << " byte " << byte;
      all += raw;
      expectedAll += expected;
    }
    std::string out;
    DecodeCounts counts;
    original.Decode(all, out, counts);
    EXPECT_EQ(out, expectedAll) << set.icu << " as one text";
  }
}

TEST(IcuCharset, NamesFoundRefusedOrUnknown) {
  using S = CharsetNameStatus;
  const struct {
    const char* name;
    CharsetNameStatus status;
    Charset kind;
    const char* reason;  // a part of it
  } cases[] = {
      {" CP1250 ", S::kFound, Charset::kConverter, ""}, {"KOI8-R", S::kFound, Charset::kConverter, ""},
      {"euc-kr", S::kFound, Charset::kConverter, ""},
      // Another name of a built-in set gives the built-in set.
      {"UTF8", S::kFound, Charset::kUtf8, ""},       {"utf16le", S::kFound, Charset::kUtf16Le, ""},
      {"ibm-850", S::kFound, Charset::kCp850, ""},   {"IBM437", S::kFound, Charset::kCp437, ""},
      {"x-mac-roman", S::kFound, Charset::kMacRoman, ""}, {"IBMPC", S::kFound, Charset::kCp437, ""},
      {"UTF-32", S::kRefused, Charset::kWindows1252, "ASCII characters are other bytes"},
      {"utf-16", S::kRefused, Charset::kWindows1252, "ASCII characters are other bytes"},
      {"ibm-33722", S::kRefused, Charset::kWindows1252, "ASCII characters are other bytes"},
      {"ibm-037", S::kRefused, Charset::kWindows1252, "ASCII characters are other bytes"},
      {"Shift_JIS", S::kRefused, Charset::kWindows1252, "multi-byte characters"},
      {"ISO-2022-JP", S::kRefused, Charset::kWindows1252, "escape or shift"},
      {"no-such-set", S::kUnknown, Charset::kWindows1252, ""}, {"", S::kUnknown, Charset::kWindows1252, ""},
  };
  for (const auto& c : cases) {
    const CharsetNameResult r = LookUpCharset(c.name);
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(r.charset.kind, c.kind) << c.name;
    EXPECT_NE(r.reason.find(c.reason), std::string::npos) << c.name << ": " << r.reason;
  }
  EXPECT_EQ(LookUpCharset("cp1250").charset, LookUpCharset("Windows-1250").charset);
}

// Multi-byte sets keep the ASCII bytes around their characters; Windows-1252 tables count the
// letters they lack. Every name listed is accepted.
TEST(IcuCharset, MultiByteTextsAndTheListOfNames) {
  const struct {
    const char* set;
    std::string raw;
    TableEncoding to;
    std::string expected;
  } cases[] = {
      {"EUC-JP", "\x7F\xA4\xA2 /\xB0\xA1/\x1A", TableEncoding::kUtf8, "\x7F\u3042 /\u4E9C/\x1A"},
      {"EUC-JP", "a\xA4", TableEncoding::kUtf8, "a\uFFFD"},  // cut at the end of the text
      {"ibm-852", "\x7F\xAA\x1A", TableEncoding::kUtf8, "\x7F\uFFFD\x1A"},
      {"windows-1250", "Buri\xE6 \x8A", TableEncoding::kWindows1252, "Buri? \x8A"},
  };
  for (const auto& c : cases) {
    DecodeCounts counts;
    std::string out;
    DecodeText(c.raw, LookUpCharset(c.set).charset, c.to, out, counts);
    EXPECT_EQ(out, c.expected) << c.set << " " << c.raw;
    EXPECT_EQ(counts.replaced, c.to == TableEncoding::kUtf8 ? 0u : 1u) << c.set << " " << c.raw;
  }
  const std::vector<std::string> names = AcceptedCharsetNames();
  const std::set<std::string> seen(names.begin(), names.end());
  EXPECT_EQ(seen.size(), names.size());
  for (const std::string& name : names)
    EXPECT_EQ(LookUpCharset(name).status, CharsetNameStatus::kFound) << name;
  for (const char* name : {"utf-8", "ansel", "windows-1250", "IBM852", "ISO-8859-2", "KOI8-R"})
    EXPECT_TRUE(seen.count(name)) << name;
}

}  // namespace
}  // namespace brimsel
