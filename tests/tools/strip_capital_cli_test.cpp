// Runs brimsel-cli strip and capital in a fresh folder: outputs, exit statuses, error lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/cli_run.h"

namespace brimsel {
namespace {

using test::ReadBytes;
using test::RunCli;
using test::WriteBytes;

TEST(ToolsCli, OutputsBesideTheInputOrWhereTheOptionSays) {
  test::TempDir dir;
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

// Usage errors exit with 2 and the usage; failures with 1 and one line that says why.
TEST(ToolsCli, UsageErrorsAndFailures) {
  test::TempDir dir;
  for (const char* command : {"strip", "capital"}) {
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{command}, {command, "--bogus", "x"}, {command, "a", "b"}, {command, "x", "-o"}}) {
      const test::CliRun r = RunCli(dir, bad);
      EXPECT_EQ(r.status, 2) << r.Describe();
      EXPECT_NE(r.err.find("Usage: brimsel-cli"), std::string::npos) << r.Describe();
    }
  }
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
