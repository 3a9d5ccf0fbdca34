// Tests of Dictionary::Liste: the body of a code list, in alphabetical order with its codes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dict/dictionary.h"
#include "export/export_test_support.h"
#include "export/table_file.h"

namespace brimsel {
namespace {

using test::ReadBytes;
using test::TempDir;

int InsertKey(Dictionary& a, const char* texte) {
  std::vector<char> tampon(texte, texte + std::strlen(texte) + 1);
  return a.Insert(tampon.data(), static_cast<int>(std::strlen(texte)), 0);
}

std::string Liste(const Dictionary& a, int options) {
  TempDir dir;
  TableFile f;
  EXPECT_TRUE(f.Open((dir / "liste.txt").c_str()));
  EXPECT_EQ(a.Liste(f, options), 0);
  EXPECT_TRUE(f.Close());
  return ReadBytes(dir / "liste.txt");
}

TEST(Liste, EmptyDictionaryListsNothing) {
  Dictionary a;
  EXPECT_EQ(Liste(a, kWithRefCounts), "");
  EXPECT_EQ(Liste(a, 0), "");
}

TEST(Liste, AlphabeticalLinesWithCodesOfFirstAppearance) {
  Dictionary a;
  for (const char* t : {"Martin", "Dupont", "martin", "\xC9mile", "Albert"}) InsertKey(a, t);
  EXPECT_EQ(Liste(a, kWithRefCounts),
            "4\t1\tAlbert\r\n2\t1\tDupont\r\n1\t2\tMartin\r\n3\t1\t\xC9mile\r\n");
  EXPECT_EQ(Liste(a, 0), "4\tAlbert\r\n2\tDupont\r\n1\tMartin\r\n3\t\xC9mile\r\n");
  // Other option bits are ignored.
  EXPECT_EQ(Liste(a, ~kWithRefCounts), Liste(a, 0));
}

TEST(Liste, OneEntryInsertedThreeTimes) {
  Dictionary a;
  for (int i = 0; i < 3; ++i) InsertKey(a, "Quimper");
  EXPECT_EQ(Liste(a, kWithRefCounts), "1\t3\tQuimper\r\n");
  EXPECT_EQ(Liste(a, 0), "1\tQuimper\r\n");
}

TEST(Liste, AccentedCaseMakesTwoEntries) {
  Dictionary a;
  InsertKey(a, "\xE9mile");
  InsertKey(a, "\xC9mile");
  EXPECT_EQ(Liste(a, 0), "2\t\xC9mile\r\n1\t\xE9mile\r\n");
}

TEST(Liste, TabInsideATextIsWrittenAsASpace) {
  Dictionary a;
  InsertKey(a, "Saint\tMalo");
  EXPECT_EQ(Liste(a, 0), "1\tSaint Malo\r\n");
}

TEST(Liste, SortedInsertsOfManyEntriesListInOrderWithoutRecursion) {
  // Entries inserted in alphabetical order: a chain-shaped tree for a naive binary tree.
  Dictionary a;
  std::string attendu;
  const int n = 200000;
  for (int i = 0; i < n; ++i) {
    char texte[16];
    std::snprintf(texte, sizeof texte, "N%07d", i);
    InsertKey(a, texte);
    attendu += std::to_string(i + 1) + "\t" + texte + "\r\n";
  }
  EXPECT_TRUE(Liste(a, 0) == attendu);
}

TEST(Liste, RepeatedListingsAreIdentical) {
  Dictionary a;
  for (const char* t : {"b", "a", "c"}) InsertKey(a, t);
  const std::string premier = Liste(a, kWithRefCounts);
  EXPECT_EQ(Liste(a, kWithRefCounts), premier);
  InsertKey(a, "A");  // an existing entry: only its count changes
  EXPECT_EQ(Liste(a, kWithRefCounts), "2\t2\ta\r\n1\t1\tb\r\n3\t1\tc\r\n");
}

}  // namespace
}  // namespace brimsel
