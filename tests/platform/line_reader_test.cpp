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

TEST(LineReader, LineEndsByte26AndNul) {
  using Lines = std::vector<ReadLine>;
  const std::pair<std::string, Lines> cases[] = {
      {"a\r\nb\n\rc\nd\re", {{"a", true}, {"b", true}, {"c", true}, {"d", true}, {"e", false}}},
      {"a\n\nb", {{"a", true}, {"", true}, {"b", false}}},
      {"a\r\rb\r", {{"a", true}, {"", true}, {"b", true}}},
      {"a\r\n\r\nb\r\n", {{"a", true}, {"", true}, {"b", true}}},
      {"", {}},
      // Byte 26 ends the input.
      {"a\nb\x1A" "c\nd\n", {{"a", true}, {"b", false}}},
      {"a\n\x1A" "b\n", {{"a", true}}},
      // A NUL ends the line's text and its line end.
      {std::string("ab\0cd\r\nef\n", 10), {{"ab", false}, {"ef", true}}},
      {std::string("ab\0cd\x1A" "ef\n", 10), {{"ab", false}}},
  };
  for (const auto& [data, lines] : cases) EXPECT_EQ(ReadAll(data), lines);
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

// Every version of the chunk masks this processor runs gives the masks of the plain one.
TEST(ChunkMasks, EveryVersionEqualsTheByteByByteOne) {
  int versions = 0;
  const MaskKernels* kernels = AvailableMaskKernels(&versions);
  ASSERT_GE(versions, 1);
  std::mt19937 rng(29);
  const char alphabet[] = {'\n', '\r', '\0', 26,     '0',    '1',   'F',
                           'C',  'N',  ' ',  '\x80', '\xE9', '\xFF'};
  const LineSelection selections[] = {
      {'0', '1', {'F', 'C'}}, {'0', '1', {'N', 'N'}}, {'\xE9', '\xFF', {'\x80', '\0'}}};
  for (int round = 0; round < 500; ++round) {
    char chunks[64 * 4];
    for (char& c : chunks)
      c = rng() % 3 ? alphabet[rng() % sizeof alphabet] : static_cast<char>(rng());
    std::uint64_t cuts[4];
    kernels[0].breaks(chunks, 4, cuts);
    for (const LineSelection& sel : selections) {
      ChunkMasks expected[4];
      kernels[0].masks(chunks, 4, sel, expected);
      for (int k = 0; k < 4; ++k) {
        ASSERT_EQ(cuts[k], expected[k].lf | expected[k].cr | expected[k].rareBytes);
      }
      for (int v = 1; v < versions; ++v) {
        ChunkMasks m[4];
        kernels[v].masks(chunks, 4, sel, m);
        std::uint64_t c[4];
        kernels[v].breaks(chunks, 4, c);
        for (int k = 0; k < 4; ++k) {
          EXPECT_EQ(m[k].lf, expected[k].lf) << v;
          EXPECT_EQ(m[k].cr, expected[k].cr) << v;
          EXPECT_EQ(m[k].rareBytes, expected[k].rareBytes) << v;
          EXPECT_EQ(m[k].firstByte, expected[k].firstByte) << v;
          EXPECT_EQ(m[k].levelByte, expected[k].levelByte) << v;
          EXPECT_EQ(m[k].thirdBytes, expected[k].thirdBytes) << v;
          EXPECT_EQ(c[k], cuts[k]) << v;
        }
      }
    }
  }
}

// Passes 1 and 3 of a conversion look only at some lines through ForEachSelected: it must
// count every line ForEach sees, hand out each selected one as ForEach does, at its place, and
// hand out nothing ForEach would not. The texts are GEDCOM-like lines with every kind of line
// end, runs of line ends, and now and then a NUL or a byte 26, read in blocks of many sizes.
TEST(LineReader, ForEachSelectedCountsEveryLineAndHandsOutTheSelectedOnes) {
  std::mt19937 rng(23);
  const char* const ends[] = {"\r\n", "\n", "\r", "\n\r", "\n\n", "\r\n\r", "\n\r\n\r", ""};
  const char starts[] = {'0', '1', '2', 'x', ' '};
  const char thirds[] = {'N', 'F', 'C', 'A', ' '};
  const LineReader::Selection sel = {'0', '1', {'F', 'C'}};
  for (int round = 0; round < 300; ++round) {
    std::string data;
    const int lineCount = static_cast<int>(rng() % 120);
    const bool withRare = round % 3 == 0;  // NUL and byte 26 in a third of the texts
    for (int i = 0; i < lineCount; ++i) {
      std::string text(rng() % 30, 'a');
      if (!text.empty()) text[0] = starts[rng() % 5];
      if (text.size() > 2) text[2] = thirds[rng() % 5];
      if (withRare && rng() % 40 == 0 && !text.empty())
        text[rng() % text.size()] = rng() % 2 ? '\0' : 26;
      data += text;
      data += ends[rng() % 10 < 6 ? rng() % 2 : rng() % 8];
    }
    for (std::size_t block : {16, 17, 64, 100, 200, 1 << 20}) {
      const std::vector<ReadLine> all = ReadAllForEach(data, block);
      StringSource source(data);
      LineReader reader(source, block);
      std::size_t counted = 0;
      std::vector<bool> handedOut(all.size() + 1, false);
      reader.ForEachSelected(
          sel,
          [&](Line& line) {
            ASSERT_LT(counted, all.size());
            EXPECT_EQ(line.text[line.size], '\0');
            EXPECT_EQ((ReadLine{std::string(line.text, line.size), line.hasEnd}), all[counted])
                << round << " " << block << " line " << counted;
            handedOut[counted++] = true;
          },
          [&](std::size_t skipped) {
            EXPECT_GT(skipped, 0u);
            counted += skipped;
          });
      EXPECT_EQ(counted, all.size()) << round << " " << block;
      for (std::size_t i = 0; i < all.size() && !HasFailure(); ++i) {
        const std::string& t = all[i].text;
        const bool selected =
            !t.empty() &&
            (t[0] == '0' || (t[0] == '1' && t.size() > 2 && (t[2] == 'F' || t[2] == 'C')));
        EXPECT_TRUE(!selected || handedOut[i]) << round << " " << block << " line " << i << " " << t;
      }
    }
  }
}

// Pieces as NextPiece hands them out, each followed by '|' when it carries its line end and
// by '~' when it does not.
std::vector<std::string> ReadPieces(const std::string& data, std::size_t maxPiece,
                                    std::size_t block) {
  StringSource source(data);
  LineReader reader(source, block);
  std::vector<std::string> out;
  Line piece;
  while (reader.NextPiece(piece, maxPiece)) {
    EXPECT_EQ(piece.text[piece.size], '\0');
    out.push_back(std::string(piece.text, piece.size) + (piece.hasEnd ? "|" : "~"));
  }
  return out;
}

TEST(LineReader, NextPieceCutsLinesIntoBoundedPieces) {
  struct Case {
    const char* name;
    std::string data;
    std::size_t maxPiece;
    std::vector<std::string> pieces;
  };
  const Case cases[] = {
      {"every line end form", "a\r\nb\n\rc\nd\re", 4, {"a|", "b|", "c|", "d|", "e~"}},
      {"runs of line ends", "a\n\nb\r\rc\r\n\r\n", 4, {"a|", "|", "b|", "|", "c|", "|"}},
      {"the line end counts as one", "abc\nabcd\n", 4, {"abc|", "abcd~", "|"}},
      {"a long line", "abcdefghij\r\nk", 4, {"abcd~", "efgh~", "ij|", "k~"}},
      {"byte 26 ends the input",
       "ab\x1A"
       "cd\n",
       4,
       {"ab~"}},
      {"byte 26 at a piece start",
       "abcd\x1A"
       "e",
       4,
       {"abcd~"}},
      {"byte 26 first",
       "\x1A"
       "ab\n",
       4,
       {}},
      {"a NUL loses the rest of its piece and the line end",
       std::string("a\0b\nc\n", 6),
       4,
       {"a~", "c|"}},
      {"the next piece survives a NUL", std::string("a\0bcdef\n", 8), 4, {"a~", "def|"}},
      {"a NUL at a piece start", std::string("abcd\0\nx", 7), 4, {"abcd~", "~", "x~"}},
      {"510 characters to a piece",
       std::string(509, 'x') + "\n" + std::string(510, 'y') + "\n",
       510,
       {std::string(509, 'x') + "|", std::string(510, 'y') + "~", "|"}},
      {"empty input", "", 4, {}},
  };
  for (const Case& c : cases) {
    for (std::size_t block : {16, 17, 31, 64, 1 << 20}) {
      EXPECT_EQ(ReadPieces(c.data, c.maxPiece, block), c.pieces) << c.name << ", block " << block;
    }
  }
}

// A CR LF or LF CR pair split by a block boundary is still one line end.
TEST(LineReader, NextPieceJoinsPairsAcrossBlocks) {
  const std::string data = "0123456789abcde\r\nnext\n0123456789abcde\n\r\r";
  const std::vector<std::string> expected = {"0123456789abcde|", "next|", "0123456789abcde|", "|"};
  EXPECT_EQ(ReadPieces(data, 100, 16), expected);
}

}  // namespace
}  // namespace brimsel
