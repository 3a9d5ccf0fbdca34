// Tests of the table export inside the process: output names, rows of hand-made models,
// repeated exports, the status line, the size report and the failures.
#include "export/tables.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/conversion.h"
#include "export/export_test_support.h"
#include "platform/byte_source.h"
#include "support/fake_dialog.h"
#include "ui/commands.h"

namespace brimsel {
namespace {

namespace fs = std::filesystem;
using test::FakeDialog;
using test::ReadBytes;
using test::TempDir;

// ---- Output names ----

TEST(TableBaseName, CutsTheExtensionOfTheFileNameOnly) {
  EXPECT_EQ(TableBaseName("C:\\GEN\\famille.ged"), "C:\\GEN\\famille");
  EXPECT_EQ(TableBaseName("/data/famille.ged"), "/data/famille");
  EXPECT_EQ(TableBaseName("/data/a.b.ged"), "/data/a.b");
  EXPECT_EQ(TableBaseName("famille.ged"), "famille");
  // No '.' in the file name: the whole path is the base, a dot in a directory changes nothing.
  EXPECT_EQ(TableBaseName("C:\\DOC.V2\\famille"), "C:\\DOC.V2\\famille");
  EXPECT_EQ(TableBaseName("/data.old/famille"), "/data.old/famille");
  EXPECT_EQ(TableBaseName("/data/famille"), "/data/famille");
  EXPECT_EQ(TableBaseName("/a.b/c\\d.e\\f"), "/a.b/c\\d.e\\f");
}

TEST(TableBaseName, OutputFolderTakesTheFileNamePart) {
  EXPECT_EQ(TableBaseName("/data/famille.ged", "out"), "out/famille");
  EXPECT_EQ(TableBaseName("/data/famille.ged", "out/"), "out/famille");
  EXPECT_EQ(TableBaseName("C:\\GEN\\famille.ged", "/tmp"), "/tmp/famille");
  EXPECT_EQ(TableBaseName("famille", "/tmp/x.y"), "/tmp/x.y/famille");
}

TEST(TableBaseName, NoBaseForAnEmptyPathOrNamesOverTheBuffer) {
  EXPECT_EQ(TableBaseName(""), std::nullopt);
  // "_INDInote.txt" is the longest suffix: 13 bytes, plus the terminator.
  const std::string limite(kTableNameCapacity - 14, 'a');
  EXPECT_EQ(TableBaseName(limite + ".ged"), limite);
  EXPECT_EQ(TableBaseName(limite + "a.ged"), std::nullopt);
  const std::string dossier(kTableNameCapacity - 16, 'd');  // with "/x": exactly at the limit
  EXPECT_EQ(TableBaseName("x.ged", dossier), dossier + "/x");
  EXPECT_EQ(TableBaseName("xy.ged", dossier), std::nullopt);
}

// ---- Rows of a model made by hand ----

// Writes the four row tables of `m` into `dir` and returns them in table order.
std::vector<std::string> Rows(GedcomModel& m, FakeDialog& d, const TempDir& dir,
                              bool* ok = nullptr) {
  TableFile f[4];
  const char* noms[4] = {"i.txt", "f.txt", "ni.txt", "nf.txt"};
  for (int k = 0; k < 4; ++k) EXPECT_TRUE(f[k].Open((dir / noms[k]).c_str()));
  // The bases as the command "Convertir..." reads them from the fields.
  unsigned base = 0;
  if (d.ReadNumber(ctl::kIndiBase, &base)) m.indiBase = static_cast<int>(base);
  if (d.ReadNumber(ctl::kFamBase, &base)) m.famBase = static_cast<int>(base);
  const bool fini = WriteTableRows(m, f[0], f[1], f[2], f[3]);
  if (ok != nullptr) *ok = fini;
  std::vector<std::string> lues;
  for (int k = 0; k < 4; ++k) {
    EXPECT_TRUE(f[k].Close());
    lues.push_back(ReadBytes(dir / noms[k]));
  }
  return lues;
}

char* Date(GedcomModel& m, const char* texte) {
  char* date = m.texts.NewDate();
  std::strncpy(date, texte, kDateBufferSize - 1);
  return date;
}

TEST(WriteTableRows, EdgeValuesOfAHandMadeModel) {
  GedcomModel m;
  m.Clear();
  m.individuals.resize(2);
  m.counts.individuals = 2;
  Individual& a = m.individuals[0];
  a.famc = 0;
  a.sex = 1;
  a.birthDate = Date(m, "\t");  // unreadable: written as it stands, tab as a space
  a.birthPlace = 4;
  a.occupation = m.texts.Copy("100% %s\tmeunier");
  Individual& b = m.individuals[1];
  b.baptismDate = Date(m, "1850");
  b.baptismPlace = -1;
  b.birthPlace = 2;  // the baptism stands in but has no place: the birth's place is used
  b.burialDate = Date(m, "5 MAY 1900");
  b.deathPlace = 7;  // the burial has no place: the death's place stands in
  m.unions.resize(1);
  m.counts.unions = 1;
  m.unions[0].husband = 0;
  m.unions[0].wife = 2;
  m.addedSexes = {0};
  m.counts.added = 1;
  m.individualNotes.resize(2);
  m.counts.individualNotes = 2;
  m.individualNotes[0].owner = 1;
  m.individualNotes[0].text = m.texts.Copy("a\tb");
  m.unionNotes.resize(1);
  m.counts.unionNotes = 1;  // a note never reached: no owner, no text

  FakeDialog d;
  d.fields[ctl::kFamBase] = "0";
  TempDir dir;
  const std::vector<std::string> t = Rows(m, d, dir);
  EXPECT_EQ(t[0],
            "1\t0\t1\t0\t0\t \t127\t5\t\t0\t0\t100% %s meunier\r\n"
            "2\t0\t-1\t0\t0\t13 juin 1850\t248\t3\t5 mai 1900\t254\t8\t\r\n"
            "3\t0\t0\t0\t0\t\t0\t0\t\t0\t0\t\r\n");
  EXPECT_EQ(t[1], "0\t1\t3\t\t0\t0\r\n");
  EXPECT_EQ(t[2], "2\ta b\r\n0\t\r\n");
  EXPECT_EQ(t[3], "-1\t\r\n");
  EXPECT_EQ(m.famBase, 0);
}

TEST(WriteTableRows, BasesComeFromTheFieldsWhenTheyAreNumbers) {
  GedcomModel m;
  m.Clear();
  m.individuals.resize(2);
  m.counts.individuals = 2;
  m.individuals[1].famc = 0;
  m.unions.resize(1);
  m.counts.unions = 1;
  m.unions[0].husband = 0;
  m.unions[0].wife = 1;
  TempDir dir;
  FakeDialog d;
  d.fields[ctl::kIndiBase] = "  1000";
  d.fields[ctl::kFamBase] = "50";
  std::vector<std::string> t = Rows(m, d, dir);
  EXPECT_EQ(m.indiBase, 1000);
  EXPECT_EQ(t[0].substr(0, 5), "1000\t");
  EXPECT_EQ(t[0].substr(t[0].find("\r\n") + 2, 8), "1001\t50\t");
  EXPECT_EQ(t[1], "50\t1000\t1001\t\t0\t0\r\n");

  // Texts that are not plain numbers leave the last bases in force.
  for (const char* texte : {"-5", "abc", "", "12 ", "2147483648", "+1"}) {
    d.fields[ctl::kIndiBase] = texte;
    d.fields[ctl::kFamBase] = texte;
    t = Rows(m, d, dir);
    EXPECT_EQ(m.indiBase, 1000) << texte;
    EXPECT_EQ(m.famBase, 50) << texte;
  }

  // The largest base: numbers are written as their true sum, never wrapped to negative.
  d.fields[ctl::kIndiBase] = "2147483647";
  t = Rows(m, d, dir);
  EXPECT_EQ(t[0].substr(t[0].find("\r\n") + 2, 11), "2147483648\t");
  EXPECT_EQ(t[1].substr(0, 25), "50\t2147483647\t2147483648\t");
}

// ---- Whole exports of a converted file ----

const char kFamille[] =
    "0 HEAD\n"
    "0 @I1@ INDI\n1 SEX M\n1 BIRT\n2 DATE ABT 1850\n1 BAPM\n2 DATE 15 MAR 1850\n1 FAMS @F1@\n"
    "0 @I2@ INDI\n1 SEX F\n1 BIRT\n2 DATE BEF 1852\n2 PLAC Brest\n1 DEAT\n2 DATE 1 jan 1900\n"
    "1 FAMS @F1@\n"
    "0 @F1@ FAM\n1 HUSB @I1@\n1 WIFE @I2@\n1 MARR\n2 DATE AFT 1870\n"
    "0 TRLR\n";

struct Export {
  TempDir dir;
  GedcomModel m;
  FakeDialog d;

  explicit Export(const char* gedcom = kFamille) {
    StringSource source(gedcom);
    const std::string chemin = dir / "t.ged";
    EXPECT_TRUE(ConvertChosenSource(m, d, source, chemin.c_str()).Completed());
    d.statuses.clear();
    d.messages.clear();
  }
  std::string Table(const char* suffix) const {
    return ReadBytes(dir / (std::string("t") + suffix));
  }
  std::int64_t TotalOnDisk() const {
    std::int64_t total = 0;
    for (const char* s : kTableSuffixes)
      total += static_cast<std::int64_t>(fs::file_size(dir / (std::string("t") + s)));
    return total;
  }
};

TEST(ExportTables, SecondExportNormalisesTheStoredDatesAgain) {
  Export e;
  ASSERT_EQ(ExportTablesCommand(e.m, e.d), 1);
  EXPECT_EQ(e.Table("_INDI.txt"),
            "INDI\tFAM\tS\tPRE\tCNOM\tDAT1\tQD1\tPL1\tDAT2\tQD2\tPL2\tOCCU\r\n"
            "1\t0\t1\t0\t0\t15 mar 1850\t254\t0\t\t0\t0\t\r\n"
            "2\t0\t0\t0\t0\t13 juin 1852\t185\t1\t1 jan 1900\t255\t0\t\r\n");
  EXPECT_EQ(e.Table("_FAM.txt"),
            "FAM\tHUSB\tWIFE\tDAT\tQD\tC_PLACSTART\r\n1\t1\t2\t13 juin 1870\t217\t0\r\n");
  // The model now holds the normalised texts.
  EXPECT_STREQ(e.m.individuals[0].birthDate, "13 juin 1850");

  ASSERT_EQ(ExportTablesCommand(e.m, e.d), 1);
  // Every part of a normalised date reads as given: the birth now ties with the baptism, and
  // equal codes go to the birth.
  EXPECT_EQ(e.Table("_INDI.txt"),
            "INDI\tFAM\tS\tPRE\tCNOM\tDAT1\tQD1\tPL1\tDAT2\tQD2\tPL2\tOCCU\r\n"
            "1\t0\t1\t0\t0\t13 juin 1850\t255\t0\t\t0\t0\t\r\n"
            "2\t0\t0\t0\t0\t13 juin 1852\t255\t1\t1 jan 1900\t255\t0\t\r\n");
  EXPECT_EQ(e.Table("_FAM.txt"),
            "FAM\tHUSB\tWIFE\tDAT\tQD\tC_PLACSTART\r\n1\t1\t2\t13 juin 1870\t255\t0\r\n");
  EXPECT_EQ(e.Table("_PLAC.txt"), "C_PLAC\tPLAC\r\n1\tBrest\r\n");
  EXPECT_EQ(e.Table("_NAME.txt"), "C_NAME\tNAME\r\n");
}

TEST(ExportTables, StatusTotalAndSizeReport) {
  Export e;
  e.m.sourceSize = 2000000;
  ASSERT_EQ(ExportTablesCommand(e.m, e.d), 1);
  ASSERT_EQ(e.d.statuses.size(), 2u);
  EXPECT_TRUE(e.d.statuses[0].busy);
  EXPECT_EQ(e.d.statuses[0].text, "Conversion en cours!");
  EXPECT_FALSE(e.d.statuses[1].busy);
  EXPECT_TRUE(e.d.boxes.empty());
  EXPECT_EQ(e.m.bytesWritten, e.TotalOnDisk());
  ASSERT_EQ(e.d.messages.size(), 1u);
  EXPECT_EQ(e.d.messages[0], "1953 Kb => 0 Kb (100%)");

  // 64-bit sizes: a source over 2 GiB.
  e.m.sourceSize = 5000000000LL;
  ASSERT_EQ(ExportTablesCommand(e.m, e.d), 1);
  EXPECT_EQ(e.d.messages.back(), "4882812 Kb => 0 Kb (100%)");

  // Tables larger than the source give a negative saving.
  e.m.sourceSize = 100;
  ASSERT_EQ(ExportTablesCommand(e.m, e.d), 1);
  EXPECT_EQ(e.d.messages.back(), "0 Kb => 0 Kb (-" + std::to_string(e.m.bytesWritten - 100) + "%)");

  // An empty source has no saving to speak of: 0 per cent rather than a division by zero.
  e.m.sourceSize = 0;
  ASSERT_EQ(ExportTablesCommand(e.m, e.d), 1);
  EXPECT_EQ(e.d.messages.back(), "0 Kb => 0 Kb (0%)");
}

TEST(ExportTables, NbRefBoxGivesTheThreeColumnCodeLists) {
  Export e;
  e.d.Check(ctl::kRefCounts);
  ASSERT_EQ(ExportTablesCommand(e.m, e.d), 1);
  EXPECT_EQ(e.Table("_PLAC.txt"), "C_PLAC\tNBREF\tPLAC\r\n1\t1\tBrest\r\n");
  EXPECT_EQ(e.Table("_NAME.txt"), "C_NAME\tNBREF\tNAME\r\n");
  EXPECT_EQ(e.Table("_SURNAME.txt"), "C_SURNAME\tNBREF\tSURNAME\r\n");
}

TEST(ExportTables, NoBaseShowsFichierNomAndWritesNothing) {
  for (const std::string& source : {std::string(), std::string(600, 'x') + ".ged"}) {
    Export e;
    e.m.sourcePath = source;
    EXPECT_EQ(ExportTablesCommand(e.m, e.d), 0);
    ASSERT_EQ(e.d.boxes.size(), 1u);
    EXPECT_EQ(e.d.boxes[0].text, "fichierNom");
    EXPECT_EQ(e.d.boxes[0].caption, "Erreur ouverture");
    EXPECT_EQ(e.d.boxes[0].icon, MessageIcon::kError);
    EXPECT_TRUE(e.d.messages.empty());
    EXPECT_TRUE(fs::is_empty(e.dir.Path()));
  }
  Export e;
  e.m.sourcePath.reset();
  EXPECT_EQ(ExportTablesCommand(e.m, e.d), 0);
  EXPECT_EQ(e.d.boxes.at(0).text, "fichierNom");
}

TEST(ExportTables, WriteFailureNamesTheFileAndAddsNoReport) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  Export e;
  fs::create_symlink("/dev/full", e.dir / "t_INDInote.txt");
  EXPECT_EQ(ExportTablesCommand(e.m, e.d), 0);
  ASSERT_EQ(e.d.boxes.size(), 1u);
  EXPECT_EQ(e.d.boxes[0].text, e.dir / "t_INDInote.txt");
  EXPECT_EQ(e.d.boxes[0].caption, "Erreur \xE9\x63riture");
  EXPECT_EQ(e.d.boxes[0].icon, MessageIcon::kError);
  ASSERT_FALSE(e.d.statuses.empty());
  EXPECT_FALSE(e.d.statuses.back().busy);
  EXPECT_TRUE(e.d.messages.empty());
  // The tables that could be written are complete.
  EXPECT_EQ(e.Table("_FAMnote.txt"), "FAM\tNOTE\r\n");
  EXPECT_EQ(e.Table("_FAM.txt").substr(0, 4), "FAM\t");
}

TEST(ExportTables, OpenFailureStopsAtOnceAndTouchesNoStatus) {
  Export e;
  fs::create_directory(e.dir / "t_FAM.txt");
  EXPECT_EQ(ExportTablesCommand(e.m, e.d), 0);
  ASSERT_EQ(e.d.boxes.size(), 1u);
  EXPECT_EQ(e.d.boxes[0].text, e.dir / "t_FAM.txt");
  EXPECT_EQ(e.d.boxes[0].caption, "Erreur ouverture");
  EXPECT_TRUE(e.d.statuses.empty());
  EXPECT_TRUE(e.d.messages.empty());
  EXPECT_EQ(e.Table("_PLAC.txt"), "C_PLAC\tPLAC\r\n1\tBrest\r\n");
  EXPECT_EQ(e.Table("_INDI.txt"), "");
  EXPECT_FALSE(fs::exists(e.dir / "t_INDInote.txt"));
}

TEST(ExportTables, OutputFolderOption) {
  Export e;
  TempDir ailleurs;
  ASSERT_EQ(ExportTablesCommand(e.m, e.d, ailleurs.Path()), 1);
  EXPECT_EQ(ReadBytes(ailleurs / "t_PLAC.txt"), "C_PLAC\tPLAC\r\n1\tBrest\r\n");
  EXPECT_FALSE(fs::exists(e.dir / "t_PLAC.txt"));
}

}  // namespace
}  // namespace brimsel
