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
  ASSERT_TRUE(f.Ouvre((dir / "t.txt").c_str()));
  f.Texte("A\tB\n");
  f.Nombre(12);
  f.Tab();
  f.Cellule("x");
  f.FinLigne();
  EXPECT_EQ(f.Octets(), 11);
  ASSERT_TRUE(f.Ferme());
  EXPECT_EQ(ReadBytes(dir / "t.txt"), "A\tB\r\n12\tx\r\n");
}

TEST(TableFile, CellTabsBecomeSpacesButHeaderTabsStay) {
  TempDir dir;
  TableFile f;
  ASSERT_TRUE(f.Ouvre((dir / "t.txt").c_str()));
  f.Texte("H1\tH2\n");
  f.Cellule("a\tb\t\tc 100%");
  f.Tab();
  f.Cellule(std::string_view("d\te"));
  f.Tab();
  f.Cellule(static_cast<const char*>(nullptr));
  f.FinLigne();
  const std::int64_t octets = f.Octets();
  ASSERT_TRUE(f.Ferme());
  const std::string attendu = "H1\tH2\r\na b  c 100%\td e\t\r\n";
  EXPECT_EQ(ReadBytes(dir / "t.txt"), attendu);
  EXPECT_EQ(octets, static_cast<std::int64_t>(attendu.size()));
}

TEST(TableFile, NumbersInDecimalWithSign) {
  TempDir dir;
  TableFile f;
  ASSERT_TRUE(f.Ouvre((dir / "t.txt").c_str()));
  for (std::int64_t n : {std::int64_t{0}, std::int64_t{-1}, std::int64_t{7}, std::int64_t{10},
                         std::int64_t{2147483647}, std::int64_t{-2147483648LL},
                         std::int64_t{4294967296LL}, INT64_MIN, INT64_MAX}) {
    f.Nombre(n);
    f.Tab();
  }
  ASSERT_TRUE(f.Ferme());
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
    char* fin = TableFile::EcritNombre(tampon, n);
    EXPECT_EQ(std::string(tampon, fin), std::to_string(n));
    EXPECT_EQ(fin[0], '#') << n;
  }
}

TEST(TableFile, ContentLargerThanTheBufferArrivesWhole) {
  TempDir dir;
  TableFile f;
  ASSERT_TRUE(f.Ouvre((dir / "t.txt").c_str()));
  std::string attendu;
  // Lines of 7 bytes, so that line ends straddle the buffer's edge.
  const int lignes = static_cast<int>(TableFile::kTailleTampon / 7) * 3 + 5;
  for (int i = 0; i < lignes; ++i) {
    f.Cellule("abcd\t");
    f.FinLigne();
    attendu += "abcd \r\n";
  }
  EXPECT_EQ(f.Octets(), static_cast<std::int64_t>(attendu.size()));
  ASSERT_TRUE(f.Ferme());
  EXPECT_TRUE(ReadBytes(dir / "t.txt") == attendu);
}

// Rows written straight into the buffer (Place, then Prend) give the bytes and the count that
// the cell writers give, also where a row meets the buffer's edge.
TEST(TableFile, RowsWrittenInPlaceMatchTheCellWriters) {
  TempDir dir;
  TableFile direct;
  TableFile cellules;
  ASSERT_TRUE(direct.Ouvre((dir / "a.txt").c_str()));
  ASSERT_TRUE(cellules.Ouvre((dir / "b.txt").c_str()));
  const char* const textes[] = {"12 mar 1850", "a\tb", "x\ny", "", "0123456789012345678901234567890"};
  for (int i = 0; i < 20000; ++i) {
    const char* texte = textes[i % 5];
    const std::int64_t n = (i % 7 == 0 ? -1 : 1) * std::int64_t{i} * 7919;
    char* q = direct.Place(64 + 20);
    q = TableFile::EcritNombre(q, n);
    *q++ = '\t';
    q = TableFile::EcritCelluleCourte(q, texte, 31);
    direct.Prend(q);
    direct.FinLigne();
    cellules.Nombre(n);
    cellules.Tab();
    cellules.Cellule(texte);
    cellules.FinLigne();
  }
  EXPECT_EQ(direct.Octets(), cellules.Octets());
  ASSERT_TRUE(direct.Ferme());
  ASSERT_TRUE(cellules.Ferme());
  EXPECT_TRUE(ReadBytes(dir / "a.txt") == ReadBytes(dir / "b.txt"));
  // A short cell stops at its bound as a date buffer would.
  char tampon[8];
  EXPECT_EQ(std::string(tampon, TableFile::EcritCelluleCourte(tampon, "abcdef", 3)), "abc");
}

TEST(TableFile, ReopeningTruncatesAndRestartsTheCount) {
  TempDir dir;
  test::WriteBytes(dir / "t.txt", "old content that is longer");
  TableFile f;
  ASSERT_TRUE(f.Ouvre((dir / "t.txt").c_str()));
  f.Texte("x\n");
  ASSERT_TRUE(f.Ferme());
  ASSERT_TRUE(f.Ouvre((dir / "t.txt").c_str()));
  f.Texte("yz\n");
  EXPECT_EQ(f.Octets(), 4);
  ASSERT_TRUE(f.Ferme());
  EXPECT_EQ(ReadBytes(dir / "t.txt"), "yz\r\n");
}

TEST(TableFile, OpenFailsInAMissingFolder) {
  TempDir dir;
  TableFile f;
  EXPECT_FALSE(f.Ouvre((dir / "missing/t.txt").c_str()));
  EXPECT_FALSE(f.Ouvert());
  EXPECT_FALSE(f.Ferme());
}

TEST(TableFile, FullDeviceFailsAtCloseForSmallContent) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  TableFile f;
  ASSERT_TRUE(f.Ouvre("/dev/full"));
  f.Texte("INDI\tNOTE\n");
  EXPECT_FALSE(f.Echec());  // still in the buffer
  EXPECT_FALSE(f.Ferme());
  EXPECT_TRUE(f.Echec());
}

TEST(TableFile, FullDeviceFailsAsSoonAsTheBufferIsWritten) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  TableFile f;
  ASSERT_TRUE(f.Ouvre("/dev/full"));
  while (f.Octets() <= static_cast<std::int64_t>(TableFile::kTailleTampon)) f.Cellule("0123456789");
  EXPECT_TRUE(f.Echec());
  f.Texte("more\n");  // dropped, and the failure stays
  EXPECT_FALSE(f.Ferme());
}

}  // namespace
}  // namespace brimsel
