// The quick ways around ICU give exactly what ICU gives: the case folding of Latin-1 texts and
// the composition of accented Latin letters.
#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unicode/unorm2.h>
#include <unicode/ustring.h>

#include <string>

#include "platform/ansel.h"
#include "platform/text_case.h"
#include "platform/text_decoder.h"
#include "platform/utf8.h"

namespace brimsel {
namespace {

std::string IcuFold(char32_t cp) {
  UChar in[2] = {static_cast<UChar>(cp), 0};
  UChar out[8];
  UErrorCode status = U_ZERO_ERROR;
  const int32_t n = u_strFoldCase(out, 8, in, 1, U_FOLD_CASE_DEFAULT, &status);
  std::string utf8;
  for (int32_t i = 0; i < n; ++i) AppendUtf8(utf8, out[i]);
  return utf8;
}

TEST(CaseFold, EveryLatin1CharacterFoldsAsIcuFoldsIt) {
  for (char32_t cp = 1; cp < 0x100; ++cp) {
    std::string text;
    AppendUtf8(text, cp);
    std::string key;
    CaseFoldKey("x" + text + "\xC3\xA9", key);  // not ASCII, so never the ASCII path
    EXPECT_EQ(key, "x" + IcuFold(cp) + "\xC3\xA9") << std::hex << static_cast<unsigned>(cp);
  }
}

TEST(CaseFold, EveryLatin1CharacterChangesCaseAsIcuChangesIt) {
  for (char32_t cp = 1; cp < 0x100; ++cp) {
    std::string text;
    AppendUtf8(text, cp);
    std::string expected;
    AppendUtf8(expected, static_cast<char32_t>(u_totitle(static_cast<UChar32>(cp))));
    AppendUtf8(expected, static_cast<char32_t>(u_tolower(static_cast<UChar32>(cp))));
    std::string cased;
    ProperCaseUtf8(text + text, "", cased);  // first a word's start, then inside a word
    EXPECT_EQ(cased, expected) << std::hex << static_cast<unsigned>(cp);
  }
}

TEST(Composition, EveryLetterAndMarkComposesAsIcuComposesThem) {
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
  ASSERT_TRUE(U_SUCCESS(status));
  for (char32_t letter = 'A'; letter <= 'z'; ++letter) {
    for (char32_t mark = 0x300; mark < 0x370; ++mark) {
      const UChar in[3] = {static_cast<UChar>(letter), static_cast<UChar>(mark), u'x'};
      UChar out[8];
      status = U_ZERO_ERROR;
      const int32_t n = unorm2_normalize(nfc, in, 3, out, 8, &status);
      std::string expected;
      for (int32_t i = 0; i < n; ++i) AppendUtf8(expected, out[i]);
      std::string text;
      AppendUtf8(text, letter);
      AppendUtf8(text, mark);
      text += 'x';
      std::string decoded;
      DecodeCounts counts;
      DecodeText(text, Charset::kUtf8, TableEncoding::kUtf8, decoded, counts);
      EXPECT_EQ(decoded, expected) << static_cast<unsigned>(letter) << " " << std::hex
                                   << static_cast<unsigned>(mark);
    }
  }
}

TEST(Composition, AnselTextsAsTheirCodePointsInNormalizationFormC) {
  UErrorCode status = U_ZERO_ERROR;
  const UNormalizer2* nfc = unorm2_getNFCInstance(&status);
  ASSERT_TRUE(U_SUCCESS(status));
  for (int first = 0x80; first < 0x100; ++first) {
    for (const char* after : {"a", "E", "z", "", "\xE2" "e", " "}) {
      const std::string raw = "x" + std::string(1, static_cast<char>(first)) + after;
      std::u32string cps;
      DecodeAnsel(raw, cps);
      std::u16string utf16;
      for (char32_t cp : cps) utf16.push_back(static_cast<char16_t>(cp));  // all in the BMP
      UChar out[64];
      status = U_ZERO_ERROR;
      const int32_t n = unorm2_normalize(nfc, reinterpret_cast<const UChar*>(utf16.data()),
                                         static_cast<int32_t>(utf16.size()), out, 64, &status);
      std::string expected;
      for (int32_t i = 0; i < n; ++i) AppendUtf8(expected, out[i]);
      std::string decoded;
      DecodeCounts counts;
      DecodeText(raw, Charset::kAnsel, TableEncoding::kUtf8, decoded, counts);
      EXPECT_EQ(decoded, expected) << std::hex << first << " " << after;
    }
  }
}

}  // namespace
}  // namespace brimsel
