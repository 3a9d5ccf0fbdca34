// The model's reset, lookups and stored dates; its dictionaries' insert and order.
#include "engine/model.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "dict/dictionary.h"
#include "engine/record_lookup.h"
#include "export/date.h"

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
TEST(RecordLookup, AnswersAsThePlainSearch) {
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
    const RecordLookup lookup(m);
    for (int code = -1; code <= static_cast<int>(2 * codes.size()) + 1; ++code) {
      ASSERT_EQ(lookup.IndividualIndex(code), Reference(codes, code)) << round << " " << code;
    }
    for (int code : codes) ASSERT_EQ(lookup.UnionIndex(code), Reference(codes, code)) << round;
  }
}

TEST(GedcomModel, ClearEmptiesAllAndMakesNewDictionaries) {
  GedcomModel m;
  m.Clear();
  char t[] = "Dupont";
  m.surnames->Insert(t, 6, 0);
  SetCodes(m, {1, 2});
  m.sourcePath = "x.ged";
  m.counts.errors = 3;
  m.Clear();
  EXPECT_FALSE(m.sourcePath.has_value());
  EXPECT_EQ(m.counts.individuals + m.counts.errors + m.surnames->count +
                RecordLookup(m).IndividualIndex(1),
            -1);
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

int Add(Dictionary& d, std::string text, int options = 0) {
  text.push_back('\0');  // room for the terminator the insert writes
  return d.Insert(text.data(), static_cast<int>(text.size() - 1), options);
}

// Spaces are trimmed in the caller's buffer; blank texts are refused.
TEST(Dictionary, TrimsSpacesAndRefusesBlankTexts) {
  Dictionary d;
  char text[] = "  Dupont  ", abc[] = "abc";
  EXPECT_EQ(d.Insert(text, 10, 0), 0);
  EXPECT_EQ(std::string(d.Entry(0).text) + std::to_string(d.Entry(0).length), "Dupont6");
  EXPECT_EQ(std::string(text, 10), std::string("  Dupont\0\0", 10));
  for (int id : {Add(d, "   "), Add(d, ""), d.Insert(nullptr, 3, 0), d.Insert(abc, -1, 0)}) EXPECT_EQ(id, -1);
  EXPECT_EQ(d.count, 1);
}

// Accented letters change case like A to Z; a letter without its accent, or a tab, makes an
// entry of its own. The proper-name option writes each word with one capital.
TEST(Dictionary, LetterCaseAndProperNames) {
  Dictionary d;
  for (const char* t : {"Dupont", "DUPONT", "\xC9mile", "Emile", "\xE9mile", "QU\xC9R\xC9", "Qu\xE9r\xE9", "Jean\t",
                        "Jean", "Je\tan"}) Add(d, t);
  EXPECT_EQ(d.count, 7);
  EXPECT_EQ(d.Entry(0).refCount, 2);
  const std::pair<const char*, const char*> cases[] = {
      {"DE LA FONTAINE", "De-La-Fontaine"}, {"marie  louise", "Marie--Louise"}, {"jean-\xE9ric", "Jean-\xC9ric"},
      {"-jean", "-jean"}, {"o'NEIL", "O'neil"}};
  for (const auto& [in, out] : cases) {
    Dictionary names;
    ASSERT_EQ(Add(names, in, kProperName), 0) << in;
    EXPECT_STREQ(names.Entry(0).text, out) << in;
  }
  EXPECT_EQ(Add(d, "jean pierre", kProperName), Add(d, "Jean-Pierre", kProperName));
  EXPECT_NE(Add(d, "jean pierre"), Add(d, "Jean-Pierre"));
}

// The identifiers, counts, spellings and order must be those of an unbalanced search tree fed
// the same texts; this reference is that tree, small enough to stay shallow.
TEST(Dictionary, MatchesAPlainSearchTreeOnRandomTexts) {
  struct Node {
    std::string text;
    int refCount = 1, left = -1, right = -1;
  };
  std::vector<Node> tree;  // a node's identifier is its index
  std::mt19937 rng(42);
  const char alphabet[] = "abAB-' \xE9\xC9z";
  // Texts of every length up to 40 come back with their case changed or one byte replaced, so
  // that texts of equal length differ at every place: the comparison reads them by words.
  std::vector<std::string> bases;
  for (int i = 0; i < 300; ++i) {
    std::string t(1 + (i < 150 ? rng() % 4 : rng() % 40), ' ');
    for (char& c : t) c = alphabet[rng() % (sizeof alphabet - 1)];
    bases.push_back(t);
  }
  Dictionary d;
  for (int i = 0; i < 8000; ++i) {
    std::string t = bases[rng() % bases.size()];
    for (char& c : t) {
      if (rng() % 4 == 0) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (rng() % 3 == 0) t[rng() % t.size()] = alphabet[rng() % (sizeof alphabet - 1)];
    const std::size_t first = t.find_first_not_of(' ');
    const std::string key = first == std::string::npos ? "" : t.substr(first, t.find_last_not_of(' ') + 1 - first);
    const int got = Add(d, t);
    if (key.empty()) {
      EXPECT_EQ(got, -1);
      continue;
    }
    // Descend the reference tree; add a node where the descent falls off.
    int id = -1, n = tree.empty() ? -1 : 0;
    while (n >= 0) {
      const int c = CompareIgnoringCase(key.c_str(), tree[n].text.c_str());
      if (c == 0) {
        id = n;
        ++tree[n].refCount;
        break;
      }
      int& child = c < 0 ? tree[n].left : tree[n].right;
      if (child < 0) child = static_cast<int>(tree.size());
      n = child == static_cast<int>(tree.size()) ? -1 : child;
    }
    if (id < 0) {
      id = static_cast<int>(tree.size());
      tree.push_back({key});
    }
    ASSERT_EQ(got, id) << t;
  }
  ASSERT_EQ(d.count, static_cast<int>(tree.size()));
  std::vector<int> inOrder, stack;
  for (int n = 0; n >= 0 || !stack.empty(); n = tree[n].right) {
    for (; n >= 0; n = tree[n].left) stack.push_back(n);
    n = stack.back();
    stack.pop_back();
    inOrder.push_back(n);
    EXPECT_EQ(d.Entry(n).text, tree[n].text);
    EXPECT_EQ(d.Entry(n).refCount, tree[n].refCount);
  }
  EXPECT_EQ(d.AlphabeticalOrder(), inOrder);
}

}  // namespace
}  // namespace brimsel
