// Decoding into the tables' encoding and cuts; ANSEL against an independent MARC-8 decoder
// (yaz-iconv), its additions and marks; the UTF-16 source.
#include "platform/text_decoder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/ansel.h"
#include "platform/utf16_source.h"
#include "platform/utf8.h"

namespace brimsel {
namespace {

constexpr auto kUtf8 = TableEncoding::kUtf8;
constexpr auto k1252 = TableEncoding::kWindows1252;

TEST(DecodeText, FromEachSetToEachEncoding) {
  const struct {
    const char* what;
    std::string raw;
    Charset from;
    TableEncoding to;
    std::string expected;
    std::uint64_t replaced;
    std::uint64_t readAsCp1252;
  } cases[] = {
      {"ASCII untouched", "Jean /Dupont/", Charset::kAnsel, kUtf8, "Jean /Dupont/", 0, 0},
      {"1252 to UTF-8", "Qu\xE9r\xE9 \x80", Charset::kWindows1252, kUtf8, "Qu\u00E9r\u00E9 \u20AC", 0, 0},
      {"UTF-8 to 1252", "Qu\u00E9r\u00E9 \u0152", Charset::kUtf8, k1252, "Qu\xE9r\xE9 \x8C", 0, 0},
      {"decomposed to NFC", "Que\u0301re\u0301", Charset::kUtf8, kUtf8, "Qu\u00E9r\u00E9", 0, 0},
      {"no 1252 form", "\u0141\u00F3d\u017A", Charset::kUtf8, k1252, "?\xF3" "d?", 2, 0},
      {"NFC already, past U+0300", "\u0416\u4E2D", Charset::kUtf8, kUtf8, "\u0416\u4E2D", 0, 0},
      {"singleton to NFC", "\u212B", Charset::kUtf8, kUtf8, "\u00C5", 0, 0},
      {"stray byte", "Qu\xE9r\xE9", Charset::kUtf8, kUtf8, "Qu\u00E9r\u00E9", 0, 2},
      {"cut sequence", "\xF0\x9F\x98" "a", Charset::kUtf8, kUtf8, "\u00F0\u0178\u02DCa", 0, 3},
      {"surrogate bytes", "\xED\xA0\x80", Charset::kUtf8, k1252, "\xED\xA0\x80", 0, 3},
      {"stray byte and a mark", "e\xCC\x81\xE9", Charset::kUtf8, k1252, "\xE9\xE9", 0, 1},
      {"UTF-16 text is UTF-8", "\u00E9\xEF\xBF\xBD", Charset::kUtf16Le, k1252, "\xE9?", 1, 0},
      {"four bytes", "\U0001F600", Charset::kUtf8, k1252, "?", 1, 0},
      {"CP850", "\x82\x90\xD5", Charset::kCp850, k1252, "\xE9\xC9?", 1, 0},
      {"Mac Roman", "\x8E\xDB\xF0", Charset::kMacRoman, k1252, "\xE9\x80?", 1, 0},
      {"ANSEL", "\xE2" "E\xA5", Charset::kAnsel, kUtf8, "\u00C9\u00C6", 0, 0},
      {"ANSEL composed before the 1252 form", "Qu\xE2" "er\xE2" "e \xB1", Charset::kAnsel, k1252, "Qu\xE9r\xE9 ?", 1, 0},
  };
  TextDecoder reused(Charset::kUtf8, kUtf8);
  std::string out = "previous content";
  for (const auto& c : cases) {
    DecodeCounts counts;
    DecodeText(c.raw, c.from, c.to, out, counts);
    EXPECT_EQ(out, c.expected) << c.what;
    EXPECT_EQ(counts.replaced, c.replaced) << c.what;
    EXPECT_EQ(counts.readAsCp1252, c.readAsCp1252) << c.what;
    if (c.from == Charset::kUtf8 && c.to == kUtf8) {
      reused.Decode(c.raw, out, counts);  // the buffers kept from the text before do not leak
      EXPECT_EQ(out, c.expected) << c.what << " (reused)";
    }
    // Decoded as two texts cut where decoding may restart, it gives the same, counts included.
    TextDecoder pieces(c.from, c.to);
    const std::size_t cut = pieces.RestartPoint(c.raw);
    DecodeCounts pieceCounts;
    std::string second;
    pieces.Decode(c.raw.substr(0, cut), out, pieceCounts);
    pieces.Decode(c.raw.substr(cut), second, pieceCounts);
    EXPECT_EQ(out + second, c.expected) << c.what << " (cut at " << cut << ")";
    EXPECT_EQ(pieceCounts.replaced, c.replaced) << c.what << " (cut)";
    EXPECT_EQ(pieceCounts.readAsCp1252, c.readAsCp1252) << c.what << " (cut)";
  }
}

TEST(CutToFit, NeverInsideACharacter) {
  const struct {
    std::string text;
    std::size_t max;
    TableEncoding encoding;
    std::size_t expected;
  } cases[] = {
      {"abc", 2, kUtf8, 2},          {"a\u00E9", 2, kUtf8, 1},     {"a\u00E9b", 3, kUtf8, 3},
      {"\u20AC\u20AC", 5, kUtf8, 3},
      {"\U0001F600", 3, kUtf8, 0},   {"x\U0001F600", 4, kUtf8, 1}, {"a\xE9\xE9", 2, k1252, 2},
      {"a\x80\x80\x80\x80", 3, kUtf8, 3},  // stray bytes are characters of their own
      {"\xC3\xA9\x80\x80", 3, kUtf8, 3}, {"", 0, kUtf8, 0},      {"\u00E9", 0, kUtf8, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CutToFit(c.text, c.max, c.encoding), c.expected) << c.text << " " << c.max;
  }
}

std::string Utf8Of(const std::u32string& cps) {
  std::string out;
  for (char32_t cp : cps) AppendUtf8(out, cp);
  return out;
}

std::string AnselToUtf8(std::string_view raw) {
  std::u32string cps;
  DecodeAnsel(raw, cps);
  return Utf8Of(cps);
}

// Runs `yaz-iconv -f marc8 -t utf8` over `input`; false when the program is missing.
bool Yaz(const std::string& input, std::string& output) {
  if (std::system("command -v yaz-iconv >/dev/null 2>&1") != 0) return false;
  const std::string path = ::testing::TempDir() + "ansel_yaz_input.bin";
  std::ofstream(path, std::ios::binary) << input;
  const std::string command = "yaz-iconv -f marc8 -t utf8 '" + path + "'";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return false;
  char buffer[4096];
  std::size_t n;
  output.clear();
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  return pclose(pipe) == 0;
}

// The bytes that GEDCOM 5.5 adds to MARC-8, which the independent decoder does not know.
bool IsGedcomAddition(int b) {
  return b == 0xBE || b == 0xBF || b == 0xCD || b == 0xCE || b == 0xCF || b == 0xFC;
}

TEST(AnselTable, AgreesWithMarc8Decoder) {
  // Each item alone between two '|': a letter byte, or a mark before 'a'.
  std::vector<std::string> items;
  for (int b = 0xA0; b <= 0xFF; ++b) {
    if (IsGedcomAddition(b)) continue;
    std::string item(1, static_cast<char>(b));
    if (IsAnselMark(static_cast<unsigned char>(b))) item += 'a';
    items.push_back(item);
  }
  std::string input = "|";
  for (const std::string& item : items) input += item + "|";
  std::string output;
  if (!Yaz(input, output)) GTEST_SKIP() << "yaz-iconv is not installed";
  std::vector<std::string> pieces;
  std::size_t start = 1;
  for (std::size_t bar; (bar = output.find('|', start)) != std::string::npos; start = bar + 1) {
    pieces.push_back(output.substr(start, bar - start));
  }
  ASSERT_EQ(pieces.size(), items.size()) << output;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const int byte = static_cast<unsigned char>(items[i][0]);
    // The decoder writes nothing for a byte MARC-8 leaves undefined; ANSEL reads U+FFFD there.
    std::string expected = pieces[i].empty() ? "\xEF\xBF\xBD" : pieces[i];
    // Marks: the decoder leaves one of them (0xF8) before its letter, so the mark's code point
    // is compared here with the letter put first; where marks go is tested below.
    const std::size_t letter = expected.find('a');
    if (items[i].size() == 2 && letter != std::string::npos)
      expected = "a" + expected.erase(letter, 1);
    EXPECT_EQ(AnselToUtf8(items[i]), expected) << "byte " << std::hex << byte;
  }
}

// The bytes GEDCOM adds to MARC-8, where the marks go, and the marks composed in the tables.
TEST(Ansel, AdditionsAndMarks) {
  const std::pair<const char*, const char*> cases[] = {
      {"\xBE", "\u25A1"}, {"\xBF", "\u25A0"}, {"\xCD", "e"}, {"\xCE", "o"}, {"\xCF", "\u00DF"},
      {"\xFCo", "o\u0338"},
      {"\xE8\xE2" "a", "a\u0308\u0301"},  // a run keeps its byte order
      {"x\xE2", "x \u0301"},              // no character before the end: after a space
      {"x\xEC", "x"},                     // a dropped half alone adds no space
      {"\xEB" "t\xECs", "t\u0361s"},      // the double mark over two letters
      {"\xE2\xFD", "\uFFFD\u0301"},       // 0xFD is a character
      {"\xE2 ", " \u0301"}, {"\x80\xAF\xFF", "\uFFFD\uFFFD\uFFFD"},
  };
  for (const auto& [raw, utf8] : cases) EXPECT_EQ(AnselToUtf8(raw), utf8) << raw;
}

// UTF-16 bytes of `units` in the given byte order.
std::string Bytes(const std::vector<char16_t>& units, bool bigEndian) {
  std::string out;
  for (char16_t u : units) {
    const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
    out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
  }
  return out;
}

std::string ReadAll(ByteSource& source, std::size_t capacity) {
  std::string out;
  std::vector<char> buffer(capacity);
  for (std::ptrdiff_t n; (n = source.Read(buffer.data(), buffer.size())) > 0;) {
    out.append(buffer.data(), static_cast<std::size_t>(n));
  }
  return out;
}

TEST(Utf16Source, ServesUtf8) {
  const struct {
    const char* what;
    std::vector<char16_t> units;
    std::string extra;  // bytes after the units
    std::string utf8;
  } cases[] = {
      {"mark skipped", {0xFEFF, u'0', u' ', 0x00E9}, "", "0 \u00E9"},
      {"second mark kept", {0xFEFF, 0xFEFF, u'a'}, "", "\uFEFFa"},
      {"pair", {u'a', 0xD83D, 0xDE00, u'b'}, "", "a\U0001F600b"},
      {"lone high", {u'a', 0xD83D, u'b'}, "", "a\uFFFDb"},
      {"lone low", {u'a', 0xDE00, u'b'}, "", "a\uFFFDb"},
      {"odd length", {u'a'}, "x", "a\uFFFD"},
      {"high then odd byte", {u'a', 0xD83D}, "x", "a\uFFFD\uFFFD"},
      {"line ends and NUL", {u'a', u'\r', u'\n', 0, 0x20AC}, "", std::string("a\r\n\0\u20AC", 7)},
  };
  for (const auto& c : cases) {
    for (bool bigEndian : {false, true}) {
      const std::string raw = Bytes(c.units, bigEndian) + c.extra;
      // Every small read size and block size gives what one large read gives.
      for (std::size_t block : {2, 3, 5, 4096}) {
        for (std::size_t capacity : {1, 2, 3, 7, 4096}) {
          StringSource inner(raw);
          Utf16Source source(inner, bigEndian, block);
          EXPECT_EQ(ReadAll(source, capacity), c.utf8)
              << c.what << (bigEndian ? " BE" : " LE") << " block " << block << " read "
              << capacity;
          EXPECT_EQ(source.Size(), static_cast<std::int64_t>(raw.size()));
        }
      }
    }
  }
}

}  // namespace
}  // namespace brimsel
