// Tests of NormaliseDate: rewritten text and quality code for each shape of date.
#include "export/date.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <initializer_list>
#include <string>

namespace brimsel {
namespace {

struct Case {
  const char* input;
  int code;
  const char* text;
};

// Normalises the input in a 32-byte buffer followed by a marker, which must stay untouched.
void Expect(const Case& c) {
  char buffer[32 + 8];
  std::memset(buffer, '#', sizeof buffer);
  EXPECT_LT(std::strlen(c.input), 32u);
  std::memcpy(buffer, c.input, std::min(std::strlen(c.input) + 1, std::size_t{32}));
  EXPECT_EQ(NormaliseDate(buffer), c.code) << "'" << c.input << "'";
  EXPECT_EQ(std::string(buffer), c.text) << "'" << c.input << "'";
  EXPECT_EQ(std::string(buffer + 32, 8), std::string(8, '#')) << "'" << c.input << "'";
}

// Dates without any GEDCOM form: what they give is what they gave before those forms were read.
// Each readable one is checked again behind a calendar escape, after INT and before a phrase.
// clang-format off
const Case kPlainDates[] = {
    // Full and partial dates, defaults.
    {"15 MAR 1850", 255, "15 mar 1850"}, {"MAR 1850", 253, "13 mar 1850"},
    {"15 MAR", 247, "15 mar 1900"}, {"15 1850", 243, "15 juin 1900"},  // day 15, month 1850
    {"85", 249, "13 juin 1985"}, {"1 dec 99", 255, "1 d\xE9\x63 1999"},
    {"32 MAR 1850", 253, "13 mar 1850"}, {"0 MAR 1850", 253, "13 mar 1850"},
    {"15 13 1850", 251, "15 juin 1850"}, {"15 12 1850", 255, "15 d\xE9\x63 1850"},
    {"MARCH 1850", 249, "13 juin 1850"}, {"15 MAR 0", 247, "15 mar 1900"},
    // Qualifiers, any case, with their blank.
    {"abt 1850", 153, "13 juin 1850"}, {"BEF 1 JAN 1900", 191, "1 jan 1900"}, {"AVT 1 JAN 1900", 191, "1 jan 1900"},
    {"AFT 1900", 217, "13 juin 1900"}, {"APR 1900", 217, "13 juin 1900"}, {"env 1900", 153, "13 juin 1900"},
    {"cal 12 MAR 1850", 159, "12 mar 1850"},
    {"ENV. 1850", 249, "13 juin 1850"},  // no qualifier: month 'ENV.', year 1850
    // Numbers read as "%d" reads them.
    {"15th MAR 1850", 255, "15 mar 1850"}, {"+7 MAR 1850", 255, "7 mar 1850"},
    {"-5 MAR", 245, "13 mar 1900"},  // any number: day, month
    {"x5 MAR", 241, "13 juin 1900"},  // not a number: month 'x5', year 'MAR'
    {"2147483647", 249, "13 juin 2147483647"}, {"99999999999 MAR", 241, "13 juin 1900"},
    // Month words compare whole, ASCII letters without regard to case.
    {"15 F\xC9V 1850", 255, "15 f\xE9v 1850"}, {"15 F\xE9V 1850", 255, "15 f\xE9v 1850"},
    {"8 AO\xDB 1868", 255, "8 ao\xFB 1868"}, {"1 Sept 1900", 255, "1 sep 1900"},
    {"1 jul 1900", 255, "1 juil 1900"}, {"1 jan. 1900", 251, "1 juin 1900"},
    // White space of any kind separates words; a fourth word is ignored.
    {"  15\tMAR\n1850 extra words", 255, "15 mar 1850"},
    // Words keep their first 15 bytes; 31-byte texts and the longest result stay in the buffer.
    {"000000000000018", 249, "13 juin 1918"}, {"0000000000000018", 249, "13 juin 1901"},
    {"15 MAR 000000000000000000001850", 247, "15 mar 1900"},
    {"BEF 15 MAR 000000000000001850", 191, "15 mar 1901"},
    {"AFT 28 SEPT 2147483647", 223, "28 sep 2147483647"},
    // Near misses of the GEDCOM keywords are plain words.
    {"BETWEEN 1850 AND 1860", 241, "13 juin 1900"}, {"1850 TO 1860", 249, "13 juin 1860"},
    {"560BC", 249, "13 juin 560"},
    // Unreadable: the text stays, less a recognised qualifier.
    {"", 127, ""}, {"   \t ", 127, "   \t "}, {"ABT ", 127, ""}, {"ABT JUNE", 127, "JUNE"},
    {"ABT   ", 127, "  "}, {"ABT1850", 127, "ABT1850"}, {"2147483648", 127, "2147483648"},
    {"0", 127, "0"}, {"-1850", 127, "-1850"},
    {"1234567890123456789012345678901", 127, "1234567890123456789012345678901"},
    // Near misses of the usual shape "12 MAR 1841", which is read at fixed places.
    {"07 MAR 1841", 255, "7 mar 1841"}, {"1X MAR 1841", 255, "1 mar 1841"}, {"12 MA 1841", 251, "12 juin 1841"},
    {"12/MAR/1841", 249, "13 juin 1912"}, {"12\tMAR 0099", 255, "12 mar 1999"}, {"12 MAR 184X", 255, "12 mar 184"},
    {"12 mar 12000", 255, "12 mar 12000"}, {"31 AO\xDB 0000", 247, "31 ao\xFB 1900"}, {"9 Sept 999", 255, "9 sep 999"},
    {"12  MAR 1841", 255, "12 mar 1841"}, {"12 JUIN 1841", 255, "12 juin 1841"}, {"32 XYZ 1841", 249, "13 juin 1841"},
};
// clang-format on

TEST(NormaliseDate, PlainDates) {
  EXPECT_EQ(NormaliseDate(nullptr), kQualityNone);
  for (const Case& c : kPlainDates) Expect(c);
  for (int month = 1; month <= 12; ++month) {  // every month the export writes reads back as given
    const std::string text = "2 " + std::string(kMonthNames[month]) + " 1900";
    Expect({text.c_str(), 255, text.c_str()});
  }
}

// The same dates off the quick path of the usual shape (a blank before a number), and inside
// the forms.
TEST(NormaliseDate, PlainDatesReadTheSameInsideGedcomForms) {
  for (const Case& c : kPlainDates) {
    if (c.code == kQualityUnreadable || std::strchr(c.input, '(') != nullptr) continue;
    const std::string blank = std::isdigit(static_cast<unsigned char>(c.input[0])) ? " " : "";
    for (const std::string& wrapped : {blank + c.input, "@#DJULIAN@" + std::string(c.input),
                                       "INT " + std::string(c.input), std::string(c.input) + "(note)"}) {
      if (wrapped.size() <= 31) Expect({wrapped.c_str(), c.code, c.text});
    }
  }
}

// clang-format off
TEST(NormaliseDate, GedcomForms) {
  for (const Case& c : std::initializer_list<Case>{
      // Gregorian and Julian dates are read as written; other calendars are unreadable.
      {"ABT @#DJULIAN@ 1700", 153, "13 juin 1700"}, {"JULIAN 12 MAR 1700", 255, "12 mar 1700"},
      {"@#DFRENCH R@ 12 BRUM 12", 127, "@#DFRENCH R@ 12 BRUM 12"}, {"1850 @#D", 127, "1850 @#D"},
      {"hebrew 5700", 127, "hebrew 5700"}, {"@#DJULIAN@", 127, "@#DJULIAN@"},
      // Before Christ: no false year is written.
      {"ABT 560 B.C.", 127, "ABT 560 B.C."}, {"BEF 560 BCE", 127, "BEF 560 BCE"},
      // Phrases, INT.
      {"int 1850 (vers la guerre", 249, "13 juin 1850"}, {"12 MAR (sic) 1850", 255, "12 mar 1850"},
      {"(vers la guerre)", 127, "(vers la guerre)"}, {"INT", 127, "INT"},
      {"INT JUNE (x)", 127, "JUNE"},  // unreadable after the forms: the remaining words
      // Ranges and periods: true after the start; "TO" alone is before.
      {"bet 1185 and 1195", 217, "13 juin 1185"}, {"FROM 1850 TO 1860", 217, "13 juin 1850"},
      {"TO 1860", 185, "13 juin 1860"}, {"BET 1850", 217, "13 juin 1850"},
      {"BET 12 MAR 1850 AND 16 MAR 1860", 223, "12 mar 1850"},
      {"FROM JULIAN 1700 TO JULIAN 1710", 217, "13 juin 1700"},
      {"BET 1700 AND @#DFRENCH R@ 12", 127, "BET 1700 AND @#DFRENCH R@ 12"},
      {"BET AND 1860", 127, "BET AND 1860"}, {"TO", 127, "TO"}, {"BET JUNE AND JULY", 127, "JUNE"},
      // The range takes the one qualifier place: an inner qualifier is a word of the date.
      {"BET ABT 1200 AND 1210", 217, "13 juin 1200"},              // month 'ABT', year 1200
      {"BET ABT 12 MAR 1200 AND 1210", 213, "13 d\xE9\x63 1900"},  // day 'ABT', month 12
      {"INT EST 1850", 153, "13 juin 1850"},
      // Cut by the 31-byte limit: "FROM 1 JANUARY 1850 TO 31 DECEMBER 1860".
      {"FROM 1 JANUARY 1850 TO 31 DECE", 219, "1 juin 1850"},
      // Read whole although "BEF " and the words would take 32 bytes.
      {"TO 12 DECEMBERXXXXXXX 123456789", 187, "12 juin 123456789"},
  }) Expect(c);
}
// clang-format on

}  // namespace
}  // namespace brimsel
