// brimsel-cli in a fresh folder: usage, exit statuses, report, sets by name, file faults, the
// seven tables byte for byte, the strip and capital commands.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "export/export.h"
#include "support/cli_run.h"
#include "ui/count_fields.h"

namespace brimsel {
namespace {

namespace fs = std::filesystem;
using test::CopyInto;
using test::ReadBytes;
using test::RunCli;
using test::TempDir;
using test::WriteBytes;

const std::string kExample = std::string(BRIMSEL_SOURCE_DIR) + "/examples/famille.ged";
const std::string kCas = BRIMSEL_TEST_DATA "/export/cas.ged";

TEST(Cli, UsageErrorsExitWithTwo) {
  TempDir dir;
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{}, ""}, {{"frobnicate"}, ""}, {{"convert"}, ""}, {{"convert", "--bogus", "x.ged"}, ""},
      {{"convert", "a", "b"}, ""}, {{"convert", "x.ged", "--indi-base"}, "'--indi-base' needs a value"},
      {{"convert", "--encoding", "ebcdic-cp-us", "x.ged"}, "cannot be used, as the GEDCOM lines"},
      {{"convert", "--encoding", "klingon", "x.ged"}, "unknown character set 'klingon' (brimsel-cli --list-encodings"},
      {{"convert", "--oem", "--encoding", "cp437", "x.ged"}, "--oem means code page 850"},
      {{"convert", "--output-encoding", "latin9", "x.ged"}, "--output-encoding takes utf-8 or windows-1252"},
      {{"convert", "--threads", "0", "x.ged"}, "--threads"},
      {{"strip"}, "Usage: brimsel-cli"}, {{"capital", "--bogus", "x"}, "Usage: brimsel-cli"},
      {{"strip", "a", "b"}, "Usage: brimsel-cli"}, {{"capital", "x", "-o"}, "Usage: brimsel-cli"}};
  for (const auto& [args, says] : cases) {
    const test::CliRun r = RunCli(dir, args);
    EXPECT_EQ(r.status, 2) << r.Describe();
    EXPECT_NE(r.err.find(says), std::string::npos) << r.Describe();
    EXPECT_FALSE(r.err.empty()) << r.Describe();
  }
}

TEST(Cli, ReportOfAConversion) {
  TempDir dir;
  WriteBytes(dir / "f.ged",
             "0 @I1@ INDI\r\n1 NAME Ren\xE9 /Qu\xE9r\xE9/\r\n1 SEX F\r\n1 FAMS @F1@\r\n"
             "0 @F1@ FAM\r\n1 HUSB @I1@\r\n0 TRLR\r\n");
  const test::CliRun r = RunCli(dir, {"convert", "--check", "f.ged"});
  ASSERT_EQ(r.status, 0) << r.Describe();
  std::string counts;
  for (const CountField& f : kCountFields) {
    const int value = f.id == ctl::kIndiTotal || f.id == ctl::kFamTotal ? 1 : f.id == ctl::kErrors ? 2 : 0;
    counts += std::to_string(f.id) + "\t" + f.label + "\t" + std::to_string(value) + "\n";
  }
  EXPECT_EQ(r.out,
            "maxunion 1, maxenfant 0\nerreur sexe ÉPOUX(0) 0\najout ÉPOUSE(-1) 0\n"
            "erreur FAMS retro @F1@ (0) -1\n1 INDI ajoutés\n1 prénoms, 1 noms, 0 places.\n\n" + counts)
      << r.Describe();
  EXPECT_EQ(r.err, "");  // no progress when stderr is not a terminal
  EXPECT_FALSE(test::Exists(dir / "f_NAME.txt"));  // --check writes no table
}

// A set chosen by name: a file that says ANSI and holds Windows-1250; the names of the sets.
TEST(Cli, ChosenCharacterSet) {
  TempDir dir;
  WriteBytes(dir / "f.ged", "0 HEAD\n1 CHAR ANSI\n0 @I1@ INDI\n1 NAME Ivan /Buri\xE6/\n0 TRLR\n");
  test::CliRun r = RunCli(dir, {"convert", "--encoding", "WINDOWS-1250", "f.ged"});
  ASSERT_EQ(r.status, 0) << r.Describe();
  EXPECT_EQ(test::ReadBytes(dir / "f_NAME.txt"), "C_NAME\tNAME\r\n1\tBuri\u0107\r\n") << r.Describe();
  EXPECT_EQ(RunCli(dir, {"convert", "--oem", "--encoding", "cp850", "f.ged"}).status, 0);  // the same set
  r = RunCli(dir, {"--list-encodings"});
  EXPECT_EQ(r.status, 0) << r.Describe();
  EXPECT_NE(r.out.find("\nwindows-1250\nwindows-1251\n"), std::string::npos) << r.Describe();
}

// Faults around the files: the program must fail cleanly with one line, never hang, never
// report success.
TEST(Cli, FailuresExitWithOneAndSayWhy) {
  TempDir dir;
  WriteBytes(dir / "noindi.ged", "0 HEAD\n0 TRLR\n");
  fs::create_directory(dir / "folder.ged");
  ASSERT_EQ(::mkfifo((dir / "pipe.ged").c_str(), 0600), 0);
  fs::copy_file(kExample, dir / "famille.ged");
  fs::create_directories(dir / "tables/famille_PLAC.txt");
  fs::create_directories(dir / "database/famille.sqlite");
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"convert", "--check", "missing.ged"}, "missing.ged"},
      {{"convert", "--check", "folder.ged"}, "directory"},
      {{"convert", "--check", "noindi.ged"}, "Aucun individu trouvé!"},
      {{"convert", "--check", std::string(600, 'x') + ".ged"}, "path longer than 511 bytes"},
      {{"convert", "--check", "pipe.ged"}, "not a regular file"},  // must not wait for a writer
      {{"convert", "--check", "/proc/self/mem"}, "read error"},    // reading fails midway
      // Files cannot be created in /proc, not even by root; no size report after a failure.
      {{"convert", "-o", "/proc", "famille.ged"}, "Erreur ouverture: /proc/famille_NAME.txt"},
      // A folder in the way of an output: the line names it, with the cause.
      {{"convert", "-o", "tables", "famille.ged"},
       "tables not written: Erreur ouverture: tables/famille_PLAC.txt (Is a directory)\n"},
      {{"convert", "--format", "sqlite", "-o", "database", "famille.ged"},
       "database not written: Erreur \xC3\xA9" "criture: database/famille.sqlite (Is a directory)\n"},
      {{"convert", "-o", "/" + std::string(505, 'd'), "famille.ged"},
       ": cannot name the tables after 'famille.ged': a table path would be longer than 511 bytes\n"},
  };
  for (const auto& [args, says] : cases) {
    const test::CliRun r = RunCli(dir, args);
    EXPECT_EQ(r.status, 1) << r.Describe();
    EXPECT_NE(r.err.find(says), std::string::npos) << r.Describe();
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line" << r.Describe();
    EXPECT_EQ(r.out.find("Kb =>"), std::string::npos) << r.Describe();
  }
}

TEST(Cli, InputPathAtTheLimit) {
  TempDir dir;
  // 511 bytes is the longest path the shared buffer holds; directories keep each name short.
  std::string rel;
  while (dir.Path().size() + 1 + rel.size() + 100 < 511) rel += std::string(90, 'd') + "/";
  const std::size_t room = 511 - dir.Path().size() - 1 - rel.size();
  fs::create_directories(dir / rel);
  const std::string full = dir / (rel + std::string(room - 4, 'f') + ".ged");
  ASSERT_EQ(full.size(), 511u);
  for (const std::string& path : {full, full.substr(0, 507) + "x.ged"}) {
    WriteBytes(path, "0 @I1@ INDI\n1 SEX M\n0 TRLR\n");
    const test::CliRun r = RunCli(dir, {"convert", "--check", path});
    EXPECT_EQ(r.status, path == full ? 0 : 1) << r.Describe();
  }
}

// The tables `base`+suffix against those of the expected folder, all of them or those of `only`.
void ExpectTables(const test::CliRun& r, const std::string& base, const std::string& expected,
                  std::vector<const char*> only = {}) {
  if (only.empty()) only.assign(std::begin(kTableSuffixes), std::end(kTableSuffixes));
  for (const char* suffix : only) {
    EXPECT_TRUE(ReadBytes(base + suffix) == ReadBytes(BRIMSEL_TEST_DATA "/export/" + expected + suffix))
        << base + suffix << " differs from " << expected + suffix << r.Describe();
  }
}

TEST(ExportCli, GoldenTables) {
  struct Case {
    std::string fixture, copy;
    std::vector<std::string> args;
    std::string base, expected;
  } cases[] = {
      {kCas, "cas.ged", {"convert", "--notes", "cas.ged"}, "cas", "cas/cas"},
      {kCas, "in/cas.ged",
       {"convert", "--notes", "--nbref", "--indi-base", "1000", "--fam-base", "0", "-o", "out", "in/cas.ged"},
       "out/cas", "cas-nbref-bases/cas"},
      {kExample, "famille.ged",
       {"convert", "--notes", "--output-dir", "./", "famille.ged"}, "famille", "famille/famille"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    CopyInto(dir, c.fixture, c.copy);
    fs::create_directories(dir / "out");
    const test::CliRun r = RunCli(dir, c.args);
    ASSERT_EQ(r.status, 0) << r.Describe();
    ExpectTables(r, dir / c.base, c.expected);
    int tables = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir.Path())) tables += e.path().extension() == ".txt";
    EXPECT_EQ(tables, 7) << r.Describe();  // nowhere but where the base says
  }
}

TEST(ToolsCli, OutputsBesideTheInputOrWhereTheOptionSays) {
  TempDir dir;
  const std::string data = BRIMSEL_TEST_DATA "/tools/";
  WriteBytes(dir / "famille.ged", ReadBytes(data + "famille.ged"));
  WriteBytes(dir / "export.csv", "\"Dupont\",\"Jean\",\"Lyon\"\r\n\"a\",1,\"b\"\r\n");
  struct Case {
    std::vector<std::string> args;
    const char* output;
    std::string written;
  } cases[] = {
      {{"capital", "famille.ged"}, "famille.ged.txt", ReadBytes(data + "famille.ged.expected")},
      {{"capital", "-o", "out.ged", "famille.ged"}, "out.ged", ReadBytes(data + "famille.ged.expected")},
      {{"strip", "export.csv", "--output", "out.tsv"}, "out.tsv", "Dupont\tJean\tLyon\r\na,1,b\r\n"},
  };
  for (const Case& c : cases) {
    const test::CliRun r = RunCli(dir, c.args);
    ASSERT_EQ(r.status, 0) << r.Describe();
    EXPECT_EQ(r.err, "") << r.Describe();
    EXPECT_TRUE(ReadBytes(dir / c.output) == c.written) << r.Describe();
  }
}

// Failures exit with 1 and one line that says why.
TEST(ToolsCli, Failures) {
  TempDir dir;
  WriteBytes(dir / "e.csv", "\"a\",\"b\"");
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"strip", "absent.csv"}, "strip: cannot read 'absent.csv' (No such file or directory)"},
      {{"capital", "-o", "/dev/full", "e.csv"}, "capital: Erreur \xC3\xA9" "criture: /dev/full"},
      {{"strip", "-o", "no/such/dir.txt", "e.csv"}, "strip: Erreur ouverture: no/such/dir.txt ("},
      {{"capital", "-o", "e.csv", "e.csv"}, "capital: 'e.csv' is the input file itself"},
  };
  for (const auto& [args, says] : cases) {
    if (args.size() > 2 && args[2] == "/dev/full" && !test::Exists("/dev/full")) continue;
    const test::CliRun r = RunCli(dir, args);
    EXPECT_EQ(r.status, 1) << r.Describe();
    EXPECT_EQ(r.err.rfind(std::string("brimsel-cli: ") + says, 0), 0u) << r.Describe();
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.Describe();
  }
  EXPECT_EQ(ReadBytes(dir / "e.csv"), "\"a\",\"b\"");
  EXPECT_FALSE(test::Exists(dir / "absent.csv.txt"));
}

}  // namespace
}  // namespace brimsel
