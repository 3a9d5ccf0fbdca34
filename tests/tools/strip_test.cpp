// Tests of the quote stripper: the rule, its streaming form, the file run and the command.
#include "tools/strip.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "scratch_dir.h"
#include "support/fake_dialog.h"
#include "ui/commands.h"

namespace brimsel {
namespace {

using test::ReadFile;
using test::ScratchDir;
using test::WriteFile;

struct Case {
  const char* what;
  std::string in, out;
};

TEST(StripTest, PatternsOfTheRule) {
  const Case cases[] = {
      {"three quoted fields", "\"Dupont\",\"Jean\",\"Lyon\"\r\n", "Dupont\tJean\tLyon\r\n"},
      {"empty field in the middle", "\"a\",\"\",\"b\"", "a\t\tb"},
      {"empty first field", "\"\",\"b\"", "\tb"},
      {"comma inside a field", "\"Paris, France\",\"x\"", "Paris, France\tx"},
      {"unquoted fields", "\"a\",1,\"b\"", "a,1,b"},
      {"doubled quote", "\"x\"\"y\"", "xy"},
      {"spaces around the comma", "\"a\" , \"b\"", "a , b"},
      {"quote at the very end", "ab\"", "ab"},
      {"quote and comma at the very end", "ab\",", "ab,"},
      {"lone quote", "\"", ""},
      {"quote comma quote alone", "\",\"", "\t"},
      {"pattern overlaps a dropped quote", "\"\",\"", "\t"},
      {"tabs and bytes above 127 copied", "\"\xE9t\xE9\"\t\x01,\"\"", "\xE9t\xE9\t\x01,"},
      {"line ends untouched", "\"a\"\n\r\"b\"\r", "a\n\rb\r"},
      {"empty input", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(StripQuotesText(c.in), c.out) << c.what;
}

TEST(StripTest, StreamMatchesWholeBufferOnAllShortInputs) {
  // Every text of up to 7 bytes over the three bytes that matter, read one and two bytes at a
  // time: a pattern split over blocks and a quote at the end are all among them.
  const char alphabet[] = {'"', ',', 'a'};
  for (int length = 0; length <= 7; ++length) {
    int combinations = 1;
    for (int k = 0; k < length; ++k) combinations *= 3;
    for (int code = 0; code < combinations; ++code) {
      std::string s;
      for (int k = 0, c = code; k < length; ++k, c /= 3) s += alphabet[c % 3];
      const std::string expected = StripQuotesText(s);
      for (std::size_t block : {1, 2}) {
        StringSource source(s);
        StringSink sink;
        std::int64_t length_out = -1;
        ASSERT_EQ(StripStream(source, sink, block, length_out), ToolStatus::kDone);
        ASSERT_EQ(sink.text, expected) << "input [" << s << "] block " << block;
        ASSERT_EQ(length_out, static_cast<std::int64_t>(expected.size()));
      }
    }
  }
}

// Sets BRIMSEL_DEBUG for one test and removes it afterwards.
class DebugFile {
 public:
  explicit DebugFile(std::string path) : path_(std::move(path)) {
    ::setenv("BRIMSEL_DEBUG", path_.c_str(), 1);
  }
  ~DebugFile() { ::unsetenv("BRIMSEL_DEBUG"); }
  std::string Text() const { return ReadFile(path_); }

 private:
  std::string path_;
};

TEST(StripFileTest, WritesBesideTheInputAndLogsTheLength) {
  ScratchDir dir;
  DebugFile debug(dir / "debug.log");
  const std::string input = "\"Dupont\",\"Jean\"\r\n\"Martin\",\"\",\"x\"\"\"\r\n";
  WriteFile(dir / "export.csv", input);
  ToolResult r = StripFile((dir / "export.csv").c_str());
  ASSERT_TRUE(r.Done()) << r.detail;
  EXPECT_EQ(r.output, dir / "export.csv.txt");
  const std::string written = ReadFile(dir / "export.csv.txt");
  EXPECT_EQ(written, StripQuotesText(input));
  EXPECT_EQ(r.length, static_cast<std::int64_t>(written.size()));
  EXPECT_EQ(debug.Text(), "longueur " + std::to_string(written.size()) + "\n");
}

TEST(StripFileTest, EmptyInputGivesEmptyOutputAndLengthZero) {
  ScratchDir dir;
  DebugFile debug(dir / "debug.log");
  WriteFile(dir / "empty.csv", "");
  WriteFile(dir / "out.txt", "old contents");
  ToolResult r = StripFile((dir / "empty.csv").c_str(), (dir / "out.txt").c_str());
  ASSERT_TRUE(r.Done());
  EXPECT_EQ(ReadFile(dir / "out.txt"), "");  // an existing output is truncated
  EXPECT_EQ(debug.Text(), "longueur 0\n");
}

TEST(StripFileTest, LargeInputStreamsAcrossBlocks) {
  ScratchDir dir;
  std::string input;
  while (input.size() < 300000) input += "\"Dupont\",\"Jean-Pierre\",\"\",\"Lyon, Rh\xF4ne\"\r\n";
  input += "\"";
  WriteFile(dir / "big.csv", input);
  ToolResult r = StripFile((dir / "big.csv").c_str());
  ASSERT_TRUE(r.Done());
  EXPECT_EQ(ReadFile(dir / "big.csv.txt"), StripQuotesText(input));
}

TEST(StripFileTest, UnreadableInputCreatesNothing) {
  ScratchDir dir;
  EXPECT_EQ(StripFile((dir / "absent.csv").c_str()).status, ToolStatus::kInputUnreadable);
  EXPECT_EQ(StripFile(dir.path().c_str(), (dir / "x.txt").c_str()).status,
            ToolStatus::kInputUnreadable);
  EXPECT_FALSE(test::Exists(dir / "absent.csv.txt"));
  EXPECT_FALSE(test::Exists(dir / "x.txt"));
}

TEST(StripFileTest, OutputNameThatDoesNotFitIsRefusedNotCut) {
  ScratchDir dir;
  // A real file whose path plus ".txt" needs 512 bytes: one more than the name buffer holds.
  std::string path = dir.path();
  while (path.size() < 400) path += "/" + std::string(100, 'd');
  std::filesystem::create_directories(path);
  std::string input = path + "/" + std::string(506 - path.size(), 'f');
  WriteFile(input, "\"a\"");
  ASSERT_EQ(input.size() + 4, 511u);
  EXPECT_TRUE(StripFile(input.c_str()).Done());

  input += "g";
  WriteFile(input, "\"a\"");
  ToolResult r = StripFile(input.c_str());
  EXPECT_EQ(r.status, ToolStatus::kOutputNameTooLong);
  EXPECT_EQ(r.output, input + ".txt");
  EXPECT_FALSE(test::Exists(input + ".txt"));
  EXPECT_FALSE(test::Exists(input + ".tx"));
}

TEST(StripQuotesTest, CommandAsksWithItsTitleAndWritesBeside) {
  ScratchDir dir;
  WriteFile(dir / "a.csv", "\"a\",\"b\"\r\n");
  test::FakeDialog dialog;
  dialog.WillChoose(dir / "a.csv");
  EXPECT_EQ(StripCommand(dialog), 5);
  ASSERT_EQ(dialog.titles.size(), 1u);
  EXPECT_EQ(dialog.titles[0], "Strip TXT");
  EXPECT_EQ(ReadFile(dir / "a.csv.txt"), "a\tb\r\n");
  EXPECT_TRUE(dialog.boxes.empty());
}

TEST(StripQuotesTest, CancelAndUnreadableInputEndSilently) {
  ScratchDir dir;
  test::FakeDialog dialog;
  dialog.WillChoose(dir / "a.csv", false);
  EXPECT_EQ(StripCommand(dialog), -1);
  dialog.WillChoose(dir / "absent.csv");
  EXPECT_EQ(StripCommand(dialog), -1);
  EXPECT_TRUE(dialog.boxes.empty());
  EXPECT_FALSE(test::Exists(dir / "absent.csv.txt"));
}

TEST(StripQuotesTest, OutputFailuresShowTheirMessageBox) {
  ScratchDir dir;
  WriteFile(dir / "a.csv", "\"a\",\"b\"\r\n");
  WriteFile(dir / "b.csv", "\"a\",\"b\"\r\n");
  std::filesystem::create_directory(dir / "a.csv.txt");  // cannot be opened as a file
  ASSERT_EQ(::symlink("/dev/full", (dir / "b.csv.txt").c_str()), 0);
  test::FakeDialog dialog;
  dialog.WillChoose(dir / "a.csv");
  EXPECT_EQ(StripCommand(dialog), -1);
  dialog.WillChoose(dir / "b.csv");
  EXPECT_EQ(StripCommand(dialog), -1);
  test::ExpectOpenThenWriteErrorBoxes(dialog, dir / "a.csv.txt", dir / "b.csv.txt");
}

}  // namespace
}  // namespace brimsel
