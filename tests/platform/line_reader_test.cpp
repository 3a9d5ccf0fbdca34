// Tests of the line reader: line ends, byte 26, NUL bytes, block boundaries, long lines.
#include "platform/line_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace brimsel {
namespace {

using ReadLine = std::pair<std::string, bool>;  // the text, and whether a line end followed it
using Lines = std::vector<ReadLine>;

ReadLine Seen(const Line& line) {
  EXPECT_EQ(line.text[line.size], '\0');
  return {std::string(line.text, line.size), line.hasEnd};
}

// The lines of `data` through Next, or through ForEach.
Lines ReadAll(const std::string& data, std::size_t block = 1 << 20, bool forEach = false) {
  StringSource source(data);
  LineReader reader(source, block);
  Lines out;
  Line line;
  if (forEach) reader.ForEach([&](Line& l) { return out.push_back(Seen(l)), true; });
  while (!forEach && reader.Next(line)) out.push_back(Seen(line));
  return out;
}

TEST(LineReader, LineEndsByte26AndNulInBlocksOfEverySize) {
  const std::pair<std::string, Lines> cases[] = {
      {"a\r\nb\n\rc\nd\re", {{"a", true}, {"b", true}, {"c", true}, {"d", true}, {"e", false}}},
      {"a\r\rb\r", {{"a", true}, {"", true}, {"b", true}}},
      {"a\r\n\r\nb\r\n", {{"a", true}, {"", true}, {"b", true}}},
      {"", {}},
      // Byte 26 ends the input.
      {"a\nb\x1A" "c\nd\n", {{"a", true}, {"b", false}}},
      // A NUL ends the line's text and its line end.
      {std::string("ab\0cd\r\nef\n", 10), {{"ab", false}, {"ef", true}}},
      {std::string("ab\0cd\x1A" "ef\n", 10), {{"ab", false}}},
      // 16 is the smallest block: "0123456789abcde\r" fills it and its LF opens the next one.
      {"0123456789abcde\r\nnext\n", {{"0123456789abcde", true}, {"next", true}}},
  };
  for (const auto& [data, lines] : cases) {
    for (std::size_t block : {16, 17, 64, 1 << 20}) EXPECT_EQ(ReadAll(data, block), lines) << block;
  }
}

// The passes read through ForEach and ForEachSelected, the tools through Next: over texts with
// every kind of line end, runs of them, NUL bytes and byte 26, in blocks of many sizes,
// - ForEach sees the lines Next sees, and one stopped early leaves Next at the following line;
// - ForEachSelected counts every line, hands out each selected one as ForEach does, at its
//   place, and nothing ForEach would not.
TEST(LineReader, EveryWayOfReadingSeesTheSameLines) {
  std::mt19937 rng(23);
  const char* const ends[] = {"\r\n", "\n", "\r", "\n\r", "\n\n", "\r\n\r", "\n\r\n\r", ""};
  const char starts[] = {'0', '1', '2', 'x', ' '}, thirds[] = {'N', 'F', 'C', 'A', ' '};
  const char alphabet[] = {'\n', '\r', 'a', 'b', ' ', '\n', '\r', '0', '\0', 26};
  const LineReader::Selection sel = {'0', '1', {'F', 'C'}};
  for (int round = 0; round < 400; ++round) {
    std::string data;
    if (round % 4 == 3) {  // bytes at random, byte 26 and NUL rarely
      for (std::size_t i = 0, n = rng() % 400; i < n; ++i) {
        const std::size_t pick = rng() % 40;
        data += pick < 10 ? alphabet[pick % 8] : pick == 39 ? alphabet[8 + rng() % 2] : 'x';
      }
    } else {  // GEDCOM-like lines, with NUL and byte 26 in a third of the texts
      for (int i = 0, n = static_cast<int>(rng() % 120); i < n; ++i) {
        std::string text(rng() % 30, 'a');
        if (!text.empty()) text[0] = starts[rng() % 5];
        if (text.size() > 2) text[2] = thirds[rng() % 5];
        if (round % 3 == 0 && rng() % 40 == 0 && !text.empty()) text[rng() % text.size()] = rng() % 2 ? '\0' : 26;
        data += text + ends[rng() % 10 < 6 ? rng() % 2 : rng() % 8];
      }
    }
    for (std::size_t block : {16, 17, 64, 100, 200, 1 << 20}) {
      const Lines all = ReadAll(data, block, true);
      ASSERT_EQ(ReadAll(data, block), all) << round << " " << block;
      StringSource source(data);
      LineReader reader(source, block);
      std::size_t counted = 0;
      std::vector<bool> handedOut(all.size() + 1, false);
      reader.ForEachSelected(
          sel,
          [&](Line& line) {
            ASSERT_LT(counted, all.size());
            EXPECT_EQ(Seen(line), all[counted]) << round << " " << block << " line " << counted;
            handedOut[counted++] = true;
          },
          [&](std::size_t skipped) {
            EXPECT_GT(skipped, 0u);
            counted += skipped;
          });
      EXPECT_EQ(counted, all.size()) << round << " " << block;
      for (std::size_t i = 0; i < all.size() && !HasFailure(); ++i) {
        const std::string& t = all[i].first;
        const bool selected = !t.empty() && (t[0] == '0' || (t[0] == '1' && t.size() > 2 && (t[2] == 'F' || t[2] == 'C')));
        EXPECT_TRUE(!selected || handedOut[i]) << round << " " << block << " line " << i << " " << t;
      }
      if (block != 64) continue;
      StringSource again(data);
      LineReader stopped(again, block);
      Lines seen;
      stopped.ForEach([&](Line& line) { return seen.push_back(Seen(line)), seen.size() < all.size() / 2; });
      Line line;
      while (stopped.Next(line)) seen.push_back(Seen(line));
      EXPECT_EQ(seen, all) << round;
    }
  }
}

// Every version of the chunk masks this processor runs gives the masks of the plain one.
TEST(ChunkMasks, EveryVersionEqualsTheByteByByteOne) {
  int versions = 0;
  const MaskKernels* kernels = AvailableMaskKernels(&versions);
  ASSERT_GE(versions, 1);
  std::mt19937 rng(29);
  const char alphabet[] = {'\n', '\r', '\0', 26, '0', '1', 'F', 'C', 'N', ' ', '\x80', '\xE9', '\xFF'};
  const LineSelection selections[] = {{'0', '1', {'F', 'C'}}, {'0', '1', {'N', 'N'}}, {'\xE9', '\xFF', {'\x80', '\0'}}};
  const auto all = [](const ChunkMasks& m) {
    return std::vector<std::uint64_t>{m.lf, m.cr, m.rareBytes, m.firstByte, m.levelByte, m.thirdBytes};
  };
  for (int round = 0; round < 500; ++round) {
    char chunks[64 * 4];
    for (char& c : chunks) c = rng() % 3 ? alphabet[rng() % sizeof alphabet] : static_cast<char>(rng());
    std::uint64_t cuts[4];
    kernels[0].breaks(chunks, 4, cuts);
    for (const LineSelection& sel : selections) {
      ChunkMasks expected[4];
      kernels[0].masks(chunks, 4, sel, expected);
      for (int k = 0; k < 4; ++k) ASSERT_EQ(cuts[k], expected[k].lf | expected[k].cr | expected[k].rareBytes);
      for (int v = 1; v < versions; ++v) {
        ChunkMasks m[4];
        kernels[v].masks(chunks, 4, sel, m);
        std::uint64_t c[4];
        kernels[v].breaks(chunks, 4, c);
        for (int k = 0; k < 4; ++k) {
          EXPECT_EQ(all(m[k]), all(expected[k])) << v;
          EXPECT_EQ(c[k], cuts[k]) << v;
        }
      }
    }
  }
}

// Pieces as NextPiece hands them out, each followed by '|' when it carries its line end and
// by '~' when it does not.
std::vector<std::string> ReadPieces(const std::string& data, std::size_t maxPiece, std::size_t block) {
  StringSource source(data);
  LineReader reader(source, block);
  std::vector<std::string> out;
  Line piece;
  while (reader.NextPiece(piece, maxPiece)) out.push_back(Seen(piece).first + (piece.hasEnd ? "|" : "~"));
  return out;
}

TEST(LineReader, NextPieceCutsLinesIntoBoundedPieces) {
  const struct {
    const char* name;
    std::string data;
    std::size_t maxPiece;
    std::vector<std::string> pieces;
  } cases[] = {
      {"the line end counts as one", "abc\nabcd\n", 4, {"abc|", "abcd~", "|"}},
      {"a long line", "abcdefghij\r\nk", 4, {"abcd~", "efgh~", "ij|", "k~"}},
      {"a NUL loses the rest of its piece and the line end", std::string("a\0b\nc\n", 6), 4, {"a~", "c|"}},
      {"a NUL at a piece start", std::string("abcd\0\nx", 7), 4, {"abcd~", "~", "x~"}},
      // A CR LF or LF CR pair split by a block boundary is still one line end.
      {"pairs across blocks", "0123456789abcde\r\nnext\n0123456789abcde\n\r\r", 100,
       {"0123456789abcde|", "next|", "0123456789abcde|", "|"}},
  };
  for (const auto& c : cases) {
    for (std::size_t block : {16, 17, 31, 64, 1 << 20}) {
      EXPECT_EQ(ReadPieces(c.data, c.maxPiece, block), c.pieces) << c.name << ", block " << block;
    }
  }
}

}  // namespace
}  // namespace brimsel
