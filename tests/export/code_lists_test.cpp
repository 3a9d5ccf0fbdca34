// Tests of WriteCodeList: the body of a code list, in alphabetical order with its codes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "dict/dictionary.h"
#include "support/append_sink.h"
#include "export/code_lists.h"

namespace brimsel {
namespace {

int InsertKey(Dictionary& a, const char* texte) {
  std::vector<char> tampon(texte, texte + std::strlen(texte) + 1);
  return a.Insert(tampon.data(), static_cast<int>(std::strlen(texte)), 0);
}

std::string List(const Dictionary& a, bool refCounts) {
  std::string text;
  TableFile f;
  f.Open(std::make_unique<test::AppendSink>(text));
  WriteCodeList(f, a, refCounts);
  EXPECT_TRUE(f.Close());
  return text;
}

TEST(CodeList, EmptyDictionaryListsNothing) {
  Dictionary a;
  EXPECT_EQ(List(a, true), "");
  EXPECT_EQ(List(a, false), "");
}

TEST(CodeList, AlphabeticalLinesWithCodesOfFirstAppearance) {
  Dictionary a;
  for (const char* t : {"Martin", "Dupont", "martin", "\xC9mile", "Albert"}) InsertKey(a, t);
  EXPECT_EQ(List(a, true),
            "4\t1\tAlbert\r\n2\t1\tDupont\r\n1\t2\tMartin\r\n3\t1\t\xC9mile\r\n");
  EXPECT_EQ(List(a, false), "4\tAlbert\r\n2\tDupont\r\n1\tMartin\r\n3\t\xC9mile\r\n");
}

TEST(CodeList, OneEntryInsertedThreeTimes) {
  Dictionary a;
  for (int i = 0; i < 3; ++i) InsertKey(a, "Quimper");
  EXPECT_EQ(List(a, true), "1\t3\tQuimper\r\n");
  EXPECT_EQ(List(a, false), "1\tQuimper\r\n");
}

TEST(CodeList, AccentedCaseMakesOneEntry) {
  Dictionary a;
  InsertKey(a, "\xE9mile");
  InsertKey(a, "\xC9mile");
  EXPECT_EQ(List(a, true), "1\t2\t\xE9mile\r\n");
}

TEST(CodeList, TabInsideATextIsWrittenAsASpace) {
  Dictionary a;
  InsertKey(a, "Saint\tMalo");
  EXPECT_EQ(List(a, false), "1\tSaint Malo\r\n");
}

TEST(CodeList, SortedInsertsOfManyEntriesListInOrderWithoutRecursion) {
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
  EXPECT_TRUE(List(a, false) == attendu);
}

TEST(CodeList, RepeatedListingsAreIdentical) {
  Dictionary a;
  for (const char* t : {"b", "a", "c"}) InsertKey(a, t);
  const std::string premier = List(a, true);
  EXPECT_EQ(List(a, true), premier);
  InsertKey(a, "A");  // an existing entry: only its count changes
  EXPECT_EQ(List(a, true), "2\t2\ta\r\n1\t1\tb\r\n3\t1\tc\r\n");
}

}  // namespace
}  // namespace brimsel
