// The proper-name normaliser (rule, name lines, pieces, line ends) and the quote stripper
// (rule, streaming form, file runs); a failed write.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <vector>

#include "support/append_sink.h"
#include "support/temp_dir.h"
#include "tools/proper_name.h"
#include "tools/strip.h"

namespace brimsel {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

struct Case {
  const char* what;
  std::string in, out;
};

void ExpectAll(const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(ProperNameText(c.in), c.out) << c.what;
}

TEST(ProperNameTextTest, NameLinesKeepTwoPartsOtherLinesAreCopied) {
  ExpectAll({
      // A space starts no word, a hyphen after the first character does; accented letters change
      // case like A to Z.
      {"given names and surname", "1 NAME JEAN PIERRE /DUPONT/\n", "1 NAME Jean pierre /Dupont/\r\n"},
      {"hyphens", "1 NAME -JEAN--PAUL o'NEIL /\xE9mile-\xE9LIE/\n", "1 NAME -jean--Paul o'neil /\xC9mile-\xC9lie/\r\n"},
      {"accented letters", "1 NAME \xC9LISE /QU\xC9R\xC9/\n", "1 NAME \xC9lise /Qu\xE9r\xE9/\r\n"},
      {"text after the surname dropped", "1 NAME A/B/C/D\n", "1 NAME A/B/\r\n"},
      {"surname alone", "1 NAME /DUPONT/\n", "1 NAME Dupont/\r\n"},
      {"given names alone", "1 NAME JEAN\n", "1 NAME Jean/\r\n"},
      {"runs of slashes are one separator", "1 NAME //JEAN//DUPONT//\n", "1 NAME Jean/Dupont/\r\n"},
      {"slashes only", "1 NAME ///\n", "1 NAME \r\n"},
      {"last line without end still gets one", "1 NAME JEAN /X/", "1 NAME Jean /X/\r\n"},
      // Other lines are copied.
      {"tag without the space", "1 NAME\n", "1 NAME\r\n"},
      {"tag glued to the name", "1 NAMEJEAN /X/\n", "1 NAMEJEAN /X/\r\n"},
      {"two spaces after the level", "1  NAME JEAN\n", "1  NAME JEAN\r\n"},
      {"level 2, small letters", "2 NAME JEAN /X/\n1 name JEAN /X/\n", "2 NAME JEAN /X/\r\n1 name JEAN /X/\r\n"},
      {"last line without end gets none", "0 TRLR", "0 TRLR"},
      // Every line end becomes CR LF; byte 26 ends the input.
      {"line ends", "a\n\rb\r\n\r\nc\rd\n\ne", "a\r\nb\r\n\r\nc\r\nd\r\n\r\ne"},
      {"byte 26 ends the input", "a\r\nb\x1A" "c\r\n", "a\r\nb"},
  });
}

TEST(ProperNameTextTest, NulEndsTheTextOfItsPiece) {
  ExpectAll({
      {"rest of the line and its end lost", std::string("ab\0cd\r\nef\r\n", 11), "abef\r\n"},
      {"a name line cut by the NUL", std::string("1 NAME JEAN /DU\0X/\nz\n", 21),
       "1 NAME Jean /Du/\r\nz\r\n"},
  });
  // In a long line only the piece holding the NUL loses its rest; the next piece survives.
  std::string line = "a" + std::string(1, '\0') + std::string(600, 'b') + "\n";
  EXPECT_EQ(ProperNameText(line), "a" + std::string(600 - 508, 'b') + "\r\n");
}

TEST(ProperNameTextTest, LongLinesAreReadInPiecesOf510) {
  // A long ordinary line comes out whole: its pieces carry no line end but the last.
  const std::string longLine = std::string(1200, 'x') + "\r\nnext\r\n";
  EXPECT_EQ(ProperNameText(longLine), longLine);
  // A long name line: its first piece is rewritten and given a line end, the rest follows as a
  // line of its own.
  std::string name = "1 NAME " + std::string(503, 'A') + "BCD /E/\n";
  EXPECT_EQ(ProperNameText(name), "1 NAME A" + std::string(502, 'a') + "/\r\nBCD /E/\r\n");
  // A piece that starts with the prefix is a name line even in the middle of a physical line.
  std::string inner = std::string(510, 'x') + "1 NAME JEAN /DUPONT/\n";
  EXPECT_EQ(ProperNameText(inner), std::string(510, 'x') + "1 NAME Jean /Dupont/\r\n");

  // 510 characters fill a piece, so the line end comes alone as an empty piece: after a name
  // line that makes one more empty line.
  std::string full = "1 NAME " + std::string(503, 'B') + "\n";
  EXPECT_EQ(ProperNameText(full), "1 NAME B" + std::string(502, 'b') + "/\r\n\r\n");
}

TEST(StripQuotesText, PatternsOfTheRule) {
  const std::pair<std::string, std::string> cases[] = {
      {"\"Dupont\",\"Jean\",\"Lyon\"\r\n", "Dupont\tJean\tLyon\r\n"}, {"\"Paris, France\",\"x\"", "Paris, France\tx"},
      {"\"a\",\"\",\"b\"", "a\t\tb"},  // empty field in the middle
      {"\"a\",1,\"b\"", "a,1,b"},      // unquoted fields
      {"\"x\"\"y\"", "xy"},            // doubled quote
      {"ab\",", "ab,"},                // quote and comma at the very end
      {"\"\",\"", "\t"},               // the pattern overlaps a dropped quote
      {"\"\xE9t\xE9\"\t\x01,\"\"", "\xE9t\xE9\t\x01,"}, {"\"a\"\n\r\"b\"\r", "a\n\rb\r"},  // line ends untouched
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(StripQuotesText(in), out) << in;
}

TEST(StripStream, MatchesWholeBufferOnAllShortInputs) {
  // Every text of up to 7 bytes over the three bytes that matter, read one and two bytes at a
  // time: a pattern split over blocks and a quote at the end are all among them.
  const char alphabet[] = {'"', ',', 'a'};
  for (int length = 0, combinations = 1; length <= 7; ++length, combinations *= 3) {
    for (int code = 0; code < combinations; ++code) {
      std::string s;
      for (int k = 0, c = code; k < length; ++k, c /= 3) s += alphabet[c % 3];
      const std::string expected = StripQuotesText(s);
      for (std::size_t block : {1, 2}) {
        StringSource source(s);
        StringSink sink;
        std::int64_t written = -1;
        ASSERT_EQ(StripStream(source, sink, block, written), ToolStatus::kDone);
        ASSERT_EQ(sink.text, expected) << "input [" << s << "] block " << block;
        ASSERT_EQ(written, static_cast<std::int64_t>(expected.size()));
      }
    }
  }
}

// A sink that fails after a few bytes fails both tools.
TEST(ToolStreams, WriteFailure) {
  std::string out;
  test::AppendSink sink(out, 5);
  StringSource names("1 NAME JEAN /X/\n" + std::string(100000, 'x'));
  StringSource quotes(std::string(100000, 'a'));
  std::int64_t written = -1;
  EXPECT_EQ(ProperNameStream(names, sink, written), ToolStatus::kWriteFailed);
  EXPECT_EQ(StripStream(quotes, sink, 4096, written), ToolStatus::kWriteFailed);
}

TEST(StripFile, WritesBesideTheInputAndLogsTheLength) {
  TempDir dir;
  ::setenv("BRIMSEL_DEBUG", (dir / "debug.log").c_str(), 1);
  std::string input;
  while (input.size() < 300000) input += "\"Dupont\",\"Jean-Pierre\",\"\",\"Lyon, Rh\xF4ne\"\r\n";
  input += "\"";
  WriteBytes(dir / "export.csv", input);
  const ToolResult r = StripFile((dir / "export.csv").c_str());
  ASSERT_TRUE(r.Done()) << r.detail;
  EXPECT_EQ(r.output, dir / "export.csv.txt");
  const std::string written = ReadBytes(dir / "export.csv.txt");
  EXPECT_TRUE(written == StripQuotesText(input));
  EXPECT_EQ(r.length, static_cast<std::int64_t>(written.size()));

  // An empty input truncates an existing output.
  WriteBytes(dir / "empty.csv", "");
  ASSERT_TRUE(StripFile((dir / "empty.csv").c_str(), (dir / "export.csv.txt").c_str()).Done());
  EXPECT_EQ(ReadBytes(dir / "export.csv.txt"), "");
  EXPECT_EQ(ReadBytes(dir / "debug.log"), "longueur " + std::to_string(written.size()) + "\nlongueur 0\n");
  ::unsetenv("BRIMSEL_DEBUG");
}

// The output is renamed into place only when complete: a stop or a failed write leaves an earlier
// output as it was and no temporary file; a device is written in place.
TEST(RunFileTool, AStopOrAFailureLeavesTheEarlierOutput) {
  TempDir dir;
  WriteBytes(dir / "in.csv", std::string(1 << 20, 'a'));
  WriteBytes(dir / "out.txt", "earlier");
  const auto files = [&] {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  };
  const std::vector<std::string> before = files();
  int polls = 0;
  ToolResult r = StripFile((dir / "in.csv").c_str(), (dir / "out.txt").c_str(), [&] { return ++polls > 3; });
  EXPECT_EQ(r.status, ToolStatus::kStopped);
  r = ProperNameCopy((dir / "in.csv").c_str(), (dir / "out.txt").c_str(), [] { return true; });
  EXPECT_EQ(r.status, ToolStatus::kStopped);
  // A file size limit makes the write fail half way, as a full disk would.
  rlimit saved{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 100000;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  r = StripFile((dir / "in.csv").c_str(), (dir / "out.txt").c_str());
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, handler);
  EXPECT_EQ(r.status, ToolStatus::kWriteFailed);
  EXPECT_EQ(r.detail, "File too large");
  EXPECT_EQ(ReadBytes(dir / "out.txt"), "earlier");
  EXPECT_EQ(files(), before);
  if (std::filesystem::exists("/dev/null")) {
    EXPECT_TRUE(StripFile((dir / "in.csv").c_str(), "/dev/null").Done());
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/null"));
  }
}

TEST(StripFile, OutputNameThatDoesNotFitIsRefusedNotCut) {
  TempDir dir;
  // A real file whose path plus ".txt" needs 512 bytes: one more than the name buffer holds.
  std::string path = dir.Path();
  while (path.size() < 400) path += "/" + std::string(100, 'd');
  std::filesystem::create_directories(path);
  std::string input = path + "/" + std::string(506 - path.size(), 'f');
  WriteBytes(input, "\"a\"");
  EXPECT_TRUE(StripFile(input.c_str()).Done());  // 511 bytes with ".txt"
  WriteBytes(input += "g", "\"a\"");
  const ToolResult r = StripFile(input.c_str());
  EXPECT_EQ(r.status, ToolStatus::kOutputNameTooLong);
  EXPECT_EQ(r.output, input + ".txt");
  EXPECT_FALSE(test::Exists(input + ".txt"));
  EXPECT_FALSE(test::Exists(input + ".tx"));
}

}  // namespace
// Each set of a file: the names change case by that set's letters and the output stays in it.
// Latin-1 text as UTF-16LE with its byte-order mark.
std::string Utf16Le(const std::string& latin1) {
  std::string out = "\xFF\xFE";
  for (char c : latin1) out += std::string{c, '\0'};
  return out;
}

TEST(ProperNameTextTest, EveryCharacterSetStaysItself) {
  ExpectAll({
      {"UTF-8", "0 HEAD\n1 CHAR UTF-8\n1 NAME \xC3\x89LISE /QU\xC3\x89R\xC3\x89/\n",
       "0 HEAD\r\n1 CHAR UTF-8\r\n1 NAME \xC3\x89lise /Qu\xC3\xA9r\xC3\xA9/\r\n"},
      {"UTF-8 with a stray byte: valid UTF-8 out, other lines kept",
       "0 HEAD\n1 CHAR UTF-8\n1 NOTE \xE9\n1 NAME JOS\xE9 /\xC3\x89/\n",
       "0 HEAD\r\n1 CHAR UTF-8\r\n1 NOTE \xE9\r\n1 NAME Jos\xC3\xA9 /\xC3\x89/\r\n"},
      {"code page 850: only A to Z", "0 HEAD\n1 CHAR MSDOS\n1 NAME \x90LISE /\x90\x90/\n",
       "0 HEAD\r\n1 CHAR MSDOS\r\n1 NAME \x90lise /\x90\x90/\r\n"},
      {"ANSEL: the mark stays before its letter", "0 HEAD\n1 CHAR ANSEL\n1 NAME \xE2" "ELISE /X/\n",
       "0 HEAD\r\n1 CHAR ANSEL\r\n1 NAME \xE2" "Elise /X/\r\n"},
      {"UTF-8 mark kept", "\xEF\xBB\xBF" "1 NAME JEAN /X/\n", "\xEF\xBB\xBF" "1 NAME Jean /X/\r\n"},
      // In ANSEL a mark stays with its letter, in the next piece.
      {"ANSEL pieces keep a mark with its letter",
       "0 HEAD\n1 CHAR ANSEL\n1 NAME " + std::string(502, 'A') + "\xE2" "E /X/\n",
       "0 HEAD\r\n1 CHAR ANSEL\r\n1 NAME A" + std::string(501, 'a') + "/\r\n\xE2" "E /X/\r\n"},
      // In UTF-8 and UTF-16 a character cut by the piece's end starts the next piece.
      {"UTF-8 pieces end between characters",
       "0 HEAD\n1 CHAR UTF-8\n1 NAME " + std::string(502, 'A') + "\xC3\x89" "E /X/\n",
       "0 HEAD\r\n1 CHAR UTF-8\r\n1 NAME A" + std::string(501, 'a') + "/\r\n\xC3\x89" "E /X/\r\n"},
      {"UTF-16 pieces end between characters", Utf16Le("1 NAME " + std::string(502, 'A') + "\xC9" "E /X/\n"),
       Utf16Le("1 NAME A" + std::string(501, 'a') + "/\r\n\xC9" "E /X/\r\n")},
      {"UTF-16LE, mark kept",
       std::string("\xFF\xFE" "1\0 \0N\0A\0M\0E\0 \0\xC9\0V\0E\0\n\0", 24),
       std::string("\xFF\xFE" "1\0 \0N\0A\0M\0E\0 \0\xC9\0v\0e\0/\0\r\0\n\0", 28)},
  });
}

}  // namespace brimsel
