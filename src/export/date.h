// Date normalisation: rewrites a GEDCOM date in place into one fixed form and returns its
// quality code.
#pragma once

#include <array>
#include <cstddef>

#include "platform/charset.h"
#include "platform/date_words.h"

namespace brimsel {

// Month names written by the normaliser, indexed by month number 1 to 12 (entry 0 unused):
// Windows-1252 bytes, and the same names in UTF-8.
extern const char* const kMonthNames[13];
extern const char* const kMonthNamesUtf8[13];

// Quality codes that are not normalised dates.
inline constexpr int kQualityNone = 0;         // no date
inline constexpr int kQualityUnreadable = 127;  // unreadable date

// Rewrites `date` (a NUL-terminated text of at most 31 bytes) as "day month year" and returns
// the quality code: 0 for a null date, 127 for an unreadable one, otherwise an odd code from 145
// to 255 built as 145 + qualifier + 2 (day given) + 4 (month given) + 8 (year given).
//
// The GEDCOM forms are read first: the calendar escapes @#DGREGORIAN@ and @#DJULIAN@ and the
// words GREGORIAN and JULIAN are dropped (a Julian date is kept as written), a phrase in
// parentheses is dropped, a leading INT is dropped; a range "BET x AND y" or a period
// "FROM x TO y" reads as "after x", "TO y" as "before y". Another calendar (@#D..., FRENCH_R,
// HEBREW) or a date before Christ (B.C., BC, B.C, BCE) is unreadable, its text left as it was,
// as is a text of which nothing but those forms remains.
//
// Otherwise an unreadable date only loses a recognised qualifier prefix (and the forms above).
// Missing or impossible parts default to day 13, month 6 (juin) and year 1900; a year of 1 to 99
// gets 1900 added. Words longer than 15 bytes keep their first 15. Writes at most the text's
// length and its terminator, or 19 bytes (the longest result, "31 juin 2147483647").
//
// `encoding` is the text's: in a UTF-8 date the month words may carry their accented letters
// in UTF-8, and the month names are written in UTF-8.
//
// With `parts`, the day, month and year written are stored there whenever a date is written.
struct DateParts {
  int day = 0;
  int month = 0;
  int year = 0;
};
int NormaliseDate(char* date, TableEncoding encoding = TableEncoding::kWindows1252,
                  DateParts* parts = nullptr);

// Capacity of a sortable date: a year of up to ten digits, "-MM-DD", the terminator.
inline constexpr std::size_t kSortableDateCapacity = 20;
using SortableDateText = std::array<char, kSortableDateCapacity>;

// The ISO 8601 form of a date that NormaliseDate wrote as `parts` with the code `quality` (or
// one less, for a date standing in for another), holding only the parts the code says were
// given: "1841", "1841-03" or "1841-03-12" (a year below 1000 with leading zeros). Writes it
// into `out` and returns its length; 0, writing nothing, for no date, an unreadable one and one
// without a year.
std::size_t SortableDate(int quality, const DateParts& parts, SortableDateText& out);

}  // namespace brimsel
