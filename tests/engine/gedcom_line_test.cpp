// Tests of the line helpers: word split, cross-reference and header numbers, header kinds.
#include "engine/gedcom_line.h"

#include <gtest/gtest.h>

#include <deque>
#include <random>
#include <string>

namespace brimsel {
namespace {

// The split views into its line: the lines are kept for the whole test program.
LineWords Split(const std::string& s) {
  static std::deque<std::string> lines;
  const std::string& line = lines.emplace_back(s);
  LineWords m;
  SplitWords(line.data(), line.size(), m);
  return m;
}

// Items as a number and two words count them: tag and value cut at 63 bytes, numbers of 32 bits.
// A blank before the number changes nothing, and takes the line off the quick path of the usual
// shape: both readings must split every line alike.
TEST(SplitWords, ItemsTagAndValue) {
  const struct {
    std::string line;
    int items;
    std::string tag, value;
  } cases[] = {
      {"1 BIRT   ", 2, "BIRT", ""}, {"1 NAME Jean /Dupont/", 3, "NAME", "Jean"}, {"  2\tDATE\t1850", 3, "DATE", "1850"},
      {"x NAME", 0, "", ""},         {"1", 1, "", ""},                        {"", 0, "", ""},
      {"1NAME x", 3, "NAME", "x"},  // the number stops at the first non-digit
      {"2147483647 NAME x", 3, "NAME", "x"}, {"-2147483648 NAME x", 3, "NAME", "x"}, {"2147483648 NAME x", 0, "", ""},
      {"1 " + std::string(100, 'T') + " " + std::string(70, 'v') + " rest", 3, std::string(63, 'T'), std::string(63, 'v')},
      {"1\t@A@ \vB x/", 3, "@A@", "B"}, {"0 @I1@", 2, "@I1@", ""}, {"3 \v", 1, "", ""}, {"1 AB\t", 2, "AB", ""},
  };
  for (const auto& c : cases) {
    const LineWords quick = Split(c.line), general = Split(" " + c.line);
    for (const LineWords& m : {quick, general}) {
      EXPECT_EQ(m.items, c.items) << c.line;
      if (c.items >= 2) { EXPECT_EQ(m.tag, c.tag) << c.line; }
      if (c.items == 3) { EXPECT_EQ(m.Value(), c.value) << c.line; }
    }
    if (c.items == 3) {
      EXPECT_EQ(std::string_view(quick.valueStart, quick.lineEnd), std::string_view(general.valueStart, general.lineEnd))
          << c.line;
    }
  }
}

// Pass 3 passes by the lines that IsNeitherTag rules out: not one of them may split into the
// tag it looks for.
TEST(IsNeitherTag, RulesOutOnlyLinesOfAnotherTag) {
  std::mt19937 rng(5);
  const char alphabet[] = "1 \t\vFAMSCHILx@";
  // Half of the lines in the usual shape, most of those with a tag near the ones looked for.
  const char* const tags[] = {"FAMS", "CHIL", "FAMC", "CHILD", "NAME", "FAM", ""};
  const char* const starts[] = {"1 ", "1  ", "1\t", "1 \t"};
  int ruledOut = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string line;
    for (std::size_t i = 0, length = rng() % 12; i < length; ++i) line += alphabet[rng() % (sizeof alphabet - 1)];
    if (round % 2 == 0) line = std::string(starts[rng() % 4]) + tags[rng() % 7] + line;
    if (!IsNeitherTag(line.data(), line.size(), "FAMS", "CHIL")) continue;
    ++ruledOut;
    LineWords words = Split(line);
    EXPECT_FALSE(words.TagIs("FAMS") || words.TagIs("CHIL")) << "'" << line << "'";
  }
  EXPECT_GT(ruledOut, 1000);
}

TEST(ReferenceNumber, FirstRunOfDigitsAndHeaderNumbers) {
  const std::pair<const char*, int> words[] = {
      {"@I12@", 12}, {"@3I@", 3}, {"@181U@", 181}, {"@1@", 1}, {"@I0000@", 0}, {"@PERSON1@", 1},
      {"@I12X34@", 12}, {"@PARENTS@", -1}, {"", -1}, {"@I2147483647@", 2147483647},
      {"@I2147483648@", -1}, {"@I000000000000000000042@", 42}};
  for (const auto& [word, number] : words) EXPECT_EQ(ReferenceNumber(word), number) << word;
  // A header's number is that of its second word, when it begins with '@'.
  const std::pair<const char*, int> headers[] = {{"0 @I12@ INDI", 12}, {"0  @I12@ INDI", 12}, {"0 @3I@ INDI", 3},
                                                 {"0 INDI", -1}, {"0 I12 INDI", -1}, {"0 @FAMILY@ FAM", -1}};
  for (const auto& [line, number] : headers) EXPECT_EQ(HeaderNumber(line), number) << line;
}

// Without a line end the last character stands where the line end would be.
TEST(KindOfRecord, LooksOnlyJustBeforeTheLineEnd) {
  const struct {
    std::string text;
    bool hasEnd;
    RecordKind kind;
  } cases[] = {{"0 @I7@ INDI", true, RecordKind::kIndividual}, {"0 @N1@ NOTE ends with INDI", true, RecordKind::kIndividual},
               {"0 @F1@ FAM", true, RecordKind::kUnion},       {"0 @I7@ INDI ", true, RecordKind::kOther},
               {"0 @F1@ FAMILY", true, RecordKind::kOther},    {"0 @I7@ INDI", false, RecordKind::kOther},
               {"0 @I7@ INDI ", false, RecordKind::kIndividual}};
  for (auto c : cases) {
    const Line l{c.text.data(), c.text.size(), c.hasEnd};
    EXPECT_EQ(KindOfRecord(l), c.kind) << c.text << c.hasEnd;
  }
}

}  // namespace
}  // namespace brimsel
