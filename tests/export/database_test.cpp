// Tests of the database export: sortable dates; databases equal to the tables, on many files.
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "engine/conversion.h"
#include "export/date.h"
#include "export/export.h"
#include "platform/code_page.h"
#include "support/recording_progress.h"
#include "support/temp_dir.h"

namespace brimsel {
namespace {

namespace fs = std::filesystem;
using Rows = std::vector<std::string>;

TEST(SortableDate, HoldsOnlyTheGivenParts) {
  const struct {
    DateParts parts;
    int code;
    const char* iso;
  } cases[] = {
      // clang-format off
      {{12, 3, 1841}, 255, "1841-03-12"}, {{13, 3, 1841}, 253, "1841-03"},
      {{13, 6, 1841}, 249, "1841"},       {{13, 6, 1841}, 153, "1841"},
      {{13, 6, 1841}, 248, "1841"},       {{3, 2, 1845}, 254, "1845-02-03"},
      {{1, 12, 560}, 255, "0560-12-01"},  {{31, 6, 2147483647}, 255, "2147483647-06-31"},
      {{12, 3, 1841}, 247, ""},  // day and month without a year
      {{12, 3, 1841}, 127, ""},  {{}, 0, ""},  {{12, 3, 1841}, 256, ""}, {{12, 3, 1841}, 143, ""},
      // clang-format on
  };
  for (const auto& c : cases) {
    SortableDateText out{};
    const std::size_t n = SortableDate(c.code, c.parts, out);
    EXPECT_EQ(std::string(out.data(), n), c.iso) << c.parts.year << " " << c.code;
  }
}

// The rows of a query, cells separated by tabs; NULL is written `null`, or as the tables
// write none (0 for a number, nothing for a text) when `null` is empty.
Rows Query(sqlite3* db, const std::string& sql, const char* null = "") {
  Rows rows;
  sqlite3_stmt* s = nullptr;
  EXPECT_EQ(sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr), SQLITE_OK)
      << sql << sqlite3_errmsg(db);
  while (sqlite3_step(s) == SQLITE_ROW) {
    std::string row;
    for (int c = 0; c < sqlite3_column_count(s); ++c) {
      if (c != 0) row += '\t';
      const char* type = sqlite3_column_decltype(s, c);
      if (sqlite3_column_type(s, c) != SQLITE_NULL) {
        row += reinterpret_cast<const char*>(sqlite3_column_text(s, c));
      } else {
        row += *null != '\0' ? null : type != nullptr && std::string(type) == "INTEGER" ? "0" : "";
      }
    }
    rows.push_back(row);
  }
  sqlite3_finalize(s);
  return rows;
}

struct Case {
  std::string name;
  std::string gedcom;  // a shared file's name, or the generator's options
  bool notes = true;
  std::optional<TableEncoding> tableEncoding;
  bool refCounts = false;
  NumberingBases bases;
};

class DatabaseEqualsTables : public ::testing::TestWithParam<Case> {};

TEST_P(DatabaseEqualsTables, OnEveryTableRowAndCell) {
  const Case& c = GetParam();
  test::TempDir dir;
  std::string gedcom = std::string(BRIMSEL_SHARED_GEDCOM) + "/" + c.gedcom;
  if (c.gedcom.rfind("--", 0) == 0) {
    gedcom = dir / "gen.ged";
    ASSERT_EQ(
        std::system((std::string(BRIMSEL_GEDCOM_GEN) + " " + c.gedcom + " " + gedcom).c_str()), 0);
  } else if (!fs::exists(gedcom)) {
    GTEST_SKIP() << gedcom << " is absent";
  }
  // The tables and the database together; then the database alone, from the same model.
  fs::create_directories(dir / "tables");
  fs::create_directories(dir / "alone");
  GedcomModel m;
  test::RecordingProgress p;
  const ConversionOptions conversion{.notes = c.notes, .tableEncoding = c.tableEncoding};
  ASSERT_TRUE(ConvertFile(m, gedcom.c_str(), conversion, p).Completed());
  ExportOptions options{.outputDir = dir / "tables", .database = true, .refCounts = c.refCounts,
                        .bases = c.bases, .version = "t"};
  const ExportResult together = Export(m, options, p);
  ASSERT_TRUE(together.Written()) << together.cause;
  options.outputDir = dir / "alone";
  options.tables = false;
  const ExportResult alone = Export(m, options, p);
  ASSERT_TRUE(alone.Written()) << alone.cause;
  const std::string stem = fs::path(gedcom).stem().string();
  const std::string base = dir / "tables" + "/" + stem;

  std::string dumps[2];
  for (int k = 0; k < 2; ++k) {
    const std::string file = (k == 0 ? base : dir / "alone" + "/" + stem) + ".sqlite";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    EXPECT_EQ(Query(db, "PRAGMA integrity_check"), Rows{"ok"});
    EXPECT_EQ(Query(db, "PRAGMA foreign_key_check"), Rows{});
    const char* const names[] = {"NAME", "SURNAME", "PLAC", "INDI", "FAM", "INDInote", "FAMnote"};
    for (int t = 0; t < kClassicTableCount; ++t) {
      // Each row of the table, in UTF-8, is the database's row with NULL written as none.
      std::istringstream tsv(test::ReadBytes(base + kTableSuffixes[t]));
      std::string line, header;
      Rows expected;
      std::getline(tsv, header);
      while (std::getline(tsv, line)) {
        line.pop_back();  // CR
        expected.push_back(m.tableEncoding == TableEncoding::kUtf8 ? line : Cp1252ToUtf8(line));
      }
      header.pop_back();
      std::string columns = header;
      for (char& ch : columns) ch = ch == '\t' ? ',' : ch;
      Rows rows = Query(db, "SELECT " + columns + " FROM " + names[t] + " ORDER BY rowid");
      if (t < 3) {  // the code lists are written in alphabetical order
        std::sort(rows.begin(), rows.end());
        std::sort(expected.begin(), expected.end());
      }
      EXPECT_EQ(rows, expected) << names[t] << " of " << file;
      for (const std::string& row : Query(db, std::string("SELECT * FROM ") + names[t], "NULL")) {
        dumps[k] += row + "\n";
      }
    }
    // Without the tables' NBREF, the database's is the dictionaries' count.
    const Dictionary* lists[] = {m.surnames.get(), m.givenNames.get(), m.places.get()};
    for (int t = 0; t < 3; ++t) {
      for (const std::string& row :
           Query(db, std::string("SELECT rowid, NBREF FROM ") + names[t])) {
        EXPECT_EQ(row.substr(row.find('\t') + 1),
                  std::to_string(lists[t]->Entry(std::stoi(row) - 1).refCount));
      }
    }
    // A sortable date for every readable date that gives its year, and that year.
    EXPECT_EQ(Query(db,
                    "SELECT count(*) FROM (SELECT DAT1 AS d, DAT1_ISO AS i, QD1 AS q FROM INDI"
                    " UNION ALL SELECT DAT2, DAT2_ISO, QD2 FROM INDI"
                    " UNION ALL SELECT DAT, DAT_ISO, QD FROM FAM)"
                    " WHERE (i IS NULL) <> ((q | 1) IN (1, 127) OR ((q | 1) - 145) & 8 = 0)"
                    " OR CAST(i AS INTEGER)"
                    " <> CAST(substr(d, length(rtrim(d, '0123456789')) + 1) AS INTEGER)"),
              Rows{"0"});
    // A union of the parents only where the model has one, whatever the unions' numbering.
    const auto parents =
        std::count_if(m.individuals.begin(), m.individuals.begin() + m.counts.individuals,
                      [](const Individual& i) { return i.famc >= 0; });
    EXPECT_EQ(Query(db, "SELECT count(FAM) FROM INDI"), Rows{std::to_string(parents)});
    EXPECT_EQ(Query(db,
                    "SELECT (SELECT count(*) FROM individuals) = (SELECT count(*) FROM INDI),"
                    " (SELECT count(*) FROM unions) = (SELECT count(*) FROM FAM)"),
              Rows{"1\t1"});
    EXPECT_EQ(
        Query(db, "SELECT count(*), individuals, unions, added, version FROM conversion"),
        Rows{"1\t" + std::to_string(m.counts.individuals) + "\t" + std::to_string(m.counts.unions) +
             "\t" + std::to_string(m.counts.added) + "\tt"});
    sqlite3_close(db);
  }
  EXPECT_TRUE(dumps[0] == dumps[1]) << "the database alone differs from the one beside the tables";
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    RealAndGenerated, DatabaseEqualsTables,
    ::testing::Values(
        Case{"allged", "allged.ged", true, {}, true},
        Case{"john_of_sea", "john_of_sea_20101009.ged"},
        Case{"royal92", "royal92.ged", true, {}, false, {0, 0}},
        Case{"sample_5_51", "sample-5.51.ged"},
        Case{"vendor_heredis", "vendor-heredis.ged", false},
        Case{"gen_shuffled", "--individuals 3000 --seed 7 --shuffle", true, {}, true, {1000, 0}},
        Case{"gen_utf8", "--individuals 2000 --seed 3 --lf", false, TableEncoding::kUtf8},
        // Enough records for the large pages.
        Case{"gen_sorted", "--individuals 16000 --sorted", true, {}, false, {1, 5}}),
    [](const auto& info) { return info.param.name; });
// clang-format on

}  // namespace
}  // namespace brimsel
