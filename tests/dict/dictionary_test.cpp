// Tests of the dictionary insert: normalisation, identity, counts, order.
#include "dict/dictionary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace brimsel {
namespace {

int Add(Dictionary& d, std::string text, int options = 0) {
  text.push_back('\0');  // room for the terminator the insert writes
  return d.Insert(text.data(), static_cast<int>(text.size() - 1), options);
}

std::vector<std::string> Listing(const Dictionary& d) {
  std::vector<std::string> out;
  for (int id : d.AlphabeticalOrder()) out.emplace_back(d.Entry(id).text);
  return out;
}

TEST(Dictionary, TrimsSpacesInTheCallersBuffer) {
  Dictionary d;
  char text[] = "  Dupont  ";
  EXPECT_EQ(d.Insert(text, 10, 0), 0);
  EXPECT_STREQ(d.Entry(0).text, "Dupont");
  EXPECT_EQ(d.Entry(0).length, 6);
  EXPECT_STREQ(text + 2, "Dupont");
  EXPECT_EQ(text[8], '\0');
  EXPECT_EQ(text[9], '\0');
}

TEST(Dictionary, BlankTextsAreRefused) {
  Dictionary d;
  EXPECT_EQ(Add(d, "   "), -1);
  EXPECT_EQ(Add(d, ""), -1);
  EXPECT_EQ(d.Insert(nullptr, 3, 0), -1);
  char t[] = "abc";
  EXPECT_EQ(d.Insert(t, -1, 0), -1);
  EXPECT_EQ(d.count, 0);
  EXPECT_TRUE(d.AlphabeticalOrder().empty());
}

// Accented letters change case like A to Z; a letter without its accent, or a tab, makes
// an entry of its own.
TEST(Dictionary, LetterCaseMakesNoNewEntry) {
  Dictionary d;
  for (const char* t : {"Dupont", "DUPONT", "\xC9mile", "Emile", "\xE9mile", "QU\xC9R\xC9",
                        "Qu\xE9r\xE9", "Jean\t", "Jean", "Je\tan"}) {
    Add(d, t);
  }
  EXPECT_EQ(d.count, 7);
  EXPECT_STREQ(d.Entry(0).text, "Dupont");
  EXPECT_EQ(d.Entry(0).refCount, 2);
}

TEST(Dictionary, ProperNameOption) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"jean pierre", "Jean-Pierre"},   {"DE LA FONTAINE", "De-La-Fontaine"},
      {"marie  louise", "Marie--Louise"}, {"\xC9MILE", "\xC9mile"},
      {"jean-\xE9ric", "Jean-\xC9ric"}, {"QU\xC9R\xC9", "Qu\xE9r\xE9"}, {"-jean", "-jean"},
      {"o'NEIL", "O'neil"},
  };
  for (const Case& c : cases) {
    Dictionary d;
    ASSERT_EQ(Add(d, c.in, kProperName), 0) << c.in;
    EXPECT_STREQ(d.Entry(0).text, c.out) << c.in;
  }
  Dictionary d;
  EXPECT_EQ(Add(d, "jean pierre", kProperName), Add(d, "Jean-Pierre", kProperName));
  Dictionary plain;
  EXPECT_NE(Add(plain, "jean pierre"), Add(plain, "Jean-Pierre"));
}

TEST(Dictionary, OrderIsCaseInsensitiveThenByUnsignedByte) {
  Dictionary d;
  for (const char* t : {"Martin", "Dupont", "martin", "\xC9mile", "Albert", "Zola", "Jean-Pierre",
                        "Jean", "_x", "O'Neil", "1850", "a[b"}) {
    Add(d, t);
  }
  EXPECT_EQ(Listing(d), (std::vector<std::string>{"1850", "Albert", "a[b", "Dupont", "Jean",
                                                  "Jean-Pierre", "Martin", "O'Neil", "Zola", "_x",
                                                  "\xC9mile"}));
  EXPECT_LT(CompareIgnoringCase("Zola", "\xC9mile"), 0);
  EXPECT_EQ(CompareIgnoringCase("dupont", "DUPONT"), 0);
  EXPECT_LT(CompareIgnoringCase("Jean", "Jean-Pierre"), 0);
}

// The identifiers, counts, spellings and order must be those of an unbalanced search tree fed
// the same texts; this reference is that tree, small enough to stay shallow.
TEST(Dictionary, MatchesAPlainSearchTreeOnRandomTexts) {
  struct Node {
    std::string text;
    int id, refCount, left = -1, right = -1;
  };
  std::vector<Node> tree;
  auto refInsert = [&](const std::string& key) {
    if (tree.empty()) {
      tree.push_back({key, 0, 1});
      return 0;
    }
    int n = 0;
    for (;;) {
      int c = CompareIgnoringCase(key.c_str(), tree[n].text.c_str());
      if (c == 0) {
        ++tree[n].refCount;
        return tree[n].id;
      }
      int& child = c < 0 ? tree[n].left : tree[n].right;
      if (child < 0) {
        child = static_cast<int>(tree.size());
        tree.push_back({key, static_cast<int>(tree.size()), 1});
        return tree.back().id;
      }
      n = child;
    }
  };
  std::mt19937 rng(42);
  const char alphabet[] = "abAB-' \xE9\xC9z";
  // Texts of every length up to 40 come back with their case changed or one byte replaced, so
  // that texts of equal length differ at every place: the comparison reads them by words.
  std::vector<std::string> bases;
  for (int i = 0; i < 300; ++i) {
    std::string t;
    int len = 1 + static_cast<int>(i < 150 ? rng() % 4 : rng() % 40);
    for (int k = 0; k < len; ++k) t.push_back(alphabet[rng() % (sizeof alphabet - 1)]);
    bases.push_back(t);
  }
  Dictionary d;
  for (int i = 0; i < 8000; ++i) {
    std::string t = bases[rng() % bases.size()];
    for (char& c : t) {
      if (rng() % 4 == 0) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (rng() % 3 == 0) t[rng() % t.size()] = alphabet[rng() % (sizeof alphabet - 1)];
    std::string norm = t;
    while (!norm.empty() && norm.front() == ' ') norm.erase(norm.begin());
    while (!norm.empty() && norm.back() == ' ') norm.pop_back();
    int got = Add(d, t);
    if (norm.empty()) {
      EXPECT_EQ(got, -1);
      continue;
    }
    ASSERT_EQ(got, refInsert(norm)) << t;
  }
  ASSERT_EQ(d.count, static_cast<int>(tree.size()));
  for (const Node& n : tree) {
    EXPECT_EQ(d.Entry(n.id).text, n.text);
    EXPECT_EQ(d.Entry(n.id).refCount, n.refCount);
  }
  std::vector<int> inOrder;
  std::vector<int> stack;
  int n = 0;
  while (n >= 0 || !stack.empty()) {
    while (n >= 0) {
      stack.push_back(n);
      n = tree[n].left;
    }
    n = stack.back();
    stack.pop_back();
    inOrder.push_back(tree[n].id);
    n = tree[n].right;
  }
  EXPECT_EQ(d.AlphabeticalOrder(), inOrder);
}

TEST(Dictionary, SortedArrivalsStayFast) {
  // A million distinct texts in ascending order: a chain for an unbalanced tree.
  Dictionary d;
  char buf[16];
  for (int i = 0; i < 1000000; ++i) {
    int n = std::snprintf(buf, sizeof buf, "N%07d", i);
    ASSERT_EQ(d.Insert(buf, n, 0), i);
  }
  const auto& order = d.AlphabeticalOrder();
  EXPECT_TRUE(std::is_sorted(order.begin(), order.end()));
}

}  // namespace
}  // namespace brimsel
