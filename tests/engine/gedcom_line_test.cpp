// Tests of the line helpers: word split, cross-reference and header numbers, header kinds.
#include "engine/gedcom_line.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <string>

namespace brimsel {
namespace {

// The split views into its line: the lines are kept for the whole test program.
MotsLigne Split(const std::string& s) {
  static std::deque<std::string> lines;
  const std::string& line = lines.emplace_back(s);
  MotsLigne m;
  DecoupeMots(line.data(), line.size(), m);
  return m;
}

TEST(DecoupeMots, CountsItemsLikeANumberAndTwoWords) {
  EXPECT_EQ(Split("1 BIRT").items, 2);
  EXPECT_EQ(Split("1 BIRT   ").items, 2);
  MotsLigne m = Split("1 NAME Jean /Dupont/");
  EXPECT_EQ(m.items, 3);
  EXPECT_EQ(m.tag, "NAME");
  EXPECT_EQ(m.Valeur(), "Jean");
  EXPECT_EQ(Split("1\tSEX\tM").items, 3);
  EXPECT_EQ(Split("  2 DATE 1850").items, 3);
  EXPECT_EQ(Split("x NAME").items, 0);
  EXPECT_EQ(Split("1").items, 1);
  EXPECT_EQ(Split("").items, 0);
  EXPECT_EQ(Split("1NAME x").items, 3);  // the number stops at the first non-digit
}

// A blank before the number changes nothing, and takes the line off the quick path of the usual
// shape: both readings must split every line alike.
TEST(DecoupeMots, UsualShapeSplitsAsTheGeneralReading) {
  std::mt19937 rng(3);
  const char alphabet[] = "0123 \t\v@ABNx/";
  for (int round = 0; round < 20000; ++round) {
    std::string line(1, static_cast<char>('0' + rng() % 10));
    line += rng() % 4 ? ' ' : '\t';
    std::size_t length = rng() % 12;
    for (std::size_t i = 0; i < length; ++i) line += alphabet[rng() % (sizeof alphabet - 1)];
    MotsLigne vite = Split(line);
    MotsLigne general = Split(" " + line);
    ASSERT_EQ(vite.items, general.items) << "'" << line << "'";
    EXPECT_EQ(vite.tag, general.tag) << "'" << line << "'";
    EXPECT_EQ(vite.Valeur(), general.Valeur()) << "'" << line << "'";
    if (vite.items == 3) {
      EXPECT_EQ(std::string_view(vite.debutValeur, vite.finLigne),
                std::string_view(general.debutValeur, general.finLigne)) << "'" << line << "'";
    }
  }
}

// Pass 3 passes by the lines that AutreTagQue rules out: not one of them may split into the
// tag it looks for.
TEST(AutreTagQue, RulesOutOnlyLinesOfAnotherTag) {
  std::mt19937 rng(5);
  const char alphabet[] = "1 \t\vFAMSCHILx@";
  int ecartees = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string line;
    std::size_t length = rng() % 12;
    for (std::size_t i = 0; i < length; ++i) line += alphabet[rng() % (sizeof alphabet - 1)];
    // Half of them in the usual shape, most of those with a tag near the ones looked for.
    const char* const tags[] = {"FAMS", "CHIL", "FAMC", "CHILD", "NAME", "FAM", ""};
    const char* const debuts[] = {"1 ", "1  ", "1\t", "1 \t"};
    if (round % 2 == 0) line = std::string(debuts[rng() % 4]) + tags[rng() % 7] + line;
    if (!AutreTagQue(line.data(), line.size(), "FAMS", "CHIL")) continue;
    ++ecartees;
    MotsLigne mots = Split(line);
    EXPECT_FALSE(mots.TagEst("FAMS") || mots.TagEst("CHIL")) << "'" << line << "'";
  }
  EXPECT_GT(ecartees, 1000);
}

TEST(DecoupeMots, NumbersBeyond32BitsAreNotNumbers) {
  EXPECT_EQ(Split("2147483647 NAME x").items, 3);
  EXPECT_EQ(Split("2147483648 NAME x").items, 0);
  EXPECT_EQ(Split("-2147483648 NAME x").items, 3);
  EXPECT_EQ(Split("99999999999999999999 NAME x").items, 0);
}

TEST(DecoupeMots, LongWordsKeepTheirFirst63Bytes) {
  std::string tag(100, 'T');
  std::string value(70, 'v');
  MotsLigne m = Split("1 " + tag + " " + value + " rest");
  EXPECT_EQ(m.items, 3);
  EXPECT_EQ(m.tag, std::string(63, 'T'));
  EXPECT_EQ(m.Valeur(), std::string(63, 'v'));
}

TEST(NumeroReference, FirstRunOfDigits) {
  EXPECT_EQ(NumeroReference("@I12@"), 12);
  EXPECT_EQ(NumeroReference("@3I@"), 3);
  EXPECT_EQ(NumeroReference("@181U@"), 181);
  EXPECT_EQ(NumeroReference("@12@"), 12);
  EXPECT_EQ(NumeroReference("@1@"), 1);
  EXPECT_EQ(NumeroReference("@I0000@"), 0);
  EXPECT_EQ(NumeroReference("@PERSON1@"), 1);
  EXPECT_EQ(NumeroReference("@P7@"), 7);
  EXPECT_EQ(NumeroReference("@I12X34@"), 12);
  EXPECT_EQ(NumeroReference("@PARENTS@"), -1);
  EXPECT_EQ(NumeroReference(""), -1);
  EXPECT_EQ(NumeroReference("@I2147483647@"), 2147483647);
  EXPECT_EQ(NumeroReference("@I2147483648@"), -1);
  EXPECT_EQ(NumeroReference("@I000000000000000000042@"), 42);
}

TEST(NumeroEnTete, SecondWordWhenItBeginsWithAt) {
  EXPECT_EQ(NumeroEnTete("0 @I12@ INDI"), 12);
  EXPECT_EQ(NumeroEnTete("0  @I12@ INDI"), 12);
  EXPECT_EQ(NumeroEnTete("0 @3I@ INDI"), 3);
  EXPECT_EQ(NumeroEnTete("0 INDI"), -1);
  EXPECT_EQ(NumeroEnTete("0 I12 INDI"), -1);
  EXPECT_EQ(NumeroEnTete("0 @FAMILY@ FAM"), -1);
}

Line MakeLine(std::string& text, bool hasEnd) {
  Line l;
  l.text = text.data();
  l.size = text.size();
  l.hasEnd = hasEnd;
  return l;
}

TEST(GenreEnTete, LooksOnlyJustBeforeTheLineEnd) {
  std::string a = "0 @I7@ INDI", b = "0 @N1@ NOTE ends with INDI", c = "0 @F1@ FAM",
              d = "0 @I7@ INDI ", e = "0 @F1@ FAMILY";
  EXPECT_EQ(GenreEnTete(MakeLine(a, true)), EnTete::kIndividu);
  EXPECT_EQ(GenreEnTete(MakeLine(b, true)), EnTete::kIndividu);
  EXPECT_EQ(GenreEnTete(MakeLine(c, true)), EnTete::kUnion);
  EXPECT_EQ(GenreEnTete(MakeLine(d, true)), EnTete::kAutre);
  EXPECT_EQ(GenreEnTete(MakeLine(e, true)), EnTete::kAutre);
  // Without a line end the last character stands where the line end would be.
  EXPECT_EQ(GenreEnTete(MakeLine(a, false)), EnTete::kAutre);
  EXPECT_EQ(GenreEnTete(MakeLine(d, false)), EnTete::kIndividu);
}

}  // namespace
}  // namespace brimsel
