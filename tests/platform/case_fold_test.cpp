// The quick case folding of Latin-1 texts gives exactly ICU's full case folding.
#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <string>

#include "platform/text_case.h"
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

}  // namespace
}  // namespace brimsel
