// ANSEL: the table against an independent MARC-8 decoder (yaz-iconv), the GEDCOM additions,
// and the placing of marks.
#include "platform/ansel.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/utf8.h"

namespace brimsel {
namespace {

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

}  // namespace
}  // namespace brimsel
