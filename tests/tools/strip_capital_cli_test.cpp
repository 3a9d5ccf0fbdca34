// Runs brimsel-cli strip and capital in a fresh folder: outputs, exit statuses, error lines.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "scratch_dir.h"

namespace brimsel {
namespace {

using test::ReadFile;
using test::WriteFile;

struct CliRun {
  int status = -1;
  std::string out, err, command;
};

std::string Quoted(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

class CliTest : public ::testing::Test {
 protected:
  // Runs brimsel-cli with `args` inside the scratch folder; `env` is put before the command.
  CliRun Cli(const std::vector<std::string>& args, const std::string& env = "") {
    CliRun r;
    r.command = "cd " + Quoted(dir.path()) + " && " + env + " " + Quoted(BRIMSEL_CLI);
    for (const std::string& a : args) r.command += " " + Quoted(a);
    int raw = std::system((r.command + " >.stdout 2>.stderr").c_str());
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = ReadFile(dir / ".stdout");
    r.err = ReadFile(dir / ".stderr");
    return r;
  }
  // Context printed with a failed expectation.
  static std::string Show(const CliRun& r) {
    return "command: " + r.command + "\nstatus: " + std::to_string(r.status) + "\nstdout:\n" +
           r.out + "\nstderr:\n" + r.err;
  }

  test::ScratchDir dir;
};

TEST_F(CliTest, StripWritesBesideTheInputAndLogsItsLength) {
  WriteFile(dir / "export.csv", "\"Dupont\",\"Jean\",\"Lyon\"\r\n\"a\",1,\"b\"\r\n");
  CliRun r = Cli({"strip", "export.csv"}, "BRIMSEL_DEBUG=debug.log");
  ASSERT_EQ(r.status, 0) << Show(r);
  EXPECT_EQ(r.err, "") << Show(r);
  const std::string written = ReadFile(dir / "export.csv.txt");
  EXPECT_EQ(written, "Dupont\tJean\tLyon\r\na,1,b\r\n");
  EXPECT_EQ(ReadFile(dir / "debug.log"), "longueur " + std::to_string(written.size()) + "\n");
}

TEST_F(CliTest, OutputOptionWritesElsewhere) {
  WriteFile(dir / "f.ged", "1 NAME JEAN /DUPONT/\n");
  WriteFile(dir / "e.csv", "\"a\",\"b\"");
  CliRun capital = Cli({"capital", "-o", "out.ged", "f.ged"});
  ASSERT_EQ(capital.status, 0) << Show(capital);
  EXPECT_EQ(ReadFile(dir / "out.ged"), "1 NAME Jean /Dupont/\r\n");
  CliRun strip = Cli({"strip", "e.csv", "--output", "out.tsv"});
  ASSERT_EQ(strip.status, 0) << Show(strip);
  EXPECT_EQ(ReadFile(dir / "out.tsv"), "a\tb");
  EXPECT_FALSE(test::Exists(dir / "f.ged.txt"));
  EXPECT_FALSE(test::Exists(dir / "e.csv.txt"));
}

TEST_F(CliTest, CapitalMatchesTheExpectedFixture) {
  const std::string data = BRIMSEL_TEST_DATA "/tools/";
  WriteFile(dir / "famille.ged", ReadFile(data + "famille.ged"));
  CliRun r = Cli({"capital", "famille.ged"});
  ASSERT_EQ(r.status, 0) << Show(r);
  EXPECT_EQ(ReadFile(dir / "famille.ged.txt"), ReadFile(data + "famille.ged.expected"));
}

TEST_F(CliTest, HelpAndUsageErrors) {
  for (const char* command : {"strip", "capital"}) {
    CliRun help = Cli({command, "--help"});
    EXPECT_EQ(help.status, 0) << Show(help);
    EXPECT_NE(help.out.find(std::string("brimsel-cli ") + command + " [-o PATH] FILE"),
              std::string::npos)
        << Show(help);
    for (const std::vector<std::string>& bad : {std::vector<std::string>{command},
                                                {command, "--bogus", "x"},
                                                {command, "a", "b"},
                                                {command, "x", "-o"}}) {
      CliRun r = Cli(bad);
      EXPECT_EQ(r.status, 2) << Show(r);
      EXPECT_NE(r.err.find("Usage: brimsel-cli"), std::string::npos) << Show(r);
    }
  }
}

TEST_F(CliTest, FailuresExitWithOneClearLine) {
  WriteFile(dir / "e.csv", "\"a\",\"b\"");
  struct Expect {
    std::vector<std::string> args;
    const char* says;
  };
  const Expect cases[] = {
      {{"strip", "absent.csv"}, "strip: cannot read 'absent.csv' (No such file or directory)"},
      {{"capital", "absent.ged"}, "capital: cannot read 'absent.ged'"},
      {{"strip", "-o", "/dev/full", "e.csv"},
       "strip: Erreur \xC3\xA9"
       "criture: /dev/full ("},
      {{"capital", "-o", "/dev/full", "e.csv"},
       "capital: Erreur \xC3\xA9"
       "criture: /dev/full"},
      {{"strip", "-o", "no/such/dir.txt", "e.csv"}, "strip: Erreur ouverture: no/such/dir.txt ("},
      {{"capital", "-o", "e.csv", "e.csv"}, "capital: 'e.csv' is the input file itself"},
  };
  for (const Expect& c : cases) {
    CliRun r = Cli(c.args);
    EXPECT_EQ(r.status, 1) << Show(r);
    EXPECT_EQ(r.err.rfind(std::string("brimsel-cli: ") + c.says, 0), 0u) << Show(r);
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << Show(r);
  }
  EXPECT_EQ(ReadFile(dir / "e.csv"), "\"a\",\"b\"");
  EXPECT_FALSE(test::Exists(dir / "absent.csv.txt"));
}

}  // namespace
}  // namespace brimsel
