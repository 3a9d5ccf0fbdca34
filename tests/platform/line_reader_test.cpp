// Tests of the line reader: line ends, byte 26, NUL bytes, block boundaries, long lines.
#include "platform/line_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace brimsel {
namespace {

struct ReadLine {
  std::string text;
  bool hasEnd;
  bool operator==(const ReadLine&) const = default;
};

std::vector<ReadLine> ReadAll(const std::string& data, std::size_t block = 1 << 20) {
  StringSource source(data);
  LineReader reader(source, block);
  std::vector<ReadLine> out;
  Line line;
  while (reader.Next(line)) {
    EXPECT_EQ(line.text[line.size], '\0');
    out.push_back({std::string(line.text, line.size), line.hasEnd});
  }
  return out;
}

std::vector<ReadLine> ReadAllForEach(const std::string& data, std::size_t block) {
  StringSource source(data);
  LineReader reader(source, block);
  std::vector<ReadLine> out;
  reader.ForEach([&](Line& line) {
    EXPECT_EQ(line.text[line.size], '\0');
    out.push_back({std::string(line.text, line.size), line.hasEnd});
    return true;
  });
  return out;
}

std::ostream& operator<<(std::ostream& os, const ReadLine& l) {
  return os << "{\"" << l.text << "\"," << l.hasEnd << "}";
}

TEST(LineReader, EachLineEndFormEndsOneLine) {
  std::vector<ReadLine> expected = {{"a", true}, {"b", true}, {"c", true}, {"d", true}, {"e", false}};
  EXPECT_EQ(ReadAll("a\r\nb\n\rc\nd\re"), expected);
  EXPECT_EQ(ReadAll("a\n\nb"), (std::vector<ReadLine>{{"a", true}, {"", true}, {"b", false}}));
  EXPECT_EQ(ReadAll("a\r\rb\r"), (std::vector<ReadLine>{{"a", true}, {"", true}, {"b", true}}));
  EXPECT_EQ(ReadAll("a\r\n\r\nb\r\n"), (std::vector<ReadLine>{{"a", true}, {"", true}, {"b", true}}));
  EXPECT_TRUE(ReadAll("").empty());
}

TEST(LineReader, Byte26EndsTheInput) {
  EXPECT_EQ(ReadAll("a\nb\x1A" "c\nd\n"), (std::vector<ReadLine>{{"a", true}, {"b", false}}));
  EXPECT_EQ(ReadAll("a\n\x1A" "b\n"), (std::vector<ReadLine>{{"a", true}}));
}

TEST(LineReader, NulEndsTheLineTextAndItsLineEnd) {
  std::string data("ab\0cd\r\nef\n", 10);
  EXPECT_EQ(ReadAll(data), (std::vector<ReadLine>{{"ab", false}, {"ef", true}}));
  std::string nulThenCtrlZ("ab\0cd\x1A" "ef\n", 10);
  EXPECT_EQ(ReadAll(nulThenCtrlZ), (std::vector<ReadLine>{{"ab", false}}));
}

TEST(LineReader, SameLinesWhateverTheBlockSize) {
  std::string data("0 HEAD\r\n1 NOTE x\n\r2 CONT y\rlong line without end", 45);
  data += std::string("x\0y\r\n", 5) + "\r\n\n\r\x1A" "tail";
  std::vector<ReadLine> whole = ReadAll(data);
  for (std::size_t block = 16; block < 70; ++block) EXPECT_EQ(ReadAll(data, block), whole) << block;
}

TEST(LineReader, LinePairSplitAcrossBlocks) {
  // 16 is the smallest block: "0123456789abcde\r" fills it and its LF opens the next one.
  std::string data = "0123456789abcde\r\nnext\n";
  EXPECT_EQ(ReadAll(data, 16), (std::vector<ReadLine>{{"0123456789abcde", true}, {"next", true}}));
}

TEST(LineReader, WholeLinesHoweverLong) {
  std::string big(3 << 20, 'x');
  auto lines = ReadAll("1 NOTE " + big + "\n0 TRLR\n", 4096);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].text.size(), big.size() + 7);
  EXPECT_EQ(lines[1].text, "0 TRLR");
}

TEST(LineReader, RewindReadsTheSameLinesAgain) {
  StringSource source("a\r\nb\r");
  LineReader reader(source, 16);
  Line line;
  ASSERT_TRUE(reader.Next(line));
  ASSERT_TRUE(reader.Rewind());
  std::vector<std::string> seen;
  while (reader.Next(line)) seen.emplace_back(line.text, line.size);
  EXPECT_EQ(seen, (std::vector<std::string>{"a", "b"}));
}

TEST(LineReader, LengthCountsTheLineEndAsOne) {
  StringSource source("abc\r\nde");
  LineReader reader(source);
  Line line;
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(line.Length(), 4u);
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(line.Length(), 2u);
}

// The passes read through ForEach, the tools through Next: both must see the same lines in
// text full of line ends of every kind, NUL bytes and byte 26, whatever the block size, and a
// ForEach stopped early must leave Next at the following line.
TEST(LineReader, ForEachSeesTheLinesThatNextSees) {
  std::mt19937 rng(11);
  const char alphabet[] = {'\n', '\r', 'a', 'b', ' ', '\n', '\r', '0', '\0', 26};
  for (int round = 0; round < 200; ++round) {
    std::string data;
    std::size_t length = rng() % 400;
    for (std::size_t i = 0; i < length; ++i) {
      std::size_t pick = rng() % 40;
      // Byte 26 and NUL rarely, so that most texts run past their first block.
      data += pick < 10 ? alphabet[pick % 8] : pick == 39 ? alphabet[8 + rng() % 2] : 'x';
    }
    for (std::size_t block : {16, 17, 64, 100, 1 << 20}) {
      EXPECT_EQ(ReadAllForEach(data, block), ReadAll(data, block)) << round << " " << block;
    }
    std::vector<ReadLine> all = ReadAll(data, 32);
    StringSource source(data);
    LineReader reader(source, 32);
    std::size_t half = all.size() / 2;
    std::vector<ReadLine> seen;
    reader.ForEach([&](Line& line) {
      seen.push_back({std::string(line.text, line.size), line.hasEnd});
      return seen.size() < half;
    });
    Line line;
    while (reader.Next(line)) seen.push_back({std::string(line.text, line.size), line.hasEnd});
    EXPECT_EQ(seen, all) << round;
  }
}

}  // namespace
}  // namespace brimsel
