// End-to-end tests of the table export: the real brimsel-cli on small fixtures, each run in a
// fresh folder, the seven tables compared byte for byte with the expected files.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "export/export_test_support.h"

namespace brimsel {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempDir;

const char* const kSuffixes[] = {"_NAME.txt", "_SURNAME.txt",  "_PLAC.txt",   "_INDI.txt",
                                 "_FAM.txt",  "_INDInote.txt", "_FAMnote.txt"};

std::string Expected(const std::string& relative) {
  return std::string(BRIMSEL_TEST_DATA) + "/export/" + relative;
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += (c == '\'') ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// One run of brimsel-cli inside a test folder.
struct CliRun {
  std::string command;
  std::string folder;
  int status = -1;
  std::string out, err;

  // What a failing test prints: enough to repeat the run by hand.
  std::string Describe() const {
    return "\n  command: " + command + "\n  folder:  " + folder +
           "\n  status:  " + std::to_string(status) + "\n  stdout:\n" + out + "\n  stderr:\n" + err;
  }
};

CliRun RunCli(const TempDir& dir, const std::vector<std::string>& args) {
  CliRun r;
  r.folder = dir.Path();
  r.command = Quote(BRIMSEL_CLI);
  for (const std::string& a : args) r.command += " " + Quote(a);
  const std::string out = dir / ".stdout", err = dir / ".stderr";
  const std::string shell =
      "cd " + Quote(dir.Path()) + " && " + r.command + " >" + Quote(out) + " 2>" + Quote(err);
  const int raw = std::system(shell.c_str());
  r.status = (raw != -1 && WIFEXITED(raw)) ? WEXITSTATUS(raw) : -1;
  r.out = ReadBytes(out);
  r.err = ReadBytes(err);
  fs::remove(out);
  fs::remove(err);
  return r;
}

// Compares the seven tables `base`+suffix with those of the expected folder `expected`
// (holding `expectedBase`+suffix).
void ExpectTables(const CliRun& r, const std::string& base, const std::string& expected,
                  const std::string& expectedBase) {
  for (const char* suffix : kSuffixes) {
    const std::string got = ReadBytes(base + suffix);
    const std::string want = ReadBytes(Expected(expected + "/" + expectedBase + suffix));
    EXPECT_TRUE(got == want) << base + suffix << " differs from " << expected << "/" << expectedBase
                             << suffix << "\n--- got:\n"
                             << got << "\n--- expected:\n"
                             << want << r.Describe();
  }
}

// The size report line that a source of `source` bytes and these tables give.
std::string Report(const std::string& source, const std::string& expected,
                   const std::string& expectedBase) {
  long long taille = static_cast<long long>(fs::file_size(source));
  long long total = 0;
  for (const char* suffix : kSuffixes) {
    total +=
        static_cast<long long>(fs::file_size(Expected(expected + "/" + expectedBase + suffix)));
  }
  char line[96];
  std::snprintf(line, sizeof line, "%lld Kb => %lld Kb (%.0f%%)", taille / 1024, total / 1024,
                static_cast<double>(taille - total) * 100.0 / static_cast<double>(taille));
  return line;
}

std::string CopyFixture(const TempDir& dir, const std::string& from, const std::string& to) {
  const std::string target = dir / to;
  fs::create_directories(fs::path(target).parent_path());
  fs::copy_file(from, target, fs::copy_options::overwrite_existing);
  return target;
}

TEST(ExportCli, WritesTheSevenTablesBesideTheSource) {
  TempDir dir;
  CopyFixture(dir, Expected("cas.ged"), "cas.ged");
  const CliRun r = RunCli(dir, {"convert", "--notes", "cas.ged"});
  ASSERT_EQ(r.status, 0) << r.Describe();
  ExpectTables(r, dir / "cas", "cas", "cas");
  // The report comes with the other message lines, before the counts.
  const std::string report = Report(Expected("cas.ged"), "cas", "cas");
  const auto at = r.out.find(report + "\n");
  EXPECT_NE(at, std::string::npos) << "no '" << report << "'" << r.Describe();
  EXPECT_LT(at, r.out.find("\n\n510\t")) << r.Describe();
}

TEST(ExportCli, ReferenceCountsOtherBasesAndAnOutputFolder) {
  TempDir dir;
  CopyFixture(dir, Expected("cas.ged"), "in/cas.ged");
  fs::create_directory(dir / "out");
  const CliRun r = RunCli(dir, {"convert", "--notes", "--nbref", "--indi-base", "1000",
                                "--fam-base", "0", "-o", "out", "in/cas.ged"});
  ASSERT_EQ(r.status, 0) << r.Describe();
  ExpectTables(r, dir / "out/cas", "cas-nbref-bases", "cas");
  EXPECT_FALSE(fs::exists(dir / "in/cas_INDI.txt")) << r.Describe();
}

TEST(ExportCli, BundledExample) {
  TempDir dir;
  CopyFixture(dir, std::string(BRIMSEL_SOURCE_DIR) + "/examples/famille.ged", "famille.ged");
  const CliRun r =
      RunCli(dir, {"convert", "--notes", "--output-dir", dir.Path() + "/", dir / "famille.ged"});
  ASSERT_EQ(r.status, 0) << r.Describe();
  ExpectTables(r, dir / "famille", "famille", "famille");
}

TEST(ExportCli, BasesThatAreNotPlainNumbersStayAtOne) {
  TempDir dir;
  CopyFixture(dir, Expected("cas.ged"), "cas.ged");
  for (const char* base : {"-5", "12a", "", "2147483648", "+3"}) {
    const CliRun r =
        RunCli(dir, {"convert", "--notes", "--indi-base", base, "--fam-base", base, "cas.ged"});
    ASSERT_EQ(r.status, 0) << r.Describe();
    ExpectTables(r, dir / "cas", "cas", "cas");
  }
  // Leading spaces are allowed.
  const CliRun r = RunCli(dir, {"convert", "--indi-base", "  7", "cas.ged"});
  ASSERT_EQ(r.status, 0) << r.Describe();
  const std::string indi = ReadBytes(dir / "cas_INDI.txt");
  EXPECT_EQ(indi.substr(indi.find("\r\n") + 2, 4), "7\t0\t") << r.Describe();
}

TEST(ExportCli, WithoutNotesTheNoteTablesHoldOnlyTheirHeader) {
  TempDir dir;
  CopyFixture(dir, Expected("cas.ged"), "cas.ged");
  const CliRun r = RunCli(dir, {"convert", "cas.ged"});
  ASSERT_EQ(r.status, 0) << r.Describe();
  EXPECT_EQ(ReadBytes(dir / "cas_INDInote.txt"), "INDI\tNOTE\r\n") << r.Describe();
  EXPECT_EQ(ReadBytes(dir / "cas_FAMnote.txt"), "FAM\tNOTE\r\n") << r.Describe();
  EXPECT_EQ(ReadBytes(dir / "cas_INDI.txt"), ReadBytes(Expected("cas/cas_INDI.txt")));
}

TEST(ExportCli, CheckWritesNoTable) {
  TempDir dir;
  CopyFixture(dir, Expected("cas.ged"), "cas.ged");
  const CliRun r = RunCli(dir, {"convert", "--check", "cas.ged"});
  ASSERT_EQ(r.status, 0) << r.Describe();
  EXPECT_EQ(r.out.find(" Kb => "), std::string::npos) << r.Describe();
  for (const char* suffix : kSuffixes)
    EXPECT_FALSE(fs::exists(dir / (std::string("cas") + suffix)));
}

TEST(ExportCli, OutputNamesCutOnlyTheFileNameExtension) {
  TempDir dir;
  // A dot in a directory name and none in the file name: the whole path is the base.
  CopyFixture(dir, Expected("cas.ged"), "d.v2/cas");
  CliRun r = RunCli(dir, {"convert", "--notes", "d.v2/cas"});
  ASSERT_EQ(r.status, 0) << r.Describe();
  ExpectTables(r, dir / "d.v2/cas", "cas", "cas");
  EXPECT_FALSE(fs::exists(dir / "d_INDI.txt")) << r.Describe();

  // Only the last extension goes.
  CopyFixture(dir, Expected("cas.ged"), "two.dots/cas.old.ged");
  r = RunCli(dir, {"convert", "--notes", "two.dots/cas.old.ged"});
  ASSERT_EQ(r.status, 0) << r.Describe();
  EXPECT_EQ(ReadBytes(dir / "two.dots/cas.old_INDI.txt"), ReadBytes(Expected("cas/cas_INDI.txt")))
      << r.Describe();
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
  const CliRun r = RunCli(dir, {"convert", source});
  EXPECT_EQ(r.status, 1) << r.Describe();
  EXPECT_NE(r.err.find("fichierNom"), std::string::npos) << r.Describe();
  EXPECT_EQ(r.out.find(" Kb => "), std::string::npos) << r.Describe();
  for (const auto& e : fs::recursive_directory_iterator(dir.Path())) {
    EXPECT_NE(e.path().extension(), ".txt") << e.path() << r.Describe();
  }
}

TEST(ExportCli, WriteFailureOfARowTableFailsTheRun) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  TempDir dir;
  CopyFixture(dir, Expected("cas.ged"), "cas.ged");
  fs::create_symlink("/dev/full", dir / "cas_FAM.txt");
  const CliRun r = RunCli(dir, {"convert", "--notes", "cas.ged"});
  EXPECT_EQ(r.status, 1) << r.Describe();
  // The box names the table as the source path gives it.
  EXPECT_NE(r.err.find("Erreur \xC3\xA9\x63riture: cas_FAM.txt"), std::string::npos)
      << r.Describe();
  EXPECT_EQ(r.out.find(" Kb => "), std::string::npos) << r.Describe();
  // The tables that could be written are complete.
  for (const char* suffix :
       {"_NAME.txt", "_SURNAME.txt", "_PLAC.txt", "_INDI.txt", "_INDInote.txt", "_FAMnote.txt"}) {
    EXPECT_EQ(ReadBytes(dir / (std::string("cas") + suffix)),
              ReadBytes(Expected(std::string("cas/cas") + suffix)))
        << suffix << r.Describe();
  }
}

TEST(ExportCli, WriteFailureOfACodeListStopsTheExport) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
  TempDir dir;
  CopyFixture(dir, Expected("cas.ged"), "cas.ged");
  fs::create_symlink("/dev/full", dir / "cas_SURNAME.txt");
  const CliRun r = RunCli(dir, {"convert", "cas.ged"});
  EXPECT_EQ(r.status, 1) << r.Describe();
  EXPECT_NE(r.err.find("Erreur \xC3\xA9\x63riture: cas_SURNAME.txt"), std::string::npos)
      << r.Describe();
  EXPECT_EQ(ReadBytes(dir / "cas_NAME.txt"), ReadBytes(Expected("cas/cas_NAME.txt")));
  EXPECT_FALSE(fs::exists(dir / "cas_PLAC.txt")) << r.Describe();
  EXPECT_FALSE(fs::exists(dir / "cas_INDI.txt")) << r.Describe();
}

TEST(ExportCli, TableThatCannotBeOpenedLeavesTheEarlierRowTablesEmpty) {
  TempDir dir;
  CopyFixture(dir, Expected("cas.ged"), "cas.ged");
  fs::create_directory(dir / "cas_FAM.txt");  // not openable for writing, even by root
  const CliRun r = RunCli(dir, {"convert", "--notes", "cas.ged"});
  EXPECT_EQ(r.status, 1) << r.Describe();
  EXPECT_NE(r.err.find("Erreur ouverture: cas_FAM.txt"), std::string::npos) << r.Describe();
  for (const char* suffix : {"_NAME.txt", "_SURNAME.txt", "_PLAC.txt"}) {
    EXPECT_EQ(ReadBytes(dir / (std::string("cas") + suffix)),
              ReadBytes(Expected(std::string("cas/cas") + suffix)))
        << suffix << r.Describe();
  }
  EXPECT_EQ(ReadBytes(dir / "cas_INDI.txt"), "") << r.Describe();
  EXPECT_FALSE(fs::exists(dir / "cas_INDInote.txt")) << r.Describe();
}

TEST(ExportCli, MissingOutputFolderIsAnOpenError) {
  TempDir dir;
  CopyFixture(dir, Expected("cas.ged"), "cas.ged");
  const CliRun r = RunCli(dir, {"convert", "-o", "nowhere", "cas.ged"});
  EXPECT_EQ(r.status, 1) << r.Describe();
  EXPECT_NE(r.err.find("Erreur ouverture: nowhere/cas_NAME.txt"), std::string::npos)
      << r.Describe();
}

TEST(ExportCli, UsageNamesTheExportOptions) {
  TempDir dir;
  const CliRun help = RunCli(dir, {"convert", "--help"});
  EXPECT_EQ(help.status, 0) << help.Describe();
  for (const char* option :
       {"--nbref", "--indi-base TEXT", "--fam-base TEXT", "-o, --output-dir DIR", "--check"}) {
    EXPECT_NE(help.out.find(option), std::string::npos) << option << help.Describe();
  }
  const CliRun missing = RunCli(dir, {"convert", "x.ged", "--indi-base"});
  EXPECT_EQ(missing.status, 2) << missing.Describe();
  EXPECT_NE(missing.err.find("'--indi-base' needs a value"), std::string::npos)
      << missing.Describe();
}

}  // namespace
}  // namespace brimsel
