// End-to-end tests of the table export: the real brimsel-cli on small fixtures, each run in a
// fresh folder, the seven tables compared byte for byte with the expected files.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "export/tables.h"
#include "support/cli_run.h"

namespace brimsel {
namespace {

namespace fs = std::filesystem;
using test::CopyInto;
using test::ReadBytes;
using test::RunCli;
using test::TempDir;

const std::string kCas = BRIMSEL_TEST_DATA "/export/cas.ged";

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
      {BRIMSEL_SOURCE_DIR "/examples/famille.ged", "famille.ged",
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

// A table that cannot be written (a full device) fails the run with the box that names it; the
// tables written before and after it are complete.
TEST(ExportCli, WriteFailureNamesTheTable) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  TempDir dir;
  CopyInto(dir, kCas, "cas.ged");
  fs::create_symlink("/dev/full", dir / "cas_FAM.txt");
  const test::CliRun r = RunCli(dir, {"convert", "--notes", "cas.ged"});
  EXPECT_EQ(r.status, 1) << r.Describe();
  EXPECT_NE(r.err.find("Erreur \xC3\xA9\x63riture: cas_FAM.txt"), std::string::npos) << r.Describe();
  EXPECT_EQ(r.out.find(" Kb => "), std::string::npos) << r.Describe();
  ExpectTables(r, dir / "cas", "cas/cas",
               {"_NAME.txt", "_SURNAME.txt", "_PLAC.txt", "_INDI.txt", "_INDInote.txt", "_FAMnote.txt"});
}

}  // namespace
}  // namespace brimsel
