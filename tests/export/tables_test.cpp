// The table export in the process: table writer, code list, output names, rows of hand-made
// models, repeated exports, the size report and the failures.
#include "export/export.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "dict/dictionary.h"
#include "engine/conversion.h"
#include "export/table_file.h"
#include "export/tsv_rows.h"
#include "platform/byte_source.h"
#include "support/append_sink.h"
#include "support/recording_progress.h"
#include "support/temp_dir.h"

namespace brimsel {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;

// A table writing into `out`, failing after `room` bytes.
struct MemoryTable {
  std::string out;
  TableFile f;
  explicit MemoryTable(std::size_t room = std::string::npos) {
    f.Open(std::make_unique<test::AppendSink>(out, room));
  }
};

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

// Entries inserted in alphabetical order: a chain-shaped tree for a naive binary tree.
TEST(CodeList, SortedInsertsOfManyEntriesListInOrderWithoutRecursion) {
  GedcomModel m;
  m.Clear();
  std::string expected;
  for (int i = 0; i < 200000; ++i) {
    char text[16];
    std::snprintf(text, sizeof text, "N%07d", i);
    m.surnames->Insert(text, 8, 0);
    expected += std::to_string(i + 1) + "\t" + text + "\r\n";
  }
  const ClassicRows rows(m, {});
  const ClassicTableDescription& names = Describe(ClassicTable::kFamilyNames);
  RowBlock block(names.schema);
  rows.Fill(ClassicTable::kFamilyNames, 0, rows.RowCount(ClassicTable::kFamilyNames), block);
  MemoryTable t;
  WriteTsvRows(names, block, false, t.f);
  EXPECT_TRUE(t.f.Close());
  EXPECT_TRUE(t.out == expected);
}

// The README's table of columns names every column of the seven tables, and nothing else.
TEST(ClassicTables, TheReadmeNamesEveryColumn) {
  std::set<std::string> described, columns;
  std::istringstream readme(ReadBytes(std::string(BRIMSEL_SOURCE_DIR) + "/README.md"));
  bool inTable = false;
  for (std::string line; std::getline(readme, line);) {
    if (line == "### Columns") inTable = true;
    if (!inTable || line.rfind("| ", 0) != 0 || line.rfind("| Column ", 0) == 0) continue;
    std::istringstream names(line.substr(2, line.find(" |", 1) - 2));
    for (std::string name; std::getline(names >> std::ws, name, ',');) described.insert(name);
    if (line.find("_ISO") != std::string::npos) break;  // the table's last row
  }
  for (const ClassicTableDescription& t : ClassicTables()) {
    for (const ColumnSchema& c : t.schema.columns) columns.insert(c.name);
  }
  EXPECT_EQ(described, columns);
}

TEST(TableBaseName, CutsTheExtensionOfTheFileNameOnlyWhenTheNamesFit) {
  // "_INDInote.txt" is the longest suffix: 13 bytes, plus the terminator.
  const std::string longest(kTableNameCapacity - 14, 'a'), folder(kTableNameCapacity - 16, 'd');
  const std::pair<std::pair<std::string, std::string>, std::optional<std::string>> cases[] = {
      {{"C:\\GEN\\famille.ged", ""}, "C:\\GEN\\famille"},
      {{"/data/a.b.ged", ""}, "/data/a.b"},
      // No '.' in the file name: the whole path is the base, a dot in a directory changes nothing.
      {{"/a.b/c\\d.e\\f", ""}, "/a.b/c\\d.e\\f"},
      // An output folder takes the file-name part.
      {{"C:\\GEN\\famille.ged", "/tmp"}, "/tmp/famille"},
      {{"famille", "/tmp/x.y"}, "/tmp/x.y/famille"},
      {{"", ""}, std::nullopt},
      {{longest + ".ged", ""}, longest},
      {{longest + "a.ged", ""}, std::nullopt},
      {{"x.ged", folder}, folder + "/x"},  // exactly at the limit
      {{"xy.ged", folder}, std::nullopt},
  };
  for (const auto& [in, base] : cases) EXPECT_EQ(TableBaseName(in.first, in.second), base) << in.first;
}

// The four row tables of `m`, numbered from `bases`, as their files hold them.
std::vector<std::string> Rows(const GedcomModel& m, NumberingBases bases) {
  const ClassicRows rows(m, bases);
  std::vector<std::string> text;
  for (ClassicTable t : {ClassicTable::kIndividuals, ClassicTable::kUnions,
                         ClassicTable::kIndividualNotes, ClassicTable::kUnionNotes}) {
    RowBlock block(Describe(t).schema);
    rows.Fill(t, 0, rows.RowCount(t), block);
    MemoryTable table;
    WriteTsvRows(Describe(t), block, false, table.f);
    EXPECT_TRUE(table.f.Close());
    text.push_back(table.out);
  }
  return text;
}

// Two individuals, an added spouse, one union, notes; numbered from the given bases.
void HandMade(GedcomModel& m) {
  m.Clear();
  m.individuals.resize(m.counts.individuals = 2);
  Individual& a = m.individuals[0];
  a.famc = 0;
  a.sex = 1;
  a.birthDate = m.texts.StoreDate(nullptr, "\t");  // unreadable: written as it stands, tab as a space
  a.birthPlace = 4;
  a.occupation = m.texts.Copy("100% %s\tmeunier");
  Individual& b = m.individuals[1];
  b.baptismDate = m.texts.StoreDate(nullptr, "1850");
  b.baptismPlace = -1;
  b.birthPlace = 2;  // the baptism stands in but has no place: the birth's place is used
  b.burialDate = m.texts.StoreDate(nullptr, "5 MAY 1900");
  b.deathPlace = 7;  // the burial has no place: the death's place stands in
  m.unions.resize(m.counts.unions = 1);
  m.unions[0].husband = 0;
  m.unions[0].wife = 2;
  m.addedSexes = {0};
  m.counts.added = 1;
  m.individualNotes.resize(m.counts.individualNotes = 2);
  m.individualNotes[0].owner = 1;
  m.individualNotes[0].text = m.texts.Copy("a\tb");
  m.unionNotes.resize(m.counts.unionNotes = 1);  // a note never reached: no owner, no text
}

// The rows of a hand-made model; numbers written as their true sum with the largest bases,
// never wrapped to negative; a reference that names nothing is written 0, a number as it is.
TEST(ClassicRows, EdgeValuesAndTheLargestBases) {
  GedcomModel m;
  HandMade(m);
  std::vector<std::string> t = Rows(m, {1, 0});
  EXPECT_EQ(t[0],
            "1\t0\t1\t0\t0\t \t127\t5\t\t0\t0\t100% %s meunier\r\n"
            "2\t0\t-1\t0\t0\t13 juin 1850\t248\t3\t5 mai 1900\t254\t8\t\r\n"
            "3\t0\t0\t0\t0\t\t0\t0\t\t0\t0\t\r\n");
  EXPECT_EQ(t[1], "0\t1\t3\t\t0\t0\r\n");
  EXPECT_EQ(t[2], "2\ta b\r\n0\t\r\n");
  EXPECT_EQ(t[3], "-1\t\r\n");
  EXPECT_EQ(Rows(m, {1, 0}), t) << "the rows are made again alike: the model keeps its dates";
  t = Rows(m, {2147483647, 2147483647});
  EXPECT_EQ(t[0].substr(0, 25), "2147483647\t2147483647\t1\t0");
  EXPECT_EQ(t[0].substr(t[0].find("\r\n") + 2, 11), "2147483648\t");
  EXPECT_EQ(t[1].substr(0, 33), "2147483647\t2147483647\t2147483649\t");
}

const char kFamily[] =
    "0 HEAD\n"
    "0 @I1@ INDI\n1 SEX M\n1 BIRT\n2 DATE ABT 1850\n1 BAPM\n2 DATE 15 MAR 1850\n1 FAMS @F1@\n"
    "0 @I2@ INDI\n1 SEX F\n1 BIRT\n2 DATE BEF 1852\n2 PLAC Brest\n1 DEAT\n2 DATE 1 jan 1900\n"
    "1 FAMS @F1@\n0 @F1@ FAM\n1 HUSB @I1@\n1 WIFE @I2@\n1 MARR\n2 DATE AFT 1870\n0 TRLR\n";

// A converted file in a fresh folder.
struct Export {
  test::TempDir dir;
  GedcomModel m;
  test::RecordingProgress p;

  Export() {
    StringSource source(kFamily);
    EXPECT_TRUE(ConvertSource(m, source, (dir / "t.ged").c_str(), {}, p).Completed());
    p.Reset();
  }
  ExportResult Run(ExportOptions options = {}) { return brimsel::Export(m, options, p); }
  std::string Table(const char* suffix) const { return ReadBytes(dir / (std::string("t") + suffix)); }
};

// The model keeps the dates as the file gave them: a second export writes what the first one
// wrote, and the stored date still reads as "about".
TEST(Export, SecondExportWritesWhatTheFirstWrote) {
  const std::string indi = "INDI\tFAM\tS\tPRE\tCNOM\tDAT1\tQD1\tPL1\tDAT2\tQD2\tPL2\tOCCU\r\n";
  Export e;
  ASSERT_TRUE(e.Run().Written());
  EXPECT_EQ(e.Table("_INDI.txt"),
            indi + "1\t0\t1\t0\t0\t15 mar 1850\t254\t0\t\t0\t0\t\r\n"
            "2\t0\t0\t0\t0\t13 juin 1852\t185\t1\t1 jan 1900\t255\t0\t\r\n");
  EXPECT_EQ(e.Table("_FAM.txt"), "FAM\tHUSB\tWIFE\tDAT\tQD\tC_PLACSTART\r\n1\t1\t2\t13 juin 1870\t217\t0\r\n");
  EXPECT_STREQ(e.m.individuals[0].birthDate, "ABT 1850");
  std::string first;
  for (const char* s : kTableSuffixes) first += e.Table(s);
  ASSERT_TRUE(e.Run().Written());
  std::string second;
  for (const char* s : kTableSuffixes) second += e.Table(s);
  EXPECT_EQ(second, first);
}

TEST(Export, PhasesBytesAndSizeReport) {
  Export e;
  const std::pair<std::int64_t, std::string> cases[] = {
      {2000000, "1953 Kb => 0 Kb (100%)"},
      {5000000000LL, "4882812 Kb => 0 Kb (100%)"},  // 64-bit sizes: a source over 2 GiB
      {0, "0 Kb => 0 Kb (0%)"},                     // no division by zero
  };
  for (const auto& [size, report] : cases) {
    e.m.sourceSize = size;
    e.p.Reset();
    const ExportResult r = e.Run();
    ASSERT_TRUE(r.Written());
    EXPECT_EQ(e.p.phases, (std::vector<std::string>{"Conversion en cours!", ""}));
    EXPECT_EQ(e.p.messages, std::vector<std::string>{report});
    std::int64_t onDisk = 0;
    for (const char* s : kTableSuffixes) onDisk += static_cast<std::int64_t>(fs::file_size(e.dir / (std::string("t") + s)));
    EXPECT_EQ(r.tableBytes, onDisk);
  }
  // Tables larger than the source give a negative saving.
  e.m.sourceSize = 100;
  const ExportResult r = e.Run();
  EXPECT_EQ(e.p.messages.back(), "0 Kb => 0 Kb (-" + std::to_string(r.tableBytes - 100) + "%)");
}

// A table that cannot be made, or one whose writing fails, leaves every earlier table as it was
// and no temporary file.
TEST(Export, AFailureLeavesTheEarlierTablesAsTheyWere) {
  Export e;
  ASSERT_TRUE(e.Run().Written());
  const auto listing = [&] {
    std::string all;
    for (const auto& entry : fs::directory_iterator(e.dir.Path())) {
      all += entry.path().filename().string() + "=" +
             (entry.is_directory() ? "dir" : ReadBytes(entry.path())) + "\n";
    }
    return all;
  };
  fs::remove(e.dir / "t_FAM.txt");
  fs::create_directory(e.dir / "t_FAM.txt");
  const std::string before = listing();
  e.p.Reset();
  ExportResult r = e.Run();
  EXPECT_EQ(r.outcome, ExportOutcome::kOpenFailed);
  EXPECT_EQ(r.file, e.dir / "t_FAM.txt");
  EXPECT_EQ(r.cause, "Is a directory");
  EXPECT_TRUE(e.p.phases.empty());
  EXPECT_TRUE(e.p.messages.empty());
  EXPECT_EQ(listing(), before);
  fs::remove(e.dir / "t_FAM.txt");
  // The fifth table to be made fails on its first write.
  int made = 0;
  ExportOptions failing;
  failing.tableSink = [&](const std::string&) -> std::unique_ptr<ByteSink> {
    static std::string ignored;
    ignored.clear();
    return std::make_unique<test::AppendSink>(ignored, ++made == 5 ? 0 : std::string::npos);
  };
  const std::string intact = listing();
  r = e.Run(failing);
  EXPECT_EQ(r.outcome, ExportOutcome::kWriteFailed);
  EXPECT_EQ(r.file, e.dir / "t_FAM.txt");
  EXPECT_EQ(r.cause, "No space left on device");
  EXPECT_EQ(e.p.phases, (std::vector<std::string>{"Conversion en cours!", ""}));
  EXPECT_EQ(listing(), intact);
  // A stop, with the database too, at once or once the rows are in.
  for (long after : {0L, 3L}) {  // three tables have rows
    e.p.Reset();
    e.p.stopAfter = after;
    r = e.Run({.database = true});
    EXPECT_EQ(r.outcome, ExportOutcome::kStopped) << after;
    EXPECT_TRUE(e.p.messages.empty()) << after;
    EXPECT_EQ(static_cast<long>(e.p.advances.size()), std::max(after, 1L)) << after;
    EXPECT_EQ(listing(), intact) << after;
  }
}

}  // namespace
}  // namespace brimsel
