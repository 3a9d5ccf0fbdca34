// Date normalisation: GEDCOM forms (calendars, phrases, ranges, periods), qualifier prefix, up to
// three words, day / month / year with defaults.
#include "export/date.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string_view>

#include "platform/text_bytes.h"

namespace brimsel {

// Windows-1252 bytes: \xE9 é, \xFB û; "\x63" is the letter c, written as an escape so that it
// is not read as part of the escape before it.
// clang-format off
const char* const kMonthNames[13] = {
    "",    "jan", "f\xE9v", "mar", "avr", "mai",        "juin",
    "juil", "ao\xFB", "sep", "oct", "nov", "d\xE9\x63",
};

const char* const kMonthNamesUtf8[13] = {
    "",    "jan", "f\xC3\xA9v", "mar", "avr", "mai",        "juin",
    "juil", "ao\xC3\xBB", "sep", "oct", "nov", "d\xC3\xA9\x63",
};
// clang-format on

namespace {

constexpr std::size_t kMaxDateLength = 31;  // the buffer holds 32 bytes with the terminator
constexpr std::size_t kMaxWordLength = 15;  // a word keeps at most this many bytes
constexpr int kExactQualifier = 96;
constexpr int kCodeBase = 145;
constexpr int kDayGiven = 2;
constexpr int kMonthGiven = 4;
constexpr int kYearGiven = 8;
constexpr int kDefaultDay = 13;
constexpr int kDefaultMonth = 6;
constexpr int kDefaultCentury = 1900;

// Upper case of the classic locale: only a-z change.
constexpr unsigned char UpperAscii(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

bool StartsWithIgnoringCase(const char* text, const char* prefix) {
  for (; *prefix != '\0'; ++text, ++prefix) {
    if (UpperAscii(static_cast<unsigned char>(*text)) !=
        UpperAscii(static_cast<unsigned char>(*prefix))) {
      return false;  // also stops at the terminator of a shorter text
    }
  }
  return true;
}

// A word of the date: a view of its first kMaxWordLength bytes at most, as a fixed word buffer
// would keep it. An absent word is empty.
struct Word {
  const char* start = "";
  std::size_t length = 0;
};

// Reads a word as "%d" would: optional sign, at least one digit, anything after the digits
// ignored. A value that does not fit 32 bits does not read as a number.
bool ReadInteger(Word word, int* value) {
  const char* p = word.start;
  const char* end = p + word.length;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  if (p == end || *p < '0' || *p > '9') return false;
  const std::int64_t limit = negative ? 2147483648LL : 2147483647LL;
  std::int64_t n = 0;
  for (; p < end && *p >= '0' && *p <= '9'; ++p) {
    n = n * 10 + (*p - '0');
    if (n > limit) return false;
  }
  *value = static_cast<int>(negative ? -n : n);
  return true;
}

// A word of at most four bytes, its ASCII letters folded to capitals, packed in one integer
// (0 for a longer or an empty word): the month words compare as integers.
constexpr std::uint32_t PackWord(const char* word, std::size_t length) {
  if (length > 4) return 0;
  std::uint32_t e = 0;
  for (std::size_t i = 0; i < length; ++i) {
    e = (e << 8) | UpperAscii(static_cast<unsigned char>(word[i]));
  }
  return e;
}

// Month number of a word of kMonthWords, or 0. Every word of the table is three or four bytes and
// no two are equal without regard to case, so the first equal entry is the only one. A word is
// looked up at one place of a table, found from a mix of its packed bits; the words of the
// month table all have places of their own, which building the table checks (else every entry
// is compared, as a plain search would).
int MonthOfCp1252Word(Word word) {
  constexpr std::size_t kSlots = 256;
  struct Index {
    std::uint32_t packed[kSlots] = {};
    unsigned char month[kSlots] = {};
    bool unique = true;  // no two words share a place; otherwise the lookup walks the table
    Index() {
      for (const MonthWord& m : kMonthWords) {
        const std::uint32_t e = PackWord(m.word, std::strlen(m.word));
        const std::size_t i = Slot(e);
        if (packed[i] != 0) unique = false;
        packed[i] = e;
        month[i] = static_cast<unsigned char>(m.month);
      }
    }
    static std::size_t Slot(std::uint32_t e) { return (e ^ (e >> 3) ^ (e >> 9)) % kSlots; }
  };
  static const Index kIndex;
  const std::uint32_t e = PackWord(word.start, word.length);
  if (e == 0) return 0;
  if (kIndex.unique) {
    const std::size_t i = Index::Slot(e);
    return kIndex.packed[i] == e ? kIndex.month[i] : 0;
  }
  for (const MonthWord& m : kMonthWords) {
    if (PackWord(m.word, std::strlen(m.word)) == e) return m.month;
  }
  return 0;
}

// The same for a word of a UTF-8 date: its letters from U+0080 to U+00FF (é, û, É...) are read
// as their Windows-1252 bytes, so that the month words compare as in a Windows-1252 date.
int MonthOfWord(Word word, bool utf8) {
  if (!utf8 || word.length == 0) return MonthOfCp1252Word(word);
  char bytes[kMaxWordLength];
  std::size_t n = 0;
  for (std::size_t i = 0; i < word.length; ++i) {
    const unsigned char c = static_cast<unsigned char>(word.start[i]);
    if (c < 0x80) {
      bytes[n++] = static_cast<char>(c);
    } else if ((c == 0xC2 || c == 0xC3) && i + 1 < word.length &&
               (static_cast<unsigned char>(word.start[i + 1]) & 0xC0) == 0x80) {
      bytes[n++] = static_cast<char>(((c & 0x03) << 6) | (word.start[++i] & 0x3F));
    } else {
      return 0;  // a character that no month word has
    }
  }
  return MonthOfCp1252Word({bytes, n});
}

// Splits the first `length` bytes of `text` into at most three words. Returns their count.
int SplitWords(const char* text, std::size_t length, Word words[3]) {
  int count = 0;
  std::size_t i = 0;
  while (count < 3) {
    while (i < length && IsBlank(text[i])) ++i;
    if (i == length) break;
    const std::size_t start = i;
    while (i < length && !IsBlank(text[i])) ++i;
    words[count].start = text + start;
    words[count].length = std::min(i - start, kMaxWordLength);
    ++count;
  }
  return count;
}

// Appends the decimal digits of a positive `n` at `p`; returns the end.
char* WritePositive(char* p, int n) {
  if (n < 100) {  // every day
    if (n >= 10) *p++ = static_cast<char>('0' + n / 10);
    *p++ = static_cast<char>('0' + n % 10);
    return p;
  }
  if (n < 10000 && n >= 1000) {  // almost every year
    const int high = n / 100;
    const int low = n % 100;
    p[0] = static_cast<char>('0' + high / 10);
    p[1] = static_cast<char>('0' + high % 10);
    p[2] = static_cast<char>('0' + low / 10);
    p[3] = static_cast<char>('0' + low % 10);
    return p + 4;
  }
  char digits[10];
  int k = 0;
  do {
    digits[k++] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0);
  while (k > 0) *p++ = digits[--k];
  return p;
}

inline bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Writes the normalised date: day, blank, month name, blank, year. At most 2 + 1 + 4 + 1 + 10
// bytes and the terminator. The month name is copied as four bytes; after a name of three, the
// blank that follows takes the fourth.
void WriteNormalDate(char* date, int day, int month, int year, bool utf8, DateParts* parts) {
  if (parts != nullptr) *parts = {day, month, year};
  struct PaddedNames {
    char name[13][4] = {};
    unsigned char length[13] = {};
    explicit PaddedNames(const char* const (&names)[13]) {
      for (int i = 1; i < 13; ++i) {
        length[i] = static_cast<unsigned char>(std::strlen(names[i]));
        std::memcpy(name[i], names[i], length[i]);
      }
    }
  };
  static const PaddedNames kCp1252Names(kMonthNames);
  static const PaddedNames kUtf8Names(kMonthNamesUtf8);
  const PaddedNames& kNames = utf8 ? kUtf8Names : kCp1252Names;
  char* p = WritePositive(date, day);
  *p++ = ' ';
  std::memcpy(p, kNames.name[month], 4);
  p += kNames.length[month];
  *p++ = ' ';
  p = WritePositive(p, year);
  *p = '\0';
}

// The most frequent shape, "D MON YYYY" or "DD MON YYYY" (a day of 1 to 31, a month word of the
// table, a year of four digits not starting with 0, single blanks), read at a few fixed places.
// Returns its code after writing the normalised date, or 0 for any other text, which the general
// reading takes; for this shape both give the same bytes and code.
int ReadUsualDate(char* date, std::size_t length, bool utf8, DateParts* parts) {
  if (length < 9 || length > 12 || !IsDigit(date[0])) return 0;
  const std::size_t j = date[1] == ' ' ? 1 : 2;  // digits of the day
  if (j == 2 && (!IsDigit(date[1]) || date[2] != ' ')) return 0;
  const std::size_t monthLength =
      length - j - 6;  // letters of the month word; more than 4 match none
  const std::size_t yearAt = length - 4;
  if (monthLength < 3 || date[yearAt - 1] != ' ' || !IsDigit(date[yearAt]) || date[yearAt] == '0' ||
      !IsDigit(date[yearAt + 1]) || !IsDigit(date[yearAt + 2]) || !IsDigit(date[yearAt + 3])) {
    return 0;
  }
  const int day = j == 1 ? date[0] - '0' : (date[0] - '0') * 10 + (date[1] - '0');
  // A month word holding a blank is in no table entry, so it is refused here.
  const int month = day >= 1 && day <= 31 ? MonthOfWord({date + j + 1, monthLength}, utf8) : 0;
  if (month == 0) return 0;
  const int year = (date[yearAt] - '0') * 1000 + (date[yearAt + 1] - '0') * 100 +
                   (date[yearAt + 2] - '0') * 10 + (date[yearAt + 3] - '0');
  WriteNormalDate(date, day, month, year, utf8, parts);
  return kExactQualifier + kDayGiven + kMonthGiven + kYearGiven + kCodeBase;
}

// Words of the GEDCOM date forms, compared whole and without regard to ASCII case.
enum class FormWord {
  kOther,
  kCalendar,     // GREGORIAN, JULIAN: dropped
  kUnreadable,   // FRENCH_R, HEBREW, and the eras before Christ
  kInterpreted,  // INT, dropped when first
  kBetween,      // BET: a range, true after its start; ends at AND
  kAnd,
  kFrom,  // FROM: a period, true after its beginning; ends at TO
  kTo,    // also a date "before" when first
};

bool SameWordIgnoringCase(const char* word, std::size_t length, const char* keyword) {
  std::size_t i = 0;
  for (; i < length && keyword[i] != '\0'; ++i) {
    if (UpperAscii(static_cast<unsigned char>(word[i])) != static_cast<unsigned char>(keyword[i])) {
      return false;
    }
  }
  return i == length && keyword[i] == '\0';
}

FormWord ClassifyFormWord(const char* word, std::size_t length) {
  // The short keywords compare packed, as the month words do, once the first letter fits the
  // length: a month word such as JUN or FEB stops at that letter. The long ones are calendars.
  const unsigned char initial = UpperAscii(static_cast<unsigned char>(word[0]));
  switch (length) {
    case 2:
    case 3:
    case 4:
      if (initial != 'A' && initial != 'B' && initial != 'F' && initial != 'I' && initial != 'T') {
        return FormWord::kOther;
      }
      switch (PackWord(word, length)) {
        case PackWord("TO", 2):
          return FormWord::kTo;
        case PackWord("BC", 2):
        case PackWord("BCE", 3):
        case PackWord("B.C", 3):
        case PackWord("B.C.", 4):
          return FormWord::kUnreadable;
        case PackWord("INT", 3):
          return FormWord::kInterpreted;
        case PackWord("BET", 3):
          return FormWord::kBetween;
        case PackWord("AND", 3):
          return FormWord::kAnd;
        case PackWord("FROM", 4):
          return FormWord::kFrom;
        default:
          return FormWord::kOther;
      }
    case 6:
      if (initial == 'J') {
        return SameWordIgnoringCase(word, length, "JULIAN") ? FormWord::kCalendar
                                                            : FormWord::kOther;
      }
      return SameWordIgnoringCase(word, length, "HEBREW") ? FormWord::kUnreadable
                                                          : FormWord::kOther;
    case 8:
      return SameWordIgnoringCase(word, length, "FRENCH_R") ? FormWord::kUnreadable
                                                            : FormWord::kOther;
    case 9:
      return SameWordIgnoringCase(word, length, "GREGORIAN") ? FormWord::kCalendar
                                                             : FormWord::kOther;
    default:
      return FormWord::kOther;
  }
}

// Bytes as the check for GEDCOM forms sees them, as bits: a blank, a letter that starts a
// keyword (in either case), a '@' that starts a calendar escape or a '(' that starts a phrase.
constexpr unsigned kGateBlank = 1;
constexpr unsigned kGateInitial = 2;
constexpr unsigned kGateOpener = 4;

constexpr std::array<unsigned char, 256> kGateBytes = [] {
  std::array<unsigned char, 256> classes{};
  for (int c = 0; c < 256; ++c) {
    if (IsBlank(static_cast<char>(c))) classes[c] = kGateBlank;
  }
  for (const char c : {'B', 'F', 'G', 'H', 'I', 'J', 'T'}) {
    classes[static_cast<unsigned char>(c)] = kGateInitial;
    classes[static_cast<unsigned char>(c - 'A' + 'a')] = kGateInitial;
  }
  classes['@'] = kGateOpener;
  classes['('] = kGateOpener;
  return classes;
}();

// Whether the GEDCOM forms may change the first `length` bytes of `date`: a '@' (calendar
// escape), a '(' (phrase), a calendar or era word anywhere, or a first word that starts an
// interpreted date, a range or a period. Texts for which this is false are left to the
// qualifier step as they are. One pass without branches over the bytes finds the openers and
// the words that start with the initial of a keyword; only those words are then compared.
bool MayHoldGedcomForm(const char* date, std::size_t length) {
  static_assert(kMaxDateLength < 32, "one bit per byte");
  unsigned seen = 0;
  std::uint32_t candidates = 0;  // bit i: a word with a keyword's initial starts at byte i
  unsigned previous = kGateBlank;
  for (std::size_t i = 0; i < length; ++i) {
    const unsigned c = kGateBytes[static_cast<unsigned char>(date[i])];
    seen |= c;
    // An initial after a blank: kGateInitial is kGateBlank shifted by one.
    candidates |= static_cast<std::uint32_t>((c & previous << 1) >> 1) << i;
    previous = c;
  }
  if ((seen & kGateOpener) != 0) return true;
  if (candidates == 0) return false;
  std::size_t firstWord = 0;
  while (firstWord < length && IsBlank(date[firstWord])) ++firstWord;
  for (; candidates != 0; candidates &= candidates - 1) {
    const std::size_t start = static_cast<std::size_t>(std::countr_zero(candidates));
    std::size_t end = start + 1;
    while (end < length && !IsBlank(date[end])) ++end;
    switch (ClassifyFormWord(date + start, end - start)) {
      case FormWord::kCalendar:
      case FormWord::kUnreadable:
        return true;
      case FormWord::kInterpreted:
      case FormWord::kBetween:
      case FormWord::kFrom:
      case FormWord::kTo:
        if (start == firstWord) return true;
        break;
      default:
        break;
    }
  }
  return false;
}

// The date text once the GEDCOM forms are read.
struct GedcomForm {
  enum class Outcome {
    kUnchanged,   // no form found: the text is read as it is
    kRewritten,   // `text` holds the remaining words
    kUnreadable,  // code 127, the date text left as it was
  };
  Outcome outcome = Outcome::kUnchanged;
  char text[kMaxDateLength + 1] = {};
  std::size_t length = 0;
  // The qualifier of a range or period (64 after, 32 before), or -1. It stands for the qualifier
  // prefix the text would start with, so that prefix is not written in front of the words: a
  // 31-byte "TO ..." would not fit once it began with "BEF ".
  int rangeQualifier = -1;
};

// Removes every occurrence of `escape` (capitals) from the NUL-terminated `text`, comparing
// without regard to ASCII case. Returns whether one was found.
bool RemoveEscape(char* text, const char* escape) {
  const std::size_t escapeLength = std::strlen(escape);
  bool found = false;
  char* out = text;
  for (const char* in = text; *in != '\0';) {
    if (*in == '@' && StartsWithIgnoringCase(in, escape)) {
      in += escapeLength;
      found = true;
    } else {
      *out++ = *in++;
    }
  }
  *out = '\0';
  return found;
}

// Reads the calendar escapes, phrases, calendar and era words, INT, ranges and periods of the
// first `length` bytes of `date`.
GedcomForm ReadGedcomForm(const char* date, std::size_t length) {
  GedcomForm form;
  char work[kMaxDateLength + 1];
  length = std::min(length, kMaxDateLength);
  std::memcpy(work, date, length);
  work[length] = '\0';
  bool changed = false;

  // Gregorian and Julian dates are read as written; any other calendar is not read.
  changed |= RemoveEscape(work, "@#DGREGORIAN@");
  changed |= RemoveEscape(work, "@#DJULIAN@");
  for (const char* p = work; *p != '\0'; ++p) {
    if (StartsWithIgnoringCase(p, "@#D")) {
      form.outcome = GedcomForm::Outcome::kUnreadable;
      return form;
    }
  }

  // A phrase runs from '(' to the next ')', or to the end.
  {
    char* out = work;
    bool inPhrase = false;
    for (const char* in = work; *in != '\0'; ++in) {
      if (inPhrase) {
        inPhrase = *in != ')';
      } else if (*in == '(') {
        inPhrase = true;
        changed = true;
      } else {
        *out++ = *in;
      }
    }
    *out = '\0';
  }

  // The words that remain, less the calendar words; 31 bytes hold at most 16 words.
  Word words[(kMaxDateLength + 1) / 2];
  FormWord kinds[std::size(words)];
  std::size_t count = 0;
  for (std::size_t i = 0; work[i] != '\0';) {
    while (work[i] != '\0' && IsBlank(work[i])) ++i;
    const std::size_t start = i;
    while (work[i] != '\0' && !IsBlank(work[i])) ++i;
    if (i == start) break;
    const FormWord kind = ClassifyFormWord(work + start, i - start);
    if (kind == FormWord::kUnreadable) {
      form.outcome = GedcomForm::Outcome::kUnreadable;
      return form;
    }
    if (kind == FormWord::kCalendar) {
      changed = true;
    } else if (count < std::size(words)) {
      words[count] = {work + start, i - start};
      kinds[count] = kind;
      ++count;
    }
  }

  std::size_t first = 0;
  if (count > 0 && kinds[0] == FormWord::kInterpreted) {
    ++first;
    changed = true;
  }
  // A range is true after its start, a period after its beginning; "TO y" is before y.
  if (first < count) {
    FormWord end = FormWord::kOther;
    switch (kinds[first]) {
      case FormWord::kBetween:
        form.rangeQualifier = 64;
        end = FormWord::kAnd;
        break;
      case FormWord::kFrom:
        form.rangeQualifier = 64;
        end = FormWord::kTo;
        break;
      case FormWord::kTo:
        form.rangeQualifier = 32;
        break;
      default:
        break;
    }
    if (form.rangeQualifier >= 0) {
      ++first;
      changed = true;
      for (std::size_t k = first; end != FormWord::kOther && k < count; ++k) {
        if (kinds[k] == end) count = k;
      }
    }
  }

  if (!changed) return form;
  if (first >= count) {
    form.outcome = GedcomForm::Outcome::kUnreadable;
    return form;
  }
  // The remaining words joined by single blanks: never longer than the text they come from.
  std::size_t n = 0;
  for (std::size_t k = first; k < count; ++k) {
    if (k > first && n < kMaxDateLength) form.text[n++] = ' ';
    const std::size_t take = std::min(words[k].length, kMaxDateLength - n);
    std::memcpy(form.text + n, words[k].start, take);
    n += take;
  }
  form.text[n] = '\0';
  form.length = n;
  form.outcome = GedcomForm::Outcome::kRewritten;
  return form;
}

// The value a qualifier adds to the quality code: before and after have theirs, the others
// (about, calculated, estimated) all count as about.
constexpr int QualifierValue(std::string_view keyword) {
  return keyword == "BEF" ? 32 : keyword == "AFT" ? 64 : 0;
}

// Removes a recognised qualifier prefix (a word of kQualifierWords and a blank) from the front of
// `date` and returns its value, or the exact qualifier when there is none.
int StripQualifier(char* date, std::size_t* length) {
  // Most dates have no qualifier: a first character that starts none of the prefixes (ASCII
  // letters without regard to case) skips the table.
  const unsigned char first = UpperAscii(static_cast<unsigned char>(date[0]));
  if (first != 'A' && first != 'B' && first != 'C' && first != 'E') return kExactQualifier;
  if (*length < 4 || date[3] != ' ') return kExactQualifier;
  for (const QualifierWord& q : kQualifierWords) {
    if (StartsWithIgnoringCase(date, q.word)) {
      *length -= 4;
      std::memmove(date, date + 4, *length);
      date[*length] = '\0';
      return QualifierValue(q.keyword);
    }
  }
  return kExactQualifier;
}

// Reads up to three words of the first `length` bytes of `date` as day, month and year, and
// rewrites the date; `code` holds the qualifier value. Returns the quality code.
int ReadDayMonthYear(char* date, std::size_t length, int code, bool utf8, DateParts* parts) {
  // The words are views into the date: every number is read before the result is written.
  Word words[3];
  const int count = SplitWords(date, length, words);
  Word dayWord;
  Word monthWord;
  Word yearWord;
  int value = 0;
  switch (count) {
    case 0:
      return kQualityUnreadable;
    case 1:
      if (!ReadInteger(words[0], &value) || value < 1) return kQualityUnreadable;
      yearWord = words[0];
      break;
    case 2:
      if (ReadInteger(words[0], &value)) {
        dayWord = words[0];
        monthWord = words[1];
      } else {
        monthWord = words[0];
        yearWord = words[1];
      }
      break;
    default:
      dayWord = words[0];
      monthWord = words[1];
      yearWord = words[2];
      break;
  }

  int day = kDefaultDay;
  if (ReadInteger(dayWord, &value) && value >= 1 && value <= 31) {
    day = value;
    code += kDayGiven;
  }
  int year = 0;
  if (ReadInteger(yearWord, &value) && value >= 1) {
    year = value;
    code += kYearGiven;
  }
  if (year < 100) year += kDefaultCentury;
  int month = kDefaultMonth;
  if (ReadInteger(monthWord, &value)) {
    if (value >= 1 && value <= 12) {
      month = value;
      code += kMonthGiven;
    }
  } else if (int m = MonthOfWord(monthWord, utf8); m != 0) {
    month = m;
    code += kMonthGiven;
  }
  code += kCodeBase;

  WriteNormalDate(date, day, month, year, utf8, parts);
  return code;
}

}  // namespace

int NormaliseDate(char* date, TableEncoding encoding, DateParts* parts) {
  if (date == nullptr) return kQualityNone;
  const bool utf8 = encoding == TableEncoding::kUtf8;
  std::size_t length = 0;
  while (length < kMaxDateLength && date[length] != '\0') ++length;
  if (const int code = ReadUsualDate(date, length, utf8, parts); code != 0) return code;

  if (MayHoldGedcomForm(date, length)) {
    GedcomForm form = ReadGedcomForm(date, length);
    switch (form.outcome) {
      case GedcomForm::Outcome::kUnreadable:
        return kQualityUnreadable;
      case GedcomForm::Outcome::kRewritten: {
        // Read in the form's own buffer, then copied back: a normalised date (at most 19 bytes,
        // as for any other date), or the unreadable remaining words, never longer than the text.
        const int qualifier = form.rangeQualifier >= 0 ? form.rangeQualifier
                                                       : StripQualifier(form.text, &form.length);
        const int code = ReadDayMonthYear(form.text, form.length, qualifier, utf8, parts);
        std::size_t n = std::strlen(form.text);
        if (code == kQualityUnreadable) n = std::min(n, length);
        std::memcpy(date, form.text, n);
        date[n] = '\0';
        return code;
      }
      case GedcomForm::Outcome::kUnchanged:
        break;
    }
  }

  const int qualifier = StripQualifier(date, &length);
  return ReadDayMonthYear(date, length, qualifier, utf8, parts);
}

std::size_t SortableDate(int quality, const DateParts& parts, SortableDateText& text) {
  // An odd code from 145 to 255 was normalised; one less is a standing-in event's.
  const int code = quality | 1;
  if (code < kCodeBase || code > 255 || quality < kCodeBase - 1) return 0;
  const int given = code - kCodeBase;
  if ((given & kYearGiven) == 0 || parts.year < 0) return 0;  // no year: nothing to sort by
  if (parts.month < 1 || parts.month > 12 || parts.day < 1 || parts.day > 31) return 0;
  char* const out = text.data();
  // The year with at least four digits, then the month and the day when given.
  char digits[12];
  int n = 0;
  for (int y = parts.year; y != 0 || n < 4; y /= 10) digits[n++] = static_cast<char>('0' + y % 10);
  std::size_t length = 0;
  while (n > 0) out[length++] = digits[--n];
  const auto twoDigits = [&](int v) {
    out[length++] = '-';
    out[length++] = static_cast<char>('0' + v / 10);
    out[length++] = static_cast<char>('0' + v % 10);
  };
  if ((given & kMonthGiven) != 0) {
    twoDigits(parts.month);
    if ((given & kDayGiven) != 0) twoDigits(parts.day);
  }
  return length;
}

}  // namespace brimsel
