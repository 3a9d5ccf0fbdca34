// Tests of the model: reset and record lookups.
#include "engine/model.h"
#include "export/date.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace brimsel {
namespace {

void SetCodes(GedcomModel& m, const std::vector<int>& codes) {
  m.individuals.assign(codes.size(), {});
  m.unions.assign(codes.size(), {});
  for (std::size_t i = 0; i < codes.size(); ++i) m.individuals[i].code = m.unions[i].code = codes[i];
  m.counts.individuals = m.counts.unions = static_cast<int>(codes.size());
}

// The plain lookup: the binary search over the records in file order (which looks at the upper
// end alone once the range is two records), then, when it misses, the first record in file
// order with the number.
int Reference(const std::vector<int>& codes, int code) {
  if (code == -1 || codes.empty()) return -1;
  std::size_t lo = 0, hi = codes.size() - 1;
  while (lo < hi) {
    const std::size_t mid = lo + (hi - lo) / 2;
    if (codes[mid] == code) return static_cast<int>(mid);
    if (mid == lo) {
      lo = hi;
    } else if (code > codes[mid]) {
      lo = mid + 1;
    } else {
      hi = mid - 1;
    }
  }
  if (lo == hi && codes[lo] == code) return static_cast<int>(lo);
  const auto it = std::find(codes.begin(), codes.end(), code);
  return it == codes.end() ? -1 : static_cast<int>(it - codes.begin());
}

// Whatever index the lookup builds (dense or sparse numbers, in order or not, shared or not),
// it answers as the plain lookup does.
TEST(GedcomModel, LookupsAnswerAsThePlainSearch) {
  std::mt19937 rng(17);
  for (int round = 0; round < 3000; ++round) {
    std::vector<int> codes(1 + rng() % 40);
    const int shape = round % 4;
    for (std::size_t i = 0; i < codes.size(); ++i) {
      int n = static_cast<int>(i) + 1;
      if (shape == 1) n = static_cast<int>(rng() % (2 * codes.size()));  // shared numbers
      if (shape == 2) n = static_cast<int>(rng() % 100000);             // sparse numbers
      if (rng() % 10 == 0) n = -1;
      codes[i] = n;
    }
    if (shape != 3) std::shuffle(codes.begin(), codes.end(), rng);
    GedcomModel m;
    SetCodes(m, codes);
    for (int code = -1; code <= static_cast<int>(2 * codes.size()) + 1; ++code) {
      ASSERT_EQ(m.IndividualIndex(code), Reference(codes, code)) << round << " " << code;
    }
    for (int code : codes) ASSERT_EQ(m.UnionIndex(code), Reference(codes, code)) << round;
  }
}

TEST(GedcomModel, ClearEmptiesAllButTheBasesAndMakesNewDictionaries) {
  GedcomModel m;
  m.Clear();
  char t[] = "Dupont";
  m.surnames->Insert(t, 6, 0);
  SetCodes(m, {1, 2});
  m.sourcePath = "x.ged";
  m.indiBase = 1000;
  m.counts.errors = 3;
  m.Clear();
  EXPECT_FALSE(m.sourcePath.has_value());
  EXPECT_EQ(m.counts.individuals + m.counts.errors + m.surnames->count + m.IndividualIndex(1), -1);
  EXPECT_EQ(m.indiBase, 1000);
}

// Dates are stored at about their own length; a later date of the same event replaces the
// earlier one, and every buffer keeps room for the longest normalised date the export writes
// over it.
TEST(ModelTexts, DatesKeepTheirTextAndRoomForTheNormalisedForm) {
  ModelTexts s;
  EXPECT_EQ(std::string(s.NewDate(), kDateBufferSize), std::string(kDateBufferSize, '\0'));
  const std::string big(1 << 20, 'x');
  EXPECT_EQ(std::string(s.Copy(big)), big);
  char* d = s.StoreDate(nullptr, "1850");
  EXPECT_STREQ(d, "1850");
  EXPECT_EQ(s.StoreDate(d, "12 MAR 1850"), d);  // fits the minimum room: written in place
  EXPECT_STREQ(d, "12 MAR 1850");
  char* longer = s.StoreDate(d, "ABT 12 SEPTEMBER 1850 IN THE MORNING");
  EXPECT_STREQ(longer, "ABT 12 SEPTEMBER 1850 IN THE MO");  // cut at 31 characters
  EXPECT_EQ(s.StoreDate(longer, "1"), longer);
  EXPECT_STREQ(longer, "1");
  EXPECT_STREQ(s.StoreDate(nullptr, ""), "");
  // Two dates stored one after the other: normalising the first must leave the second whole.
  char* year = s.StoreDate(nullptr, "2147483647");
  char* next = s.StoreDate(nullptr, "ABT 1900");
  EXPECT_EQ(NormaliseDate(year), 249);  // an exact date with its year only
  EXPECT_STREQ(year, "13 juin 2147483647");
  EXPECT_STREQ(next, "ABT 1900");
}

}  // namespace
}  // namespace brimsel
