// brimsel-cli with a character set chosen by name: the tables' letters, refused and unknown
// names, the list of names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/cli_run.h"

namespace brimsel {
namespace {

using test::RunCli;

// A family whose surname and place hold `surname` and `place` as bytes, under `charValue`.
std::string Family(const char* charValue, const std::string& surname, const std::string& place) {
  return std::string("0 HEAD\n1 CHAR ") + charValue + "\n0 @I1@ INDI\n1 NAME Ivan /" + surname +
         "/\n1 BIRT\n2 PLAC " + place + "\n0 TRLR\n";
}

TEST(CharsetCli, ChosenSetsDecodeTheTables) {
  const struct {
    std::vector<std::string> args;
    std::string file;
    int status;
    const char* saysOut;  // a part of standard output
    const char* saysErr;  // a part of standard error
    const char* surnames;  // the surname table, or nullptr when none is written
    const char* places;
  } cases[] = {
      // Declared ANSI, held in Windows-1250: the chosen set gives UTF-8 tables and no set line.
      {{"--encoding", "WINDOWS-1250"}, Family("ANSI", "Buri\xE6", "\x8Aibenik"), 0, "1 noms", "",
       "C_NAME\tNAME\r\n1\tBuri\u0107\r\n", "C_PLAC\tPLAC\r\n1\t\u0160ibenik\r\n"},
      {{"--encoding", "cp852"}, Family("IBMPC", "Buri\x86", "Dubrovnik"), 0, "", "",
       "C_NAME\tNAME\r\n1\tBuri\u0107\r\n", "C_PLAC\tPLAC\r\n1\tDubrovnik\r\n"},
      {{"--encoding", "koi8-r", "--output-encoding", "windows-1252"},
       Family("ANSI", "\xE9\xD7\xC1\xCE", "Ville"), 0, "4 caract\xC3\xA8res remplac\xC3\xA9s par ?", "",
       "C_NAME\tNAME\r\n1\t????\r\n", "C_PLAC\tPLAC\r\n1\tVille\r\n"},
      {{"--encoding", "UTF-32"}, Family("ANSI", "B", "P"), 2, "", "cannot be used", nullptr, nullptr},
      {{"--encoding", "ebcdic-cp-us"}, Family("ANSI", "B", "P"), 2, "", "ASCII characters", nullptr,
       nullptr},
      {{"--encoding", "klingon"}, Family("ANSI", "B", "P"), 2, "",
       "unknown character set 'klingon' (brimsel-cli --list-encodings", nullptr, nullptr},
      {{"--oem", "--encoding", "windows-1250"}, Family("ANSI", "B", "P"), 2, "", "--oem", nullptr,
       nullptr},
  };
  for (const auto& c : cases) {
    test::TempDir dir;
    test::WriteBytes(dir / "f.ged", c.file);
    std::vector<std::string> args = {"convert"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    args.push_back("f.ged");
    const test::CliRun r = RunCli(dir, args);
    EXPECT_EQ(r.status, c.status) << r.Describe();
    EXPECT_NE(r.out.find(c.saysOut), std::string::npos) << r.Describe();
    EXPECT_NE(r.err.find(c.saysErr), std::string::npos) << r.Describe();
    EXPECT_EQ(r.out.find("Jeu de caract"), std::string::npos) << r.Describe();
    EXPECT_EQ(test::ReadBytes(dir / "f_NAME.txt"), c.surnames ? c.surnames : "<missing>")
        << r.Describe();
    EXPECT_EQ(test::ReadBytes(dir / "f_PLAC.txt"), c.places ? c.places : "<missing>");
  }
}

TEST(CharsetCli, ListOfNames) {
  test::TempDir dir;
  const test::CliRun r = RunCli(dir, {"--list-encodings"});
  EXPECT_EQ(r.status, 0) << r.Describe();
  EXPECT_EQ(r.out.rfind("utf-8\n", 0), 0u) << r.Describe();
  for (const char* name : {"\nwindows-1250\n", "\nIBM852\n", "\nISO-8859-2\n", "\nKOI8-R\n"})
    EXPECT_NE(r.out.find(name), std::string::npos) << name;
  EXPECT_EQ(r.out.find("UTF-32"), std::string::npos);
}

}  // namespace
}  // namespace brimsel
