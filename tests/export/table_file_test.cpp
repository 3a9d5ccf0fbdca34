// Tests of TableFile: line ends, byte count, cell texts, numbers and failed writes.
#include "export/table_file.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "export/export_test_support.h"

namespace brimsel {
namespace {

using test::ReadBytes;
using test::TempDir;

TEST(TableFile, LineEndsAreCrLfAndCountTwoBytes) {
  TempDir dir;
  TableFile f;
  ASSERT_TRUE(f.Open((dir / "t.txt").c_str()));
  f.Raw("A\tB\n");
  f.Number(12);
  f.Tab();
  f.Cell("x");
  f.EndRow();
  EXPECT_EQ(f.BytesWritten(), 11);
  ASSERT_TRUE(f.Close());
  EXPECT_EQ(ReadBytes(dir / "t.txt"), "A\tB\r\n12\tx\r\n");
}

TEST(TableFile, CellTabsBecomeSpacesButHeaderTabsStay) {
  TempDir dir;
  TableFile f;
  ASSERT_TRUE(f.Open((dir / "t.txt").c_str()));
  f.Raw("H1\tH2\n");
  f.Cell("a\tb\t\tc 100%");
  f.Tab();
  f.Cell(std::string_view("d\te"));
  f.Tab();
  f.Cell(static_cast<const char*>(nullptr));
  f.EndRow();
  const std::int64_t octets = f.BytesWritten();
  ASSERT_TRUE(f.Close());
  const std::string attendu = "H1\tH2\r\na b  c 100%\td e\t\r\n";
  EXPECT_EQ(ReadBytes(dir / "t.txt"), attendu);
  EXPECT_EQ(octets, static_cast<std::int64_t>(attendu.size()));
}

TEST(TableFile, NumbersInDecimalWithSign) {
  TempDir dir;
  TableFile f;
  ASSERT_TRUE(f.Open((dir / "t.txt").c_str()));
  for (std::int64_t n : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{7}, std::int64_t{10},
                         std::int64_t{2147483647}, std::int64_t{-2147483648LL},
                         std::int64_t{4294967296LL}, INT64_MIN, INT64_MAX}) {
    f.Number(n);
    f.Tab();
  }
  ASSERT_TRUE(f.Close());
  EXPECT_EQ(ReadBytes(dir / "t.txt"),
            "0\t-1\t7\t10\t2147483647\t-2147483648\t4294967296\t-9223372036854775808\t"
            "9223372036854775807\t");
}

// The writer counts the digits before writing them: each side of every power of ten.
TEST(TableFile, NumbersOfEveryLengthAsToStringWritesThem) {
  std::vector<std::int64_t> nombres;
  std::int64_t puissance = 1;  // 10^0 to 10^18, the largest that fits
  for (int k = 0; k <= 18; ++k) {
    for (std::int64_t n : {puissance - 1, puissance, puissance + 1}) {
      nombres.push_back(n);
      nombres.push_back(-n);
    }
    if (k < 18) puissance *= 10;
  }
  nombres.push_back(INT64_MAX);
  nombres.push_back(INT64_MIN);
  for (std::int64_t n : nombres) {
    char tampon[24];
    std::memset(tampon, '#', sizeof tampon);
    char* fin = TableFile::WriteNumber(tampon, n);
    EXPECT_EQ(std::string(tampon, fin), std::to_string(n));
    EXPECT_EQ(fin[0], '#') << n;
  }
}

TEST(TableFile, ContentLargerThanTheBufferArrivesWhole) {
  TempDir dir;
  TableFile f;
  ASSERT_TRUE(f.Open((dir / "t.txt").c_str()));
  std::string attendu;
  // Lines of 7 bytes, so that line ends straddle the buffer's edge.
  const int lignes = static_cast<int>(TableFile::kBufferSize / 7) * 3 + 5;
  for (int i = 0; i < lignes; ++i) {
    f.Cell("abcd\t");
    f.EndRow();
    attendu += "abcd \r\n";
  }
  EXPECT_EQ(f.BytesWritten(), static_cast<std::int64_t>(attendu.size()));
  ASSERT_TRUE(f.Close());
  EXPECT_TRUE(ReadBytes(dir / "t.txt") == attendu);
}

// Rows written straight into the buffer (Place, then Take) give the bytes and the count that
// the cell writers give, also where a row meets the buffer's edge.
TEST(TableFile, RowsWrittenInPlaceMatchTheCellWriters) {
  TempDir dir;
  TableFile direct;
  TableFile cellules;
  ASSERT_TRUE(direct.Open((dir / "a.txt").c_str()));
  ASSERT_TRUE(cellules.Open((dir / "b.txt").c_str()));
  const char* const textes[] = {"12 mar 1850", "a\tb", "x\ny", "", "0123456789012345678901234567890"};
  for (int i = 0; i < 20000; ++i) {
    const char* texte = textes[i % 5];
    const std::int64_t n = (i % 7 == 0 ? -1 : 1) * std::int64_t{i} * 7919;
    char* q = direct.Place(64 + 20);
    q = TableFile::WriteNumber(q, n);
    *q++ = '\t';
    q = TableFile::WriteShortCell(q, texte, 31);
    direct.Take(q);
    direct.EndRow();
    cellules.Number(n);
    cellules.Tab();
    cellules.Cell(texte);
    cellules.EndRow();
  }
  EXPECT_EQ(direct.BytesWritten(), cellules.BytesWritten());
  ASSERT_TRUE(direct.Close());
  ASSERT_TRUE(cellules.Close());
  EXPECT_TRUE(ReadBytes(dir / "a.txt") == ReadBytes(dir / "b.txt"));
  // A short cell stops at its bound as a date buffer would.
  char tampon[8];
  EXPECT_EQ(std::string(tampon, TableFile::WriteShortCell(tampon, "abcdef", 3)), "abc");
}

TEST(TableFile, ReopeningTruncatesAndRestartsTheCount) {
  TempDir dir;
  test::WriteBytes(dir / "t.txt", "old content that is longer");
  TableFile f;
  ASSERT_TRUE(f.Open((dir / "t.txt").c_str()));
  f.Raw("x\n");
  ASSERT_TRUE(f.Close());
  ASSERT_TRUE(f.Open((dir / "t.txt").c_str()));
  f.Raw("yz\n");
  EXPECT_EQ(f.BytesWritten(), 4);
  ASSERT_TRUE(f.Close());
  EXPECT_EQ(ReadBytes(dir / "t.txt"), "yz\r\n");
}

TEST(TableFile, OpenFailsInAMissingFolder) {
  TempDir dir;
  TableFile f;
  EXPECT_FALSE(f.Open((dir / "missing/t.txt").c_str()));
  EXPECT_FALSE(f.IsOpen());
  EXPECT_FALSE(f.Close());
}

TEST(TableFile, FullDeviceFailsAtCloseForSmallContent) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  TableFile f;
  ASSERT_TRUE(f.Open("/dev/full"));
  f.Raw("INDI\tNOTE\n");
  EXPECT_FALSE(f.Failed());  // still in the buffer
  EXPECT_FALSE(f.Close());
  EXPECT_TRUE(f.Failed());
}

TEST(TableFile, FullDeviceFailsAsSoonAsTheBufferIsWritten) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  TableFile f;
  ASSERT_TRUE(f.Open("/dev/full"));
  while (f.BytesWritten() <= static_cast<std::int64_t>(TableFile::kBufferSize)) f.Cell("0123456789");
  EXPECT_TRUE(f.Failed());
  f.Raw("more\n");  // dropped, and the failure stays
  EXPECT_FALSE(f.Close());
}

}  // namespace
}  // namespace brimsel
