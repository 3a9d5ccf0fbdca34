// brimsel-cli with a character set chosen by name: the tables' letters, refused and unknown
// names, the list of names.
#include <gtest/gtest.h>

#include "support/cli_run.h"

namespace brimsel {
namespace {

TEST(CharsetCli, ChosenSetsAndTheirErrors) {
  // Declared ANSI, held in Windows-1250: "Buri\xE6" is "Burić", "\x8A" is "Š".
  const std::string croatian =
      "0 HEAD\n1 CHAR ANSI\n0 @I1@ INDI\n1 NAME Ivan /Buri\xE6/\n1 BIRT\n2 PLAC \x8Aibenik\n0 "
      "TRLR\n";
  const struct {
    std::vector<std::string> args;
    int status;
    const char* saysErr;   // a part of standard error
    const char* surnames;  // the surname table, or "<missing>"
  } cases[] = {
      {{"--encoding", "WINDOWS-1250"}, 0, "", "C_NAME\tNAME\r\n1\tBuri\u0107\r\n"},
      {{"--list-encodings"}, 0, "", "<missing>"},
      {{"--encoding", "ebcdic-cp-us"}, 2, "cannot be used, as the GEDCOM lines", "<missing>"},
      {{"--encoding", "klingon"},
       2,
       "unknown character set 'klingon' (brimsel-cli --list-encodings",
       "<missing>"},
  };
  for (const auto& c : cases) {
    test::TempDir dir;
    test::WriteBytes(dir / "f.ged", croatian);
    std::vector<std::string> args = c.args;
    if (args.size() > 1) {
      args.insert(args.begin(), "convert");
      args.push_back("f.ged");
    }
    const test::CliRun r = test::RunCli(dir, args);
    EXPECT_EQ(r.status, c.status) << r.Describe();
    EXPECT_NE(r.err.find(c.saysErr), std::string::npos) << r.Describe();
    EXPECT_EQ(r.out.find("Jeu de caract"), std::string::npos) << r.Describe();
    EXPECT_EQ(test::ReadBytes(dir / "f_NAME.txt"), c.surnames) << r.Describe();
    if (c.status == 0 && args.size() > 1) {
      EXPECT_EQ(test::ReadBytes(dir / "f_PLAC.txt"), "C_PLAC\tPLAC\r\n1\t\u0160ibenik\r\n");
    } else if (c.status == 0) {
      EXPECT_NE(r.out.find("\nwindows-1250\nwindows-1251\n"), std::string::npos) << r.Describe();
    }
  }
}

}  // namespace
}  // namespace brimsel
