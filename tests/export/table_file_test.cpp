// Tests of TableFile: line ends, byte count, cell texts, numbers and failed writes.
#include "export/table_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "support/append_sink.h"

namespace brimsel {
namespace {

// A table writing into `out`, failing after `room` bytes.
struct MemoryTable {
  std::string out;
  TableFile f;
  explicit MemoryTable(std::size_t room = std::string::npos) {
    f.Open(std::make_unique<test::AppendSink>(out, room));
  }
};

TEST(TableFile, LineEndsCellsAndTheByteCount) {
  MemoryTable t;
  t.f.Raw("H1\tH2\n");  // header tabs stay
  t.f.Cell("a\tb\t\tc 100%");
  t.f.Tab();
  t.f.Cell(std::string_view("d\ne"));
  t.f.Tab();
  t.f.Cell(static_cast<const char*>(nullptr));
  t.f.Number(-12);
  t.f.EndRow();
  const std::string expected = "H1\tH2\r\na b  c 100%\td\r\ne\t-12\r\n";
  EXPECT_EQ(t.f.BytesWritten(), static_cast<std::int64_t>(expected.size()));
  ASSERT_TRUE(t.f.Close());
  EXPECT_EQ(t.out, expected);
}

// The writer counts the digits before writing them: each side of every power of ten.
TEST(TableFile, NumbersOfEveryLengthAsToStringWritesThem) {
  std::vector<std::int64_t> numbers = {INT64_MAX, INT64_MIN};
  for (std::int64_t power = 1, k = 0; k <= 18; ++k, power *= k <= 18 ? 10 : 1) {
    for (std::int64_t n : {power - 1, power, power + 1}) numbers.insert(numbers.end(), {n, -n});
  }
  MemoryTable t;
  std::string expected;
  for (std::int64_t n : numbers) {
    char buffer[24];
    std::memset(buffer, '#', sizeof buffer);
    char* end = TableFile::WriteNumber(buffer, n);
    EXPECT_EQ(std::string(buffer, end), std::to_string(n));
    EXPECT_EQ(end[0], '#') << n;
    t.f.Number(n);
    t.f.Tab();
    expected += std::to_string(n) + "\t";
  }
  ASSERT_TRUE(t.f.Close());
  EXPECT_EQ(t.out, expected);
}

// Rows written straight into the buffer (Place, then Take) give the bytes and the count that
// the cell writers give, also where a row or a line end meets the buffer's edge.
TEST(TableFile, RowsWrittenInPlaceMatchTheCellWriters) {
  MemoryTable direct, cells;
  const char* const texts[] = {"12 mar 1850", "a\tb", "x\ny", "", "0123456789012345678901234567890"};
  for (int i = 0; i < 20000; ++i) {
    const char* text = texts[i % 5];
    const std::int64_t n = (i % 7 == 0 ? -1 : 1) * std::int64_t{i} * 7919;
    char* q = direct.f.Place(64 + 20);
    q = TableFile::WriteNumber(q, n);
    *q++ = '\t';
    q = TableFile::WriteShortCell(q, text, 31);
    direct.f.Take(q);
    direct.f.EndRow();
    cells.f.Number(n);
    cells.f.Tab();
    cells.f.Cell(text);
    cells.f.EndRow();
  }
  EXPECT_EQ(direct.f.BytesWritten(), cells.f.BytesWritten());
  EXPECT_GT(cells.f.BytesWritten(), static_cast<std::int64_t>(3 * TableFile::kBufferSize));
  ASSERT_TRUE(direct.f.Close());
  ASSERT_TRUE(cells.f.Close());
  EXPECT_EQ(static_cast<std::int64_t>(cells.out.size()), cells.f.BytesWritten());
  EXPECT_TRUE(direct.out == cells.out);
  // A short cell stops at its bound as a date buffer would.
  char buffer[8];
  EXPECT_EQ(std::string(buffer, TableFile::WriteShortCell(buffer, "abcdef", 3)), "abc");
}

TEST(TableFile, FailedWriteIsStickyAndSeenAtCloseForSmallContent) {
  MemoryTable small(0);
  small.f.Raw("INDI\tNOTE\n");
  EXPECT_FALSE(small.f.Failed());  // still in the buffer
  EXPECT_FALSE(small.f.Close());
  EXPECT_TRUE(small.f.Failed());

  MemoryTable large(10);
  while (large.f.BytesWritten() <= static_cast<std::int64_t>(TableFile::kBufferSize)) large.f.Cell("0123456789");
  EXPECT_TRUE(large.f.Failed());  // as soon as the buffer is written
  large.f.Raw("more\n");
  EXPECT_FALSE(large.f.Close());
  EXPECT_EQ(large.out, "");
}

}  // namespace
}  // namespace brimsel
