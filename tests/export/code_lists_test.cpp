// Tests of WriteCodeList: the body of a code list, in alphabetical order with its codes.
#include "export/code_lists.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dict/dictionary.h"
#include "support/append_sink.h"

namespace brimsel {
namespace {

void Insert(Dictionary& d, std::string text) {
  text.push_back('\0');  // room for the terminator the insert writes
  d.Insert(text.data(), static_cast<int>(text.size() - 1), 0);
}

std::string List(const Dictionary& d, bool refCounts) {
  std::string text;
  TableFile f;
  f.Open(std::make_unique<test::AppendSink>(text));
  WriteCodeList(f, d, refCounts);
  EXPECT_TRUE(f.Close());
  return text;
}

TEST(CodeList, AlphabeticalLinesWithCodesOfFirstAppearance) {
  struct Case {
    std::vector<std::string> inserted;
    const char *withCounts, *withoutCounts;
  } cases[] = {
      {{}, "", ""},
      {{"Martin", "Dupont", "martin", "\xC9mile", "Albert"},
       "4\t1\tAlbert\r\n2\t1\tDupont\r\n1\t2\tMartin\r\n3\t1\t\xC9mile\r\n",
       "4\tAlbert\r\n2\tDupont\r\n1\tMartin\r\n3\t\xC9mile\r\n"},
      {{"Quimper", "Quimper", "Quimper"}, "1\t3\tQuimper\r\n", "1\tQuimper\r\n"},
      {{"\xE9mile", "\xC9mile"}, "1\t2\t\xE9mile\r\n", "1\t\xE9mile\r\n"},  // one letter
      {{"Saint\tMalo"}, "1\t1\tSaint Malo\r\n", "1\tSaint Malo\r\n"},  // a tab becomes a space
  };
  for (const Case& c : cases) {
    Dictionary d;
    for (const std::string& t : c.inserted) Insert(d, t);
    EXPECT_EQ(List(d, true), c.withCounts);
    EXPECT_EQ(List(d, false), c.withoutCounts);
    EXPECT_EQ(List(d, true), c.withCounts);  // a second listing is the same
  }
}

TEST(CodeList, SortedInsertsOfManyEntriesListInOrderWithoutRecursion) {
  // Entries inserted in alphabetical order: a chain-shaped tree for a naive binary tree.
  Dictionary d;
  std::string expected;
  for (int i = 0; i < 200000; ++i) {
    char text[16];
    std::snprintf(text, sizeof text, "N%07d", i);
    Insert(d, text);
    expected += std::to_string(i + 1) + "\t" + text + "\r\n";
  }
  EXPECT_TRUE(List(d, false) == expected);
}

}  // namespace
}  // namespace brimsel
