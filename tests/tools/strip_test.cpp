// Tests of the quote stripper: the rule, its streaming form, and the file runs shared with the
// proper-name normaliser.
#include "tools/strip.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

#include "support/append_sink.h"
#include "support/temp_dir.h"

namespace brimsel {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

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

TEST(StripStream, WriteFailure) {
  std::string out;
  test::AppendSink sink(out, 3);
  StringSource source(std::string(100000, 'a'));
  std::int64_t written = -1;
  EXPECT_EQ(StripStream(source, sink, 4096, written), ToolStatus::kWriteFailed);
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
}  // namespace brimsel
