// GEDCOM dates for the complete database: the date forms and calendars read into ISO texts and
// Julian day numbers.
#include "records/gedcom_date.h"

#include <unicode/calendar.h>
#include <unicode/locid.h>
#include <unicode/timezone.h>

#include <array>
#include <cstddef>
#include <memory>

#include "platform/date_words.h"

namespace brimsel {

const char* CalendarName(DateCalendar calendar) {
  switch (calendar) {
    case DateCalendar::kGregorian:
      return "GREGORIAN";
    case DateCalendar::kJulian:
      return "JULIAN";
    case DateCalendar::kFrenchRepublican:
      return "FRENCH_R";
    case DateCalendar::kHebrew:
      return "HEBREW";
  }
  return "";
}

namespace {

// The longest form, "FROM @#DJULIAN@ 1 JAN 1 B.C. TO @#DJULIAN@ 31 DEC 1 B.C.", has 12 words; a
// text with more than this many is no date.
constexpr std::size_t kMaxWords = 16;
// The largest year read, in every calendar: ISO 8601 writes four digits without a sign.
constexpr int kMaxYear = 9999;
// The day before 1 Vendémiaire of year I (22 September 1792, Gregorian).
constexpr std::int64_t kFrenchEpoch = 2375839;

constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

constexpr bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

constexpr char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether `word` is `keyword` (written in capitals), its ASCII letters compared without regard
// to case.
constexpr bool SameWord(std::string_view word, std::string_view keyword) {
  if (word.size() != keyword.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (UpperAscii(word[i]) != keyword[i]) return false;
  }
  return true;
}

// Floor division, for the day numbers of years before our era.
constexpr std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0);
}

// --- Day numbers -------------------------------------------------------------------------------

// Julian day numbers of a day of the Gregorian or Julian calendar; `year` is astronomical (1 B.C.
// is year 0). Years are counted from March of year -4800, so that February, the only month
// whose length varies, ends each counted year.
constexpr std::int64_t CivilDayNumber(bool gregorian, std::int64_t year, int month, int day) {
  const int beforeMarch = month < 3 ? 1 : 0;
  const std::int64_t y = year + 4800 - beforeMarch;
  const int m = month + 12 * beforeMarch - 3;
  const std::int64_t days = day + (153 * m + 2) / 5 + 365 * y + FloorDiv(y, 4);
  return gregorian ? days - FloorDiv(y, 100) + FloorDiv(y, 400) - 32045 : days - 32083;
}

constexpr bool IsCivilLeapYear(bool gregorian, std::int64_t year) {
  if (FloorDiv(year, 4) * 4 != year) return false;
  return !gregorian || year % 100 != 0 || year % 400 == 0;
}

constexpr int CivilMonthLength(bool gregorian, std::int64_t year, int month) {
  constexpr int kLengths[13] = {0, 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsCivilLeapYear(gregorian, year) ? 29 : kLengths[month];
}

// The sextile years of the French Republican calendar (six complementary days) were III, VII and
// XI while it was in use, each the year before a leap year of the Gregorian rule counted from
// year I. The same rule continues after them: year y is sextile when y + 1 is divisible by 4,
// but not by 100 unless by 400 (XV, XIX, ..., not XCIX, but CCCXCIX).
constexpr bool IsSextileYear(std::int64_t year) {
  const std::int64_t next = year + 1;
  return next % 4 == 0 && (next % 100 != 0 || next % 400 == 0);
}

// The day number of 1 Vendémiaire of `year` (1 or later): 365 days a year and one more for each
// sextile year before, that is for each Gregorian leap year from 2 to `year`.
constexpr std::int64_t FrenchYearStart(std::int64_t year) {
  return kFrenchEpoch + 1 + 365 * (year - 1) + year / 4 - year / 100 + year / 400;
}

// ICU's Hebrew calendar, one per thread (a calendar holds the fields it computes), or null when
// ICU cannot give one. Its days start at midnight GMT, so that a day's number is the date's.
icu::Calendar* HebrewCalendar() {
  thread_local const std::unique_ptr<icu::Calendar> calendar = [] {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> made(icu::Calendar::createInstance(
        icu::TimeZone::getGMT()->clone(), icu::Locale("@calendar=hebrew"), status));
    if (U_FAILURE(status) || made == nullptr || std::string_view(made->getType()) != "hebrew") {
      return std::unique_ptr<icu::Calendar>();
    }
    made->setLenient(false);
    return made;
  }();
  return calendar.get();
}

// The day number of the first day of a Hebrew month (ICU's month number: TISHRI = 0 ... ELUL =
// 12) and the month's length in days, or false when ICU does not read it.
bool HebrewMonth(int year, int icuMonth, std::int64_t* firstDay, int* length) {
  icu::Calendar* calendar = HebrewCalendar();
  if (calendar == nullptr) return false;
  UErrorCode status = U_ZERO_ERROR;
  calendar->clear();
  calendar->set(year, icuMonth, 1);
  *firstDay = calendar->get(UCAL_JULIAN_DAY, status);
  if (length != nullptr) *length = calendar->getActualMaximum(UCAL_DATE, status);
  return U_SUCCESS(status);
}

// A leap year of the Hebrew calendar has a thirteenth month, Adar I: 7 years of each 19.
constexpr bool IsHebrewLeapYear(int year) {
  return (7 * year + 1) % 19 < 7;
}

// --- Words -------------------------------------------------------------------------------------

// A month word packed in one integer for comparison: its length above its bytes, ASCII letters
// in capitals; 0 for an empty word or one of more than four bytes, which no month has.
constexpr std::uint64_t PackWord(std::string_view word) {
  if (word.empty() || word.size() > 4) return 0;
  std::uint64_t packed = word.size();
  for (const char c : word) packed = (packed << 8) | static_cast<unsigned char>(UpperAscii(c));
  return packed;
}

// The same for a UTF-8 word whose letters from U+0080 to U+00FF count as their Windows-1252
// byte, as the words of kMonthWords are written ("FÉV" is F, 0xC9, V).
std::uint64_t PackUtf8Word(std::string_view word) {
  std::array<char, 4> bytes{};
  std::size_t n = 0;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (n == bytes.size()) return 0;
    const unsigned char c = static_cast<unsigned char>(word[i]);
    if (c < 0x80) {
      bytes[n++] = static_cast<char>(c);
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < word.size() &&
               (static_cast<unsigned char>(word[i + 1]) & 0xC0) == 0x80) {
      bytes[n++] = static_cast<char>(((c & 0x03) << 6) | (word[++i] & 0x3F));
    } else {
      return 0;
    }
  }
  return PackWord({bytes.data(), n});
}

struct PackedMonth {
  std::uint64_t word;
  int month;
};

constexpr auto kCivilMonths = [] {
  std::array<PackedMonth, std::size(kMonthWords)> months{};
  for (std::size_t i = 0; i < months.size(); ++i) {
    months[i] = {PackWord(kMonthWords[i].word), kMonthWords[i].month};
  }
  return months;
}();

// GEDCOM's months of the French Republican calendar (COMP: the complementary days) and of the
// Hebrew calendar, in the order of their year.
template <std::size_t N>
constexpr std::array<PackedMonth, N> PackMonths(const std::array<std::string_view, N>& words) {
  std::array<PackedMonth, N> months{};
  for (std::size_t i = 0; i < N; ++i) months[i] = {PackWord(words[i]), static_cast<int>(i + 1)};
  return months;
}
constexpr auto kFrenchMonths = PackMonths(
    std::array<std::string_view, 13>{"VEND", "BRUM", "FRIM", "NIVO", "PLUV", "VENT", "GERM", "FLOR",
                                     "PRAI", "MESS", "THER", "FRUC", "COMP"});
constexpr auto kHebrewMonths = PackMonths(std::array<std::string_view, 13>{
    "TSH", "CSH", "KSL", "TVT", "SHV", "ADR", "ADS", "NSN", "IYR", "SVN", "TMZ", "AAV", "ELL"});
constexpr int kComplementaryDays = 13;
constexpr int kAdar = 6;  // ADR: Adar I in a leap year, Adar otherwise

// The number of a month word in `calendar`'s months, or 0.
int MonthOfWord(std::string_view word, DateCalendar calendar) {
  const std::uint64_t packed = PackUtf8Word(word);
  if (packed == 0) return 0;
  auto find = [packed](const auto& months) {
    for (const PackedMonth& m : months) {
      if (m.word == packed) return m.month;
    }
    return 0;
  };
  switch (calendar) {
    case DateCalendar::kGregorian:
    case DateCalendar::kJulian:
      return find(kCivilMonths);
    case DateCalendar::kFrenchRepublican:
      return find(kFrenchMonths);
    case DateCalendar::kHebrew:
      return find(kHebrewMonths);
  }
  return 0;
}

// A number of one to nine digits and nothing else, or -1: every number read here is smaller.
int ReadNumber(std::string_view word) {
  if (word.empty() || word.size() > 9) return -1;
  int n = 0;
  for (const char c : word) {
    if (!IsDigit(c)) return -1;
    n = n * 10 + (c - '0');
  }
  return n;
}

// A calendar escape ("@#DJULIAN@") or a calendar word of GEDCOM 7 ("JULIAN"). Unknown escapes
// and extension calendars are not calendars here: read as a date's words, they make it
// unreadable.
bool ReadCalendarWord(std::string_view word, DateCalendar* calendar) {
  struct Name {
    std::string_view escape;
    std::string_view word;
    DateCalendar calendar;
  };
  static constexpr Name kNames[] = {
      {"@#DGREGORIAN@", "GREGORIAN", DateCalendar::kGregorian},
      {"@#DJULIAN@", "JULIAN", DateCalendar::kJulian},
      {"@#DFRENCH R@", "FRENCH_R", DateCalendar::kFrenchRepublican},
      {"@#DHEBREW@", "HEBREW", DateCalendar::kHebrew},
  };
  if (IsDigit(word[0])) return false;
  for (const Name& name : kNames) {
    if (SameWord(word, name.escape) || SameWord(word, name.word)) {
      *calendar = name.calendar;
      return true;
    }
  }
  return false;
}

bool IsEpochWord(std::string_view word) {
  return SameWord(word, "B.C.") || SameWord(word, "BC") || SameWord(word, "B.C") ||
         SameWord(word, "BCE");
}

// The words of a date text and its phrase. A calendar escape is one word up to its closing '@'
// (the one of the French calendar holds a blank); a '(' opens a phrase that runs to a ')' ending
// the text, parentheses inside it included.
struct Words {
  std::array<std::string_view, kMaxWords> items;
  std::size_t count = 0;
  std::string_view phrase;
  bool hasPhrase = false;
};

bool SplitWords(std::string_view text, Words* words) {
  std::size_t i = 0;
  for (;;) {
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i == text.size()) return true;
    const std::size_t start = i;
    if (text[i] == '(') {
      std::size_t end = text.size();
      while (IsBlank(text[end - 1])) --end;  // stops at the '(' at the latest
      if (end - start < 2 || text[end - 1] != ')') return false;
      words->phrase = text.substr(start + 1, end - start - 2);
      words->hasPhrase = true;
      return true;
    }
    if (text.size() - i >= 3 && SameWord(text.substr(i, 3), "@#D")) {
      const std::size_t close = text.find('@', i + 3);
      if (close == std::string_view::npos) return false;
      i = close + 1;
    } else {
      while (i < text.size() && !IsBlank(text[i]) && text[i] != '(') ++i;
    }
    if (words->count == kMaxWords) return false;
    words->items[words->count++] = text.substr(start, i - start);
  }
}

// --- One date ----------------------------------------------------------------------------------

// A date of one calendar, as written, and the first and last days it allows.
struct OneDate {
  DateCalendar calendar = DateCalendar::kGregorian;
  int year = 0;  // 1 to kMaxYear, counted back from year 1 when beforeEra
  bool beforeEra = false;
  int month = 0;  // 0 when not given; the French and Hebrew months in GEDCOM's order
  int day = 0;    // 0 when not given
  std::int64_t firstDay = 0;
  std::int64_t lastDay = 0;
};

// The first and last day of a Gregorian or Julian date; false for a day the month does not have.
bool ComputeCivilDays(OneDate* date) {
  const bool gregorian = date->calendar == DateCalendar::kGregorian;
  const std::int64_t year = date->beforeEra ? 1 - date->year : date->year;
  if (date->month == 0) {
    date->firstDay = CivilDayNumber(gregorian, year, 1, 1);
    date->lastDay = CivilDayNumber(gregorian, year, 12, 31);
    return true;
  }
  const int length = CivilMonthLength(gregorian, year, date->month);
  if (date->day > length) return false;
  date->firstDay = CivilDayNumber(gregorian, year, date->month, date->day == 0 ? 1 : date->day);
  date->lastDay =
      date->day == 0 ? CivilDayNumber(gregorian, year, date->month, length) : date->firstDay;
  return true;
}

bool ComputeFrenchDays(OneDate* date) {
  const std::int64_t yearStart = FrenchYearStart(date->year);
  if (date->month == 0) {
    date->firstDay = yearStart;
    date->lastDay = FrenchYearStart(date->year + 1) - 1;
    return true;
  }
  const int length = date->month == kComplementaryDays ? (IsSextileYear(date->year) ? 6 : 5) : 30;
  if (date->day > length) return false;
  const std::int64_t monthStart = yearStart + 30 * (date->month - 1);
  date->firstDay = monthStart + (date->day == 0 ? 0 : date->day - 1);
  date->lastDay = date->day == 0 ? monthStart + length - 1 : date->firstDay;
  return true;
}

bool ComputeHebrewDays(OneDate* date) {
  if (date->month == 0) {
    std::int64_t nextYear = 0;
    if (!HebrewMonth(date->year, 0, &date->firstDay, nullptr) ||
        !HebrewMonth(date->year + 1, 0, &nextYear, nullptr)) {
      return false;
    }
    date->lastDay = nextYear - 1;
    return true;
  }
  // ICU numbers Adar I 5, in leap years only, and Adar (Adar II) 6; GEDCOM's months after ADR
  // are ICU's plus one.
  int icuMonth = date->month - 1;
  if (date->month == kAdar && !IsHebrewLeapYear(date->year)) icuMonth = kAdar;
  std::int64_t monthStart = 0;
  int length = 0;
  if (!HebrewMonth(date->year, icuMonth, &monthStart, &length) || date->day > length) return false;
  date->firstDay = monthStart + (date->day == 0 ? 0 : date->day - 1);
  date->lastDay = date->day == 0 ? monthStart + length - 1 : date->firstDay;
  return true;
}

// Reads "[calendar] [[day] month] year [epoch]" from `count` words. A dual year ("1648/49", two
// digits for the year after) reads as its second year, the year as counted from 1 January, as
// history now writes these dates (30 January 1648/49 is 30 January 1649); it is a Gregorian or
// Julian year, without an epoch.
bool ReadOneDate(const std::string_view* words, std::size_t count, OneDate* date) {
  std::size_t begin = 0;
  if (count > 0 && ReadCalendarWord(words[0], &date->calendar)) ++begin;
  std::size_t end = count;
  if (end > begin && IsEpochWord(words[end - 1])) {
    date->beforeEra = true;
    --end;
  }
  if (end - begin < 1 || end - begin > 3) return false;
  const bool civil =
      date->calendar == DateCalendar::kGregorian || date->calendar == DateCalendar::kJulian;
  if (date->beforeEra && !civil) return false;

  std::string_view yearWord = words[end - 1];
  const std::size_t slash = yearWord.find('/');
  date->year = ReadNumber(yearWord.substr(0, slash));
  if (slash != std::string_view::npos) {
    const int second = yearWord.size() - slash == 3 ? ReadNumber(yearWord.substr(slash + 1)) : -1;
    if (!civil || date->beforeEra || date->year < 0 || second != (date->year + 1) % 100) {
      return false;
    }
    ++date->year;
  }
  if (date->year < 1 || date->year > kMaxYear) return false;
  if (end - begin >= 2) {
    date->month = MonthOfWord(words[end - 2], date->calendar);
    if (date->month == 0) return false;
  }
  if (end - begin == 3) {
    date->day = ReadNumber(words[begin]);
    if (date->day < 1) return false;
  }
  switch (date->calendar) {
    case DateCalendar::kGregorian:
    case DateCalendar::kJulian:
      return ComputeCivilDays(date);
    case DateCalendar::kFrenchRepublican:
      return ComputeFrenchDays(date);
    case DateCalendar::kHebrew:
      return ComputeHebrewDays(date);
  }
  return false;
}

// Writes the ISO 8601 text of a Gregorian or Julian date of our era written in `calendar`, the
// one the database's column names; other dates have none.
void WriteIso(const OneDate& date, DateCalendar calendar, std::string* out) {
  if (date.calendar != calendar || date.beforeEra ||
      (calendar != DateCalendar::kGregorian && calendar != DateCalendar::kJulian)) {
    return;
  }
  char text[10];
  auto two = [&text](std::size_t at, int n) {
    text[at] = static_cast<char>('0' + n / 10);
    text[at + 1] = static_cast<char>('0' + n % 10);
  };
  two(0, date.year / 100);
  two(2, date.year % 100);
  std::size_t length = 4;
  if (date.month != 0) {
    text[4] = '-';
    two(5, date.month);
    length = 7;
    if (date.day != 0) {
      text[7] = '-';
      two(8, date.day);
      length = 10;
    }
  }
  out->assign(text, length);
}

// The words that open a date (the tables' qualifiers, then GEDCOM's other keywords) and the
// GEDCOM keyword each stands for.
struct LeadingWord {
  std::string_view word;
  std::string_view keyword;
};
constexpr auto kLeadingWords = [] {
  std::array<LeadingWord, std::size(kQualifierWords) + 4> words{};
  std::size_t n = 0;
  for (const QualifierWord& q : kQualifierWords) words[n++] = {q.word, q.keyword};
  for (const std::string_view keyword : {"BET", "FROM", "TO", "INT"}) {
    words[n++] = {keyword, keyword};
  }
  return words;
}();

// The GEDCOM keyword that `word` stands for when it opens a date, or an empty view.
std::string_view LeadingKeyword(std::string_view word) {
  if (IsDigit(word[0])) return {};  // most dates start with their day or year
  for (const LeadingWord& w : kLeadingWords) {
    if (SameWord(word, w.word)) return w.keyword;
  }
  return {};
}

}  // namespace

ReadDate ReadGedcomDate(std::string_view text) {
  Words words;
  if (!SplitWords(text, &words)) return {};
  ReadDate result;
  result.phrase = words.phrase;
  const std::size_t count = words.count;
  if (count == 0) {
    // A phrase alone, or an empty value (GEDCOM 7 allows one, its phrase in a PHRASE line).
    result.readable = true;
    return result;
  }
  const std::string_view* items = words.items.data();
  std::string_view keyword = LeadingKeyword(items[0]);
  OneDate first;
  // APR is April in GEDCOM and "après" in the tables: the month when the whole text reads as a
  // date with it ("APR 1850"), the qualifier otherwise ("APR 12 MAR 1850").
  if (SameWord(items[0], "APR") && ReadOneDate(items, count, &first)) keyword = {};
  // GEDCOM gives a phrase only to an interpreted date.
  if (words.hasPhrase && keyword != "INT") return {};

  const std::size_t begin = keyword.empty() ? 0 : 1;
  std::size_t split = count;  // the word that opens the second date of a range or period
  if (keyword == "BET" || keyword == "FROM") {
    const std::string_view separator = keyword == "BET" ? "AND" : "TO";
    for (std::size_t i = begin; i < count; ++i) {
      if (SameWord(items[i], separator)) {
        split = i;
        break;
      }
    }
    if (keyword == "BET" && split == count) return {};
  }
  first = OneDate{};
  if (!ReadOneDate(items + begin, split - begin, &first)) return {};
  OneDate second;
  const bool twoDates = split < count;
  if (twoDates) {
    if (!ReadOneDate(items + split + 1, count - split - 1, &second)) return {};
    if (second.lastDay < first.firstDay) return {};  // an end before the start
  }

  result.readable = true;
  result.qualifier = keyword;
  result.calendar = first.calendar;
  result.sortDay = first.firstDay;
  if (keyword != "BEF" && keyword != "TO") WriteIso(first, first.calendar, &result.from);
  if (keyword != "AFT" && !(keyword == "FROM" && !twoDates)) {
    WriteIso(twoDates ? second : first, first.calendar, &result.to);
  }
  return result;
}

}  // namespace brimsel
