// Tests of NormaliseDate: rewritten text and quality code for each shape of date.
#include "export/date.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <random>
#include <string>

namespace brimsel {
namespace {

struct Resultat {
  int code;
  std::string texte;
};

// Normalises `entree` in a 32-byte buffer filled with a marker, and checks that nothing beyond
// the terminator of the result was touched outside the buffer's own bytes.
Resultat Normalise(const std::string& entree) {
  char tampon[32 + 8];
  std::memset(tampon, '#', sizeof tampon);
  EXPECT_LT(entree.size(), 32u);
  std::memcpy(tampon, entree.c_str(), entree.size() + 1);
  const int code = NormaliseDate(tampon);
  for (std::size_t i = 32; i < sizeof tampon; ++i) EXPECT_EQ(tampon[i], '#') << "byte " << i;
  return {code, std::string(tampon)};
}

void Attend(const std::string& entree, int code, const std::string& texte) {
  const Resultat r = Normalise(entree);
  EXPECT_EQ(r.code, code) << "'" << entree << "'";
  EXPECT_EQ(r.texte, texte) << "'" << entree << "'";
}

TEST(NormaliseDate, NullDateIsCodeZero) {
  EXPECT_EQ(NormaliseDate(nullptr), 0);
}

TEST(NormaliseDate, FullAndPartialDates) {
  Attend("15 MAR 1850", 255, "15 mar 1850");
  Attend("MAR 1850", 253, "13 mar 1850");
  Attend("15 MAR", 247, "15 mar 1900");
  Attend("15 1850", 243, "15 juin 1900");
  Attend("85", 249, "13 juin 1985");
  Attend("1850", 249, "13 juin 1850");
  Attend("1 dec 99", 255, "1 d\xE9\x63 1999");
}

TEST(NormaliseDate, QualifiersAnyCaseNeedTheirSpace) {
  Attend("ABT 1850", 153, "13 juin 1850");
  Attend("abt 1850", 153, "13 juin 1850");
  Attend("BEF 1 JAN 1900", 191, "1 jan 1900");
  Attend("AVT 1 JAN 1900", 191, "1 jan 1900");
  Attend("Bef 1 JAN 1900", 191, "1 jan 1900");
  Attend("AFT 1900", 217, "13 juin 1900");
  Attend("APR 1900", 217, "13 juin 1900");
  Attend("AUT 1900", 153, "13 juin 1900");
  Attend("env 1900", 153, "13 juin 1900");
  Attend("ABT1850", 127, "ABT1850");
  Attend("ENV. 1850", 249, "13 juin 1850");  // no qualifier: month 'ENV.', year 1850
}

TEST(NormaliseDate, ImpossibleValuesFallBackToDefaults) {
  Attend("32 MAR 1850", 253, "13 mar 1850");
  Attend("0 MAR 1850", 253, "13 mar 1850");
  Attend("-3 MAR 1850", 253, "13 mar 1850");
  Attend("15 13 1850", 251, "15 juin 1850");
  Attend("15 0 1850", 251, "15 juin 1850");
  Attend("15 12 1850", 255, "15 d\xE9\x63 1850");
  Attend("MARCH 1850", 249, "13 juin 1850");
  Attend("AOU 1850", 249, "13 juin 1850");
  Attend("BET 1850 AND 1860", 217, "13 juin 1850");  // after its start
  Attend("15 MAR 0", 247, "15 mar 1900");
}

TEST(NormaliseDate, NumbersReadLikePercentD) {
  Attend("15th MAR 1850", 255, "15 mar 1850");  // digits then anything
  Attend("+7 MAR 1850", 255, "7 mar 1850");
  Attend("1850?", 249, "13 juin 1850");
  Attend("-5 MAR", 245, "13 mar 1900");   // a number of any value makes two words day, month
  Attend("x5 MAR", 241, "13 juin 1900");  // not a number: month 'x5', year 'MAR'
  Attend("2147483647", 249, "13 juin 2147483647");
  // Too big for 32 bits: not a number at all, so one word is unreadable.
  Attend("2147483648", 127, "2147483648");
  Attend("99999999999 MAR", 241, "13 juin 1900");
  Attend("-", 127, "-");
  Attend("0", 127, "0");
  Attend("-1850", 127, "-1850");
}

TEST(NormaliseDate, MonthWordsCompareAsciiCaseOnly) {
  Attend("15 F\xC9V 1850", 255, "15 f\xE9v 1850");
  Attend("15 f\xE9v 1850", 255, "15 f\xE9v 1850");
  Attend("15 F\xE9V 1850", 255, "15 f\xE9v 1850");
  Attend("8 AO\xDB 1868", 255, "8 ao\xFB 1868");
  Attend("21 D\xC9\x43 1910", 255, "21 d\xE9\x63 1910");
  Attend("1 JUIN 1900", 255, "1 juin 1900");
  Attend("1 Sept 1900", 255, "1 sep 1900");
  Attend("1 mai 1900", 255, "1 mai 1900");
  Attend("1 MAY 1900", 255, "1 mai 1900");
  Attend("1 jul 1900", 255, "1 juil 1900");
  Attend("1 AUG 1900", 255, "1 ao\xFB 1900");
  Attend("1 APR 1900", 255, "1 avr 1900");
  Attend("1 jan. 1900", 251, "1 juin 1900");  // the whole word must match
}

TEST(NormaliseDate, EveryOutputMonthReadsBackAsGiven) {
  for (int mois = 1; mois <= 12; ++mois) {
    const std::string texte = "2 " + std::string(kMonthNames[mois]) + " 1900";
    Attend(texte, 255, texte);
  }
}

TEST(NormaliseDate, UnreadableTextsKeepTheirTextLessThePrefix) {
  Attend("", 127, "");
  Attend("   \t ", 127, "   \t ");
  Attend("ABT ", 127, "");
  Attend("ABT JUNE", 127, "JUNE");
  Attend("ABT   ", 127, "  ");
  Attend("AB", 127, "AB");
}

TEST(NormaliseDate, WhiteSpaceOfAnyKindSeparatesWords) {
  Attend("  15\tMAR\n1850  ", 255, "15 mar 1850");
  Attend("15 MAR 1850 extra words", 255, "15 mar 1850");
}

TEST(NormaliseDate, SecondPassGivesFullCodeAndSameText) {
  char tampon[32] = "ABT 1850";
  EXPECT_EQ(NormaliseDate(tampon), 153);
  EXPECT_STREQ(tampon, "13 juin 1850");
  EXPECT_EQ(NormaliseDate(tampon), 255);
  EXPECT_STREQ(tampon, "13 juin 1850");
}

TEST(NormaliseDate, LongWordsKeepTheirFirstFifteenBytes) {
  // 15 bytes: read whole. 16 bytes: the 16th is dropped before reading.
  Attend("000000000000018", 249, "13 juin 1918");
  Attend("0000000000000018", 249, "13 juin 1901");
  // A month word cut to 15 bytes is still unknown; nothing spills into the next word.
  Attend("1 SEPTEMBERXXXXXXX 1850", 251, "1 juin 1850");
}

TEST(NormaliseDate, ThirtyOneByteDatesStayInTheirBuffer) {
  Attend("15 MAR 000000000000000000001850", 247, "15 mar 1900");
  Attend("BEF 15 MAR 00000000000000001850", 183, "15 mar 1900");
  Attend("BEF 15 MAR 000000000000001850", 191, "15 mar 1901");
  Attend("ABT XXXXXXXXXXXXXXXXXXXXXXXXXXX", 127, "XXXXXXXXXXXXXXXXXXXXXXXXXXX");
  Attend("1234567890123456789012345678901", 127, "1234567890123456789012345678901");
}

TEST(NormaliseDate, LongestOutputFits) {
  Attend("AFT 28 SEPT 2147483647", 223, "28 sep 2147483647");
  Attend("28 juin 2147483647", 255, "28 juin 2147483647");
}

// "12 MAR 1841" and its kin are read at fixed places; a blank in front takes a date off that
// path, and changes nothing else. Both readings must agree on dates of that shape and on near
// misses: other lengths, digits, blanks, months and years.
TEST(NormaliseDate, UsualShapeReadsAsTheGeneralReading) {
  std::mt19937 rng(17);
  const char* const jours[] = {"1", "9", "12", "31", "32", "0", "07", "1X", "X", ""};
  const char* const mois[] = {"MAR", "mar", "JUIN", "Sept", "f\xE9v", "AO\xDB",
                              "XYZ", "MA",  "M\tR", "12",   ""};
  const char* const annees[] = {"1841", "0841",  "0099", "0000", "999",
                                "2024", "12000", "184X", "9999", ""};
  const char* const blancs[] = {" ", " ", " ", "  ", "\t", "", "/"};
  for (int round = 0; round < 20000; ++round) {
    std::string date = std::string(jours[rng() % std::size(jours)]) +
                       blancs[rng() % std::size(blancs)] + mois[rng() % std::size(mois)] +
                       blancs[rng() % std::size(blancs)] + annees[rng() % std::size(annees)];
    const Resultat vite = Normalise(date);
    const Resultat general = Normalise(" " + date);
    EXPECT_EQ(vite.code, general.code) << "'" << date << "'";
    // An unreadable date keeps its text, blank included.
    EXPECT_EQ(vite.code == kQualityUnreadable ? " " + vite.texte : vite.texte, general.texte)
        << "'" << date << "'";
  }
}

}  // namespace
}  // namespace brimsel
