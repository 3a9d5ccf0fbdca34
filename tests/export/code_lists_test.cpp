// Tests of WriteCodeList on a dictionary whose sorted inserts make a chain of a plain tree.
#include "export/code_lists.h"

#include <gtest/gtest.h>

#include <string>

#include "dict/dictionary.h"
#include "support/append_sink.h"

namespace brimsel {
namespace {

TEST(CodeList, SortedInsertsOfManyEntriesListInOrderWithoutRecursion) {
  // Entries inserted in alphabetical order: a chain-shaped tree for a naive binary tree.
  Dictionary d;
  std::string expected;
  for (int i = 0; i < 200000; ++i) {
    char text[16];
    std::snprintf(text, sizeof text, "N%07d", i);
    d.Insert(text, 8, 0);
    expected += std::to_string(i + 1) + "\t" + text + "\r\n";
  }
  std::string text;
  TableFile f;
  f.Open(std::make_unique<test::AppendSink>(text));
  WriteCodeList(f, d, false);
  EXPECT_TRUE(f.Close());
  EXPECT_TRUE(text == expected);
}

}  // namespace
}  // namespace brimsel
