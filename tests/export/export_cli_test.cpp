// End-to-end tests of the table export: the real brimsel-cli on small fixtures, each run in a
// fresh folder, the seven tables compared byte for byte with the expected files.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "support/cli_run.h"

namespace brimsel {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::RunCli;
using test::TempDir;

const char* const kSuffixes[] = {"_NAME.txt", "_SURNAME.txt",  "_PLAC.txt",   "_INDI.txt",
                                 "_FAM.txt",  "_INDInote.txt", "_FAMnote.txt"};

std::string Expected(const std::string& relative) {
  return std::string(BRIMSEL_TEST_DATA) + "/export/" + relative;
}

std::string CopyFixture(const TempDir& dir, const std::string& from, const std::string& to) {
  const std::string target = dir / to;
  fs::create_directories(fs::path(target).parent_path());
  fs::copy_file(from, target, fs::copy_options::overwrite_existing);
  return target;
}

// The seven tables `base`+suffix against those of the expected folder (`expected`+suffix),
// all of them or only those of `only`.
void ExpectTables(const test::CliRun& r, const std::string& base, const std::string& expected,
                  std::vector<const char*> only = {}) {
  if (only.empty()) only.assign(std::begin(kSuffixes), std::end(kSuffixes));
  for (const char* suffix : only) {
    EXPECT_TRUE(ReadBytes(base + suffix) == ReadBytes(Expected(expected + suffix)))
        << base + suffix << " differs from " << expected + suffix << r.Describe();
  }
}

TEST(ExportCli, GoldenTables) {
  const std::string example = std::string(BRIMSEL_SOURCE_DIR) + "/examples/famille.ged";
  struct Case {
    std::string fixture, copy;
    std::vector<std::string> args;
    std::string base, expected;
  } cases[] = {
      {Expected("cas.ged"), "cas.ged", {"convert", "--notes", "cas.ged"}, "cas", "cas/cas"},
      {Expected("cas.ged"), "in/cas.ged",
       {"convert", "--notes", "--nbref", "--indi-base", "1000", "--fam-base", "0", "-o", "out", "in/cas.ged"},
       "out/cas", "cas-nbref-bases/cas"},
      {example, "famille.ged", {"convert", "--notes", "--output-dir", "./", "famille.ged"}, "famille", "famille/famille"},
      // Bases that are not plain numbers stay at one.
      {Expected("cas.ged"), "cas.ged", {"convert", "--notes", "--indi-base", "12a", "--fam-base", "-5", "cas.ged"},
       "cas", "cas/cas"},
      // A dot in a directory name and none in the file name: the whole path is the base.
      {Expected("cas.ged"), "d.v2/cas", {"convert", "--notes", "d.v2/cas"}, "d.v2/cas", "cas/cas"},
      // Only the last extension goes.
      {Expected("cas.ged"), "two.dots/cas.old.ged", {"convert", "--notes", "two.dots/cas.old.ged"},
       "two.dots/cas.old", "cas/cas"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    CopyFixture(dir, c.fixture, c.copy);
    fs::create_directories(dir / "out");
    const test::CliRun r = RunCli(dir, c.args);
    ASSERT_EQ(r.status, 0) << r.Describe();
    ExpectTables(r, dir / c.base, c.expected);
    int tables = 0;
    for (const auto& e : fs::recursive_directory_iterator(dir.Path())) tables += e.path().extension() == ".txt";
    EXPECT_EQ(tables, 7) << r.Describe();  // nowhere but where the base says
  }
}

TEST(ExportCli, SizeReportComesBeforeTheCounts) {
  TempDir dir;
  CopyFixture(dir, Expected("cas.ged"), "cas.ged");
  const test::CliRun r = RunCli(dir, {"convert", "--notes", "cas.ged"});
  ASSERT_EQ(r.status, 0) << r.Describe();
  long long source = static_cast<long long>(fs::file_size(Expected("cas.ged"))), total = 0;
  for (const char* suffix : kSuffixes) total += static_cast<long long>(fs::file_size(Expected(std::string("cas/cas") + suffix)));
  char report[96];
  std::snprintf(report, sizeof report, "%lld Kb => %lld Kb (%.0f%%)\n", source / 1024, total / 1024,
                static_cast<double>(source - total) * 100.0 / static_cast<double>(source));
  const auto at = r.out.find(report);
  EXPECT_NE(at, std::string::npos) << "no '" << report << "'" << r.Describe();
  EXPECT_LT(at, r.out.find("\n\n510\t")) << r.Describe();
}

TEST(ExportCli, NotesBasesAndCheckOptions) {
  TempDir dir;
  CopyFixture(dir, Expected("cas.ged"), "cas.ged");
  test::CliRun r = RunCli(dir, {"convert", "--check", "cas.ged"});
  ASSERT_EQ(r.status, 0) << r.Describe();
  EXPECT_EQ(r.out.find(" Kb => "), std::string::npos) << r.Describe();
  EXPECT_FALSE(test::Exists(dir / "cas_NAME.txt")) << r.Describe();

  r = RunCli(dir, {"convert", "--indi-base", "  7", "cas.ged"});  // leading spaces are allowed
  ASSERT_EQ(r.status, 0) << r.Describe();
  const std::string indi = ReadBytes(dir / "cas_INDI.txt");
  EXPECT_EQ(indi.substr(indi.find("\r\n") + 2, 4), "7\t0\t") << r.Describe();
  // Without notes the note tables hold only their header.
  EXPECT_EQ(ReadBytes(dir / "cas_INDInote.txt"), "INDI\tNOTE\r\n") << r.Describe();
  EXPECT_EQ(ReadBytes(dir / "cas_FAMnote.txt"), "FAM\tNOTE\r\n") << r.Describe();
}

TEST(ExportCli, TableNamesTooLongForTheBufferAreRefused) {
  TempDir dir;
  // A source path that fits the 512-byte buffer, but whose table names would not.
  std::string relative = std::string(200, 'a') + "/" + std::string(200, 'b') + "/";
  const std::size_t used = dir.Path().size() + 1 + relative.size();
  ASSERT_LT(used + 20, 505u);
  relative += std::string(505 - used - 4, 'c') + ".ged";
  const std::string source = CopyFixture(dir, Expected("cas.ged"), relative);
  ASSERT_EQ(source.size(), 505u);
  const test::CliRun r = RunCli(dir, {"convert", source});
  EXPECT_EQ(r.status, 1) << r.Describe();
  EXPECT_NE(r.err.find("fichierNom"), std::string::npos) << r.Describe();
  EXPECT_EQ(r.out.find(" Kb => "), std::string::npos) << r.Describe();
  for (const auto& e : fs::recursive_directory_iterator(dir.Path())) {
    EXPECT_NE(e.path().extension(), ".txt") << e.path() << r.Describe();
  }
}

// A table that cannot be written (a full device) or opened (a folder) fails the run with the
// box that names it; the tables written before it are complete.
TEST(ExportCli, TableFailuresNameTheTable) {
  struct Case {
    const char* table;
    bool full;
    const char* box;
    std::vector<const char*> complete;
    const char* absent;
  } cases[] = {
      {"cas_FAM.txt", true, "Erreur \xC3\xA9\x63riture: cas_FAM.txt",
       {"_NAME.txt", "_SURNAME.txt", "_PLAC.txt", "_INDI.txt", "_INDInote.txt", "_FAMnote.txt"}, nullptr},
      {"cas_SURNAME.txt", true, "Erreur \xC3\xA9\x63riture: cas_SURNAME.txt", {"_NAME.txt"}, "cas_PLAC.txt"},
      {"cas_FAM.txt", false, "Erreur ouverture: cas_FAM.txt", {"_NAME.txt", "_SURNAME.txt", "_PLAC.txt"},
       "cas_INDInote.txt"},
  };
  for (const Case& c : cases) {
    if (c.full && !fs::exists("/dev/full")) continue;
    TempDir dir;
    CopyFixture(dir, Expected("cas.ged"), "cas.ged");
    if (c.full) {
      fs::create_symlink("/dev/full", dir / c.table);
    } else {
      fs::create_directory(dir / c.table);  // not openable for writing, even by root
    }
    const test::CliRun r = RunCli(dir, {"convert", "--notes", "cas.ged"});
    EXPECT_EQ(r.status, 1) << r.Describe();
    EXPECT_NE(r.err.find(c.box), std::string::npos) << r.Describe();
    EXPECT_EQ(r.out.find(" Kb => "), std::string::npos) << r.Describe();
    ExpectTables(r, dir / "cas", "cas/cas", c.complete);
    EXPECT_TRUE(c.absent == nullptr || !test::Exists(dir / c.absent)) << c.absent << r.Describe();
    EXPECT_TRUE(c.full || ReadBytes(dir / "cas_INDI.txt").empty()) << r.Describe();
  }
}

TEST(ExportCli, UsageNamesTheExportOptions) {
  TempDir dir;
  const test::CliRun help = RunCli(dir, {"convert", "--help"});
  EXPECT_EQ(help.status, 0) << help.Describe();
  for (const char* option : {"--nbref", "--indi-base TEXT", "--fam-base TEXT", "-o, --output-dir DIR", "--check"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option << help.Describe();
  }
  const test::CliRun missing = RunCli(dir, {"convert", "x.ged", "--indi-base"});
  EXPECT_EQ(missing.status, 2) << missing.Describe();
  EXPECT_NE(missing.err.find("'--indi-base' needs a value"), std::string::npos) << missing.Describe();
}

}  // namespace
}  // namespace brimsel
