// GEDCOM dates read for the complete database: the earliest and latest day a date allows, its
// calendar and a day number to sort dates of every calendar together.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace brimsel {

enum class DateCalendar : std::uint8_t { kGregorian, kJulian, kFrenchRepublican, kHebrew };

// The GEDCOM name of a calendar, as the database's `calendar` column holds it: "GREGORIAN",
// "JULIAN", "FRENCH_R", "HEBREW".
const char* CalendarName(DateCalendar calendar);

// What a date text says. Texts are UTF-8 (month words may carry accented letters).
struct ReadDate {
  // False for a text that no rule reads (an import issue); the other members are then empty.
  // Impossible days, years above 9999 and ranges or periods that end before they start are
  // unreadable. An empty text is readable and says nothing: GEDCOM 7 writes one beside a PHRASE.
  bool readable = false;
  // The leading keyword, in its GEDCOM form: "ABT", "CAL", "EST", "BEF", "AFT", "BET", "FROM",
  // "TO", "INT"; empty for a plain date or a phrase alone. The French words that the tables
  // accept stand for their GEDCOM keyword (ENV and AUT: ABT, AVT: BEF, APR: AFT). APR remains
  // GEDCOM's April when the whole text reads as a date with it ("APR 1850" is April 1850, "APR
  // 12 MAR 1850" is after 12 March 1850).
  std::string qualifier;
  // The calendar of the (first) date; none for a phrase alone.
  std::optional<DateCalendar> calendar;
  // ISO 8601 with only the parts given ("1841", "1841-03", "1841-03-12"; a year below 1000 with
  // leading zeros) of the earliest and latest days the date allows: both for a plain, ABT, CAL,
  // EST or INT date; `to` only for BEF and TO; `from` only for AFT and FROM; the first and the
  // second date for BET ... AND and FROM ... TO. Empty (NULL) for calendars other than the
  // Gregorian and the Julian, for years before our era, and for a phrase alone; empty too for
  // a second date in another calendar than the first, which `calendar` names. A dual year
  // ("30 JAN 1648/49") counts as its second year, the one counted from 1 January.
  std::string from;
  std::string to;
  // The Julian day number of the earliest day of the first date written (its first day when only
  // a month or a year is given), in any of the four calendars; none for a phrase alone.
  std::optional<std::int64_t> sortDay;
  // The text in parentheses, without them ("INT 1850 (selon le registre)" or "(vers 1850)").
  std::string phrase;
};

// Reads a DATE value (trimmed of blanks at both ends by the caller). Keywords, calendar escapes
// (@#DGREGORIAN@, @#DJULIAN@, @#DFRENCH R@, @#DHEBREW@) and GEDCOM 7 calendar words (GREGORIAN,
// JULIAN, FRENCH_R, HEBREW), month words (GEDCOM's three-letter English, French Republican and
// Hebrew months, and the French month words that the tables accept) and the epochs B.C., BC,
// B.C, BCE are read without regard to the case of their letters.
ReadDate ReadGedcomDate(std::string_view text);

}  // namespace brimsel
