// The panel's commands: fields to options, count fields and messages, boxes on failures.
#include "ui/commands.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/byte_source.h"
#include "support/fake_dialog.h"
#include "support/temp_dir.h"
#include "ui/count_fields.h"

namespace brimsel {
namespace {

namespace fs = std::filesystem;
using test::FakeDialog;
using Lines = std::vector<std::string>;

const char kFamily[] =
    "0 HEAD\n0 @I1@ INDI\n1 NAME Jean /Dupont/\n1 SEX M\n1 FAMS @F1@\n1 BIRT\n2 DATE 1 JAN 1900\n"
    "0 @I2@ INDI\n1 SEX F\n1 FAMS @F1@\n1 NOTE n\n0 @I3@ INDI\n1 FAMC @F1@\n"
    "0 @F1@ FAM\n1 HUSB @I1@\n1 WIFE @I2@\n1 CHIL @I3@\n0 TRLR\n";

TEST(Commands, ConversionFillsTheCountFieldsTheMessagesAndTheStatus) {
  test::TempDir dir;
  test::WriteBytes(dir / "f.ged", kFamily);
  GedcomModel m;
  FakeDialog d;
  d.checked.insert(ctl::kIncludeNotes);
  d.messages = {"line of an earlier run"};
  d.WillChoose(dir / "f.ged");
  ASSERT_EQ(ReadGedcomCommand(m, d), 1);
  EXPECT_EQ(d.titles, Lines{"FIchier source"});
  EXPECT_EQ(d.resets, 1);
  EXPECT_EQ(d.statuses, (Lines{"Passe 1", "Passe 2", "Codes INDI", "Codes FAM", "Passe 3", "<idle>"}));
  EXPECT_EQ(d.messages, (Lines{"maxunion 1, maxenfant 1", "1 pr\xE9noms, 1 noms, 0 places."}));
  EXPECT_EQ(d.Field(ctl::kFileLabel), dir / "f.ged");
  // The line counter is emptied at the start of passes 1 and 2, and counts the lines of pass 3.
  Lines counter;
  for (const auto& [id, text] : d.fieldHistory) {
    if (id == ctl::kLineCounter) counter.push_back(text);
  }
  EXPECT_EQ(counter, (Lines{"", "", "0", "0", "18"}));
  for (const CountField& f : kCountFields) {
    EXPECT_EQ(d.Field(f.id), std::to_string(f.count ? m.counts.*f.count : 0)) << f.label;
  }
  EXPECT_EQ(d.Field(ctl::kIndiTotal) + d.Field(ctl::kBirthDate) + d.Field(ctl::kNoteIndi), "311");
}

// No individual: the totals stay empty, no box; a read failure: "Erreur lecture"; a cancelled
// or unreadable choice changes nothing.
TEST(Commands, FailedConversions) {
  GedcomModel m;
  FakeDialog d;
  StringSource none("0 @F1@ FAM\n0 TRLR\n");
  EXPECT_EQ(ConvertChosenSource(m, d, none, "x.ged").outcome, ConversionOutcome::kNoIndividual);
  EXPECT_EQ(d.Field(ctl::kIndiTotal) + d.Field(ctl::kFileLabel), "<unset>");
  EXPECT_TRUE(d.boxes.empty());
  EXPECT_EQ(d.messages, Lines{"Aucun individu trouv\xE9!"});

  const std::unique_ptr<FileSource> source = FileSource::Open("/proc/self/mem");  // reads fail
  ASSERT_TRUE(source);
  EXPECT_TRUE(ConvertChosenSource(m, d, *source, "/tmp/x.ged").ReadFailed());
  ASSERT_EQ(d.boxes.size(), 1u);
  EXPECT_EQ(d.boxes[0].text + "|" + d.boxes[0].caption, "/tmp/x.ged|Erreur lecture");
  EXPECT_EQ(d.boxes[0].icon, MessageIcon::kError);
  EXPECT_EQ(d.statuses.back(), "<idle>");

  m.Clear();
  m.sourcePath = "previous.ged";
  FakeDialog chooser;
  for (const char* path : {"", "/nonexistent/x.ged", "/tmp"}) {
    chooser.WillChoose(path, *path != '\0');
    EXPECT_EQ(ReadGedcomCommand(m, chooser), 0);
    EXPECT_EQ(m.sourcePath, "previous.ged");
  }
  EXPECT_EQ(chooser.resets, 0);
  EXPECT_TRUE(chooser.boxes.empty());
}

// "Convertir..." reads "nb ref", "INDI+", "FAM +" and "SQLite"; a base that is not a plain
// number leaves the last export's base alone.
TEST(Commands, ExportReadsItsFieldsAndBoxes) {
  const std::pair<const char*, std::optional<int>> bases[] = {
      {"  1000", 1000}, {"2147483647", 2147483647}, {"-5", {}}, {"", {}}, {"12 ", {}}, {"2147483648", {}}};
  test::TempDir dir;
  test::WriteBytes(dir / "f.ged", kFamily);
  GedcomModel m;
  FakeDialog d;
  d.WillChoose(dir / "f.ged");
  ASSERT_EQ(ReadGedcomCommand(m, d), 1);
  d.fields[ctl::kFamBase] = "50";
  d.checked.insert(ctl::kRefCounts);
  NumberingBases last;
  for (const auto& [text, base] : bases) {
    last = {7, 7};
    d.fields[ctl::kIndiBase] = text;
    ASSERT_EQ(ExportTablesCommand(m, d, last), 1) << text;
    EXPECT_EQ(last.individuals, base.value_or(7)) << text;
    EXPECT_EQ(last.unions, 50) << text;
    EXPECT_EQ(test::ReadBytes(dir / "f_NAME.txt"), "C_NAME\tNBREF\tNAME\r\n1\t1\tDupont\r\n");
  }
  EXPECT_FALSE(test::Exists(dir / "f.sqlite"));
  d.checked.insert(ctl::kSqlite);
  ASSERT_EQ(ExportTablesCommand(m, d, last), 1);
  EXPECT_TRUE(fs::is_regular_file(dir / "f.sqlite"));
  EXPECT_TRUE(d.boxes.empty());
  // A database or a table that cannot be created, or no name for the tables: a box.
  fs::remove(dir / "f.sqlite");
  fs::create_directory(dir / "f.sqlite");
  EXPECT_EQ(ExportTablesCommand(m, d, last), 0);
  fs::remove(dir / "f_PLAC.txt");
  fs::create_directory(dir / "f_PLAC.txt");
  EXPECT_EQ(ExportTablesCommand(m, d, last), 0);
  m.sourcePath.reset();
  EXPECT_EQ(ExportTablesCommand(m, d, last), 0);
  Lines boxes;
  for (const auto& box : d.boxes) {
    boxes.push_back(box.text + "|" + box.caption);
    EXPECT_EQ(box.icon, MessageIcon::kError);
  }
  EXPECT_EQ(boxes, (Lines{dir / "f.sqlite|Erreur \xE9\x63riture",
                          dir / "f_PLAC.txt|Erreur ouverture", "fichierNom|Erreur ouverture"}));
}

TEST(Commands, ToolsAskWithTheirTitleAndWriteBeside) {
  test::TempDir dir;
  test::WriteBytes(dir / "a.csv", "\"a\",\"b\"\r\n");
  test::WriteBytes(dir / "a.ged", "1 NAME MARIE-ANNE /X/\r\n");
  fs::create_directory(dir / "b.ged.txt");
  test::WriteBytes(dir / "b.ged", "");
  FakeDialog d;
  d.WillChoose(dir / "a.csv");
  EXPECT_EQ(StripCommand(d), 5);
  d.WillChoose(dir / "a.ged");
  ProperNameCommand(d);
  d.WillChoose(dir / "absent.csv");
  EXPECT_EQ(StripCommand(d), -1);
  d.WillChoose(dir / "a.csv", false);
  EXPECT_EQ(StripCommand(d), -1);
  ProperNameCommand(d);
  EXPECT_EQ(d.titles, (Lines{"Strip TXT", "FIchier Nom Propre", "Strip TXT", "Strip TXT", "FIchier Nom Propre"}));
  EXPECT_EQ(test::ReadBytes(dir / "a.csv.txt"), "a\tb\r\n");
  EXPECT_EQ(test::ReadBytes(dir / "a.ged.txt"), "1 NAME Marie-Anne /X/\r\n");
  EXPECT_TRUE(d.boxes.empty());
  d.WillChoose(dir / "b.ged");
  ProperNameCommand(d);
  ASSERT_EQ(d.boxes.size(), 1u);
  EXPECT_EQ(d.boxes[0].text, dir / "b.ged.txt");
}

}  // namespace
}  // namespace brimsel
