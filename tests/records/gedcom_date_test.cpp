// Tests of ReadGedcomDate: each date form, calendar and word once, and known days of each calendar.
#include "records/gedcom_date.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace brimsel {
namespace {

struct Case {
  const char* text;
  bool readable;
  const char* qualifier;
  const char* calendar;  // "" for none
  const char* from;
  const char* to;
  std::optional<std::int64_t> sortDay;
  const char* phrase;
};

constexpr auto kNone = std::nullopt;

// clang-format off
const Case kCases[] = {
    // Plain dates: every part given is kept; a year below 1000 gets leading zeros, no century.
    {"12 MAR 1841", true, "", "GREGORIAN", "1841-03-12", "1841-03-12", 2393542, ""},
    {"MAR 1841", true, "", "GREGORIAN", "1841-03", "1841-03", 2393531, ""},
    {"850", true, "", "GREGORIAN", "0850", "0850", 2031517, ""},
    // Qualifiers and keywords, in any case.
    {"ABT 1850", true, "ABT", "GREGORIAN", "1850", "1850", 2396759, ""},
    {"cal 12 mar 1850", true, "CAL", "GREGORIAN", "1850-03-12", "1850-03-12", 2396829, ""},
    {"Est 1850", true, "EST", "GREGORIAN", "1850", "1850", 2396759, ""},
    {"BEF 1850", true, "BEF", "GREGORIAN", "", "1850", 2396759, ""},
    {"AFT 1850", true, "AFT", "GREGORIAN", "1850", "", 2396759, ""},
    {"bet 1850 and 1860", true, "BET", "GREGORIAN", "1850", "1860", 2396759, ""},
    {"FROM 1850 TO 1860", true, "FROM", "GREGORIAN", "1850", "1860", 2396759, ""},
    {"FROM 1850", true, "FROM", "GREGORIAN", "1850", "", 2396759, ""},
    {"TO 1860", true, "TO", "GREGORIAN", "", "1860", 2400411, ""},
    {"BET 31 MAR 1850 AND MAR 1850", true, "BET", "GREGORIAN", "1850-03-31", "1850-03", 2396848, ""},
    // Phrases: after INT (which may go without), or alone; an empty value is GEDCOM 7's.
    {"INT 12 MAR 1850 (selon le registre)", true, "INT", "GREGORIAN", "1850-03-12", "1850-03-12", 2396829, "selon le registre"},
    {"INT 1850", true, "INT", "GREGORIAN", "1850", "1850", 2396759, ""},
    {"(vers 1850 (dit-on))", true, "", "", "", "", kNone, "vers 1850 (dit-on)"},
    {"", true, "", "", "", "", kNone, ""},
    // Calendar escapes and words. The other calendars have a day number but no ISO text, and a
    // second date in another calendar than the first has none either.
    {"@#DGREGORIAN@ 1850", true, "", "GREGORIAN", "1850", "1850", 2396759, ""},
    {"@#dJulian@ 29 FEB 1900", true, "", "JULIAN", "1900-02-29", "1900-02-29", 2415092, ""},
    {"@#DFRENCH R@ 18 BRUM 8", true, "", "FRENCH_R", "", "", 2378444, ""},
    {"@#DHEBREW@ TSH 5785", true, "", "HEBREW", "", "", 2460587, ""},
    {"GREGORIAN 1850", true, "", "GREGORIAN", "1850", "1850", 2396759, ""},
    {"julian 1850", true, "", "JULIAN", "1850", "1850", 2396771, ""},
    {"FRENCH_R 6 COMP 3", true, "", "FRENCH_R", "", "", 2376935, ""},  // a sextile year
    {"HEBREW 14 ADR 5785", true, "", "HEBREW", "", "", 2460749, ""},   // Adar of a common year
    {"BET @#DJULIAN@ 1700 AND 1710", true, "BET", "JULIAN", "1700", "", 2341983, ""},
    {"FROM FRENCH_R 5 COMP 2 TO FRENCH_R 2", true, "FROM", "FRENCH_R", "", "", 2376569, ""},
    // The tables' French words, accented letters in either case.
    {"12 FÉV 1850", true, "", "GREGORIAN", "1850-02-12", "1850-02-12", 2396801, ""},
    {"1 aoû 1850", true, "", "GREGORIAN", "1850-08-01", "1850-08-01", 2396971, ""},
    {"1 dÉc 1850", true, "", "GREGORIAN", "1850-12-01", "1850-12-01", 2397093, ""},
    {"3 juil 1850", true, "", "GREGORIAN", "1850-07-03", "1850-07-03", 2396942, ""},
    {"ENV 1850", true, "ABT", "GREGORIAN", "1850", "1850", 2396759, ""},
    {"aut 1850", true, "ABT", "GREGORIAN", "1850", "1850", 2396759, ""},
    {"AVT 1850", true, "BEF", "GREGORIAN", "", "1850", 2396759, ""},
    {"APR 12 MAR 1850", true, "AFT", "GREGORIAN", "1850-03-12", "", 2396829, ""},
    {"APR 1850", true, "", "GREGORIAN", "1850-04", "1850-04", 2396849, ""},  // April
    // A dual year is its second year.
    {"30 JAN 1648/49", true, "", "GREGORIAN", "1649-01-30", "1649-01-30", 2323375, ""},
    {"1699/00", true, "", "GREGORIAN", "1700", "1700", 2341973, ""},
    // Years before our era: a day number only.
    {"560 B.C.", true, "", "GREGORIAN", "", "", 1516890, ""},
    {"JULIAN 15 MAR 44 bce", true, "", "JULIAN", "", "", 1705426, ""},
    // Unreadable: impossible days and years, other calendars, texts outside the forms.
    {"31 FEB 1850", false, "", "", "", "", kNone, ""},
    {"29 FEB 1900", false, "", "", "", "", kNone, ""},
    {"0 MAR 1850", false, "", "", "", "", kNone, ""},
    {"FRENCH_R 6 COMP 4", false, "", "", "", "", kNone, ""},
    {"HEBREW 30 ADR 5785", false, "", "", "", "", kNone, ""},
    {"1699/01", false, "", "", "", "", kNone, ""},
    {"@#DFRENCH R@ 12 BCE", false, "", "", "", "", kNone, ""},
    {"10000", false, "", "", "", "", kNone, ""},
    {"0", false, "", "", "", "", kNone, ""},
    {"@#DUNKNOWN@ 1850", false, "", "", "", "", kNone, ""},
    {"_MAYAN 1850", false, "", "", "", "", kNone, ""},
    {"@#DJULIAN 1850", false, "", "", "", "", kNone, ""},
    {"MARCH 1850", false, "", "", "", "", kNone, ""},
    {"12 3 1850", false, "", "", "", "", kNone, ""},
    {"15 MAR", false, "", "", "", "", kNone, ""},
    {"12 MAR 1850 extra", false, "", "", "", "", kNone, ""},
    {"1850 (sic)", false, "", "", "", "", kNone, ""},
    {"INT (sic)", false, "", "", "", "", kNone, ""},
    {"(vers 1850", false, "", "", "", "", kNone, ""},
    {"ABT", false, "", "", "", "", kNone, ""},
    {"BET 1850", false, "", "", "", "", kNone, ""},
    {"BET 1 APR 1850 AND MAR 1850", false, "", "", "", "", kNone, ""},
};
// clang-format on

TEST(ReadGedcomDate, EachForm) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string("'") + c.text + "'");
    const ReadDate date = ReadGedcomDate(c.text);
    EXPECT_EQ(date.readable, c.readable);
    EXPECT_EQ(date.qualifier, c.qualifier);
    EXPECT_EQ(date.calendar ? CalendarName(*date.calendar) : "", std::string(c.calendar));
    EXPECT_EQ(date.from, c.from);
    EXPECT_EQ(date.to, c.to);
    EXPECT_EQ(date.sortDay, c.sortDay);
    EXPECT_EQ(date.phrase, c.phrase);
  }
}

// Day numbers of days whose place in history is known, in each calendar.
TEST(ReadGedcomDate, KnownDays) {
  struct Known {
    const char* text;
    std::int64_t day;
  };
  // clang-format off
  for (const Known& k : {
           Known{"1 JAN 2000", 2451545},
           Known{"15 OCT 1582", 2299161},             // the first Gregorian day
           Known{"@#DJULIAN@ 4 OCT 1582", 2299160},   // the day before it
           Known{"JULIAN 1 JAN 4713 B.C.", 0},        // the first day numbered
           Known{"24 NOV 4714 BCE", 0},               // the same day, Gregorian
           Known{"@#DFRENCH R@ 1 VEND 1", 2375840},   // 22 September 1792
           Known{"@#DFRENCH R@ 1 VEND 4", 2376936},   // 23 September 1795, after sextile III
           Known{"@#DFRENCH R@ 1 VEND 14", 2380588},  // 23 September 1805
           Known{"@#DHEBREW@ 1 TSH 5785", 2460587},   // 3 October 2024
           Known{"@#DHEBREW@ 14 ADR 5784", 2460364},  // 23 February 2024, Adar I
           Known{"@#DHEBREW@ 14 ADS 5784", 2460394},  // 24 March 2024, Adar II
           Known{"@#DHEBREW@ 15 NSN 5784", 2460424},  // 23 April 2024
       }) {
    // clang-format on
    EXPECT_EQ(ReadGedcomDate(k.text).sortDay, k.day) << k.text;
  }
}

}  // namespace
}  // namespace brimsel
