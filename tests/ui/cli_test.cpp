// Runs brimsel-cli itself in a fresh folder: usage, exit statuses, report format.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Result {
  int status = -1;
  std::string out, err;
};

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("brimsel-cli-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    if (!HasFailure()) fs::remove_all(dir_);
  }

  Result Run(const std::string& args) {
    last_ = std::string("cd '") + dir_.string() + "' && '" + BRIMSEL_CLI + "' " + args +
            " >out.txt 2>err.txt";
    int raw = std::system(last_.c_str());
    Result r;
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.out = Read(dir_ / "out.txt");
    r.err = Read(dir_ / "err.txt");
    return r;
  }
  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  void Write(const std::string& name, const std::string& data) {
    std::ofstream(dir_ / name, std::ios::binary) << data;
  }
  std::string Context() const { return "command: " + last_ + "\nfolder: " + dir_.string(); }

  fs::path dir_;
  std::string last_;
};

TEST_F(Cli, HelpAndVersion) {
  Result r = Run("--help");
  EXPECT_EQ(r.status, 0) << Context();
  EXPECT_NE(r.out.find("Usage: brimsel-cli COMMAND"), std::string::npos);
  EXPECT_NE(r.out.find("convert"), std::string::npos);
  r = Run("--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("1.20"), std::string::npos);
  r = Run("convert --help");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("--no-proper-names"), std::string::npos);
}

TEST_F(Cli, UsageErrorsExitWithTwo) {
  for (const char* args : {"", "frobnicate", "convert", "convert --bogus x.ged", "convert a b"}) {
    Result r = Run(args);
    EXPECT_EQ(r.status, 2) << Context();
    EXPECT_FALSE(r.err.empty()) << Context();
  }
}

TEST_F(Cli, ReportOfAConversion) {
  Write("f.ged",
        "0 @I1@ INDI\r\n1 NAME Ren\xE9 /Qu\xE9r\xE9/\r\n1 SEX F\r\n1 FAMS @F1@\r\n"
        "0 @F1@ FAM\r\n1 HUSB @I1@\r\n0 TRLR\r\n");
  Result r = Run("convert --check f.ged");
  ASSERT_EQ(r.status, 0) << Context() << "\n" << r.err;
  EXPECT_EQ(r.out,
            "maxunion 1, maxenfant 0\n"
            "erreur sexe ÉPOUX(0) 0\n"
            "ajout ÉPOUSE(-1) 0\n"
            "erreur FAMS retro @F1@ (0) -1\n"
            "1 INDI ajoutés\n"
            "1 prénoms, 1 noms, 0 places.\n"
            "\n"
            "510\tIndividu total\t1\n520\tUnion total\t1\n"
            "511\tIndividu naissance date\t0\n512\tIndividu naissance lieu\t0\n"
            "515\tIndividu décès date\t0\n516\tIndividu décès lieu\t0\n"
            "508\tIndividu baptême date\t0\n509\tIndividu baptême lieu\t0\n"
            "519\tIndividu sépulture date\t0\n518\tIndividu sépulture lieu\t0\n"
            "521\tUnion début date\t0\n522\tUnion début lieu\t0\n"
            "523\tUnion fin date\t0\n524\tUnion fin lieu\t0\n"
            "537\terreurs\t2\n513\tIndividu parent\t0\n"
            "552\tNote FAM\t0\n550\tNote INDI\t0\n540\tQUAY\t0\n543\tSOUR\t0\n")
      << Context();
  EXPECT_EQ(r.err, "");  // no progress when stderr is not a terminal
}

TEST_F(Cli, OptionsReachTheConversion) {
  Write("f.ged", "0 @I1@ INDI\n1 NAME \x90mile /le goff/\n1 NOTE n\n0 TRLR\n");
  Result r = Run("convert --check --notes --oem --no-proper-names f.ged");
  ASSERT_EQ(r.status, 0) << Context();
  EXPECT_NE(r.out.find("550\tNote INDI\t1\n"), std::string::npos) << r.out;
  r = Run("convert --check f.ged");
  EXPECT_NE(r.out.find("550\tNote INDI\t0\n"), std::string::npos) << r.out;
}

TEST_F(Cli, FailuresExitWithOneAndSayWhy) {
  Write("empty.ged", "");
  Write("noindi.ged", "0 HEAD\n0 TRLR\n");
  fs::create_directory(dir_ / "folder.ged");
  struct Case {
    std::string args, error;
  } cases[] = {
      {"convert --check missing.ged", "missing.ged"},
      {"convert --check folder.ged", "directory"},
      {"convert --check empty.ged", "Aucun individu trouvé!"},
      {"convert --check noindi.ged", "Aucun individu trouvé!"},
      {"convert --check " + std::string(600, 'x') + ".ged", "path longer than 511 bytes"},
  };
  for (const Case& c : cases) {
    Result r = Run(c.args);
    EXPECT_EQ(r.status, 1) << Context();
    EXPECT_NE(r.err.find(c.error), std::string::npos) << Context() << "\nstderr: " << r.err;
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
  }
}

TEST_F(Cli, ExampleOfTheReadme) {
  fs::path example = fs::path(BRIMSEL_SOURCE_DIR) / "examples" / "famille.ged";
  fs::copy_file(example, dir_ / "famille.ged");
  Result r = Run("convert --check --notes famille.ged");
  ASSERT_EQ(r.status, 0) << Context() << r.err;
  EXPECT_NE(r.out.find("nom inconnus 8\n"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("550\tNote INDI\t4\n"), std::string::npos) << r.out;
}

}  // namespace

// Faults around the files: the program must fail cleanly, never hang, never report success.
namespace {

TEST_F(Cli, InputThatIsAFifoOrUnreadable) {
  ASSERT_EQ(::mkfifo((dir_ / "pipe.ged").c_str(), 0600), 0);
  Result r = Run("convert --check pipe.ged");  // must not wait for a writer
  EXPECT_EQ(r.status, 1) << Context();
  EXPECT_NE(r.err.find("not a regular file"), std::string::npos) << r.err;
  // A regular file whose reading fails midway.
  r = Run("convert --check /proc/self/mem");
  EXPECT_EQ(r.status, 1) << Context();
  EXPECT_NE(r.err.find("read error"), std::string::npos) << r.err;
}

TEST_F(Cli, OutputDirectoryWhereNothingCanBeCreated) {
  fs::copy_file(fs::path(BRIMSEL_SOURCE_DIR) / "examples" / "famille.ged", dir_ / "famille.ged");
  // Files cannot be created in /proc, not even by root.
  Result r = Run("convert -o /proc famille.ged");
  EXPECT_EQ(r.status, 1) << Context();
  EXPECT_NE(r.err.find("Erreur ouverture: /proc/famille_NAME.txt"), std::string::npos) << r.err;
  EXPECT_EQ(r.out.find("Kb =>"), std::string::npos) << "no size report after a failure";
}

TEST_F(Cli, PathsWithSpacesAndAccents) {
  fs::path sub = dir_ / "dossier g\xC3\xA9n\xC3\xA9" "alogie";
  fs::create_directories(sub);
  fs::copy_file(fs::path(BRIMSEL_SOURCE_DIR) / "examples" / "famille.ged", sub / "ma famille.ged");
  Result r = Run("convert --notes 'dossier g\xC3\xA9n\xC3\xA9" "alogie/ma famille.ged'");
  ASSERT_EQ(r.status, 0) << Context() << r.err;
  for (const char* suffix : {"_NAME", "_SURNAME", "_PLAC", "_INDI", "_FAM", "_INDInote", "_FAMnote"}) {
    EXPECT_TRUE(fs::exists(sub / (std::string("ma famille") + suffix + ".txt"))) << suffix;
  }
}

TEST_F(Cli, InputPathAtTheLimit) {
  // 511 bytes is the longest path the shared buffer holds; directories keep each name short.
  std::string rel;
  while (dir_.string().size() + 1 + rel.size() + 100 < 511) rel += std::string(90, 'd') + "/";
  std::size_t room = 511 - dir_.string().size() - 1 - rel.size();
  std::string name = std::string(room - 4, 'f') + ".ged";
  fs::create_directories(dir_ / rel);
  std::string full = (dir_ / rel / name).string();
  ASSERT_EQ(full.size(), 511u);
  std::ofstream(full, std::ios::binary) << "0 @I1@ INDI\n1 SEX M\n0 TRLR\n";
  Result r = Run("convert --check '" + full + "'");
  EXPECT_EQ(r.status, 0) << Context() << r.err;
  std::string longer = full.substr(0, full.size() - 4) + "x.ged";
  std::ofstream(longer, std::ios::binary) << "0 @I1@ INDI\n0 TRLR\n";
  r = Run("convert --check '" + longer + "'");
  EXPECT_EQ(r.status, 1) << Context();
}

}  // namespace
