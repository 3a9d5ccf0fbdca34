// Which character set a file is read in: names, marks, detector, decision and its message;
// the streamed UTF-8 check gives the line-by-line verdict, whatever the blocks.
#include "platform/charset.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "platform/byte_source.h"
#include "platform/line_reader.h"

namespace brimsel {
namespace {

using namespace std::string_literals;

TEST(CharsetNames, CharValuesAndOptions) {
  const struct {
    const char* name;
    std::optional<Charset> asChar;
    std::optional<Charset> asOption;
  } cases[] = {
      {" utf8\t", Charset::kUtf8, Charset::kUtf8},       {"UTF-16", Charset::kUtf8, std::nullopt},
      {"utf-16be", std::nullopt, Charset::kUtf16Be},      {"IBM WINDOWS", Charset::kWindows1252, Charset::kWindows1252},
      {"latin1", Charset::kWindows1252, Charset::kWindows1252}, {"IBM-PC", Charset::kCp437, Charset::kCp437},
      {"MACINTOSH", Charset::kMacRoman, Charset::kMacRoman}, {"IBM  PC", std::nullopt, std::nullopt},
      {"", std::nullopt, std::nullopt},                   {"UNICODE", Charset::kUtf8, std::nullopt},
      {"UTF16", Charset::kUtf8, std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CharsetFromCharValue(c.name), c.asChar) << c.name;
    EXPECT_EQ(CharsetFromOption(c.name), c.asOption) << c.name;
  }
  EXPECT_EQ(TableEncodingFromOption("UTF-8"), TableEncoding::kUtf8);
  EXPECT_EQ(TableEncodingFromOption("windows-1252"), TableEncoding::kWindows1252);
  EXPECT_EQ(TableEncodingFromOption("latin1"), std::nullopt);
}

TEST(ByteOrderMarks, Sniffed) {
  const struct {
    std::string first;
    std::optional<Charset> set;
    std::size_t size;
  } cases[] = {
      {"\xEF\xBB\xBF" "0 HEAD", Charset::kUtf8, 3}, {"\xFF\xFE" "0\0"s, Charset::kUtf16Le, 2},
      {"\xFE\xFF\0" "0"s, Charset::kUtf16Be, 2},    {"0\0 \0"s, Charset::kUtf16Le, 0},
      {"\0" "0\0 "s, Charset::kUtf16Be, 0},         {"0 HEAD", std::nullopt, 0},
      {"\xEF\xBB", std::nullopt, 0},                {"", std::nullopt, 0},
  };
  for (const auto& c : cases) {
    const std::optional<ByteOrderMark> mark = SniffByteOrderMark(c.first);
    EXPECT_EQ(mark ? std::optional(std::pair(mark->charset, mark->size)) : std::nullopt,
              c.set ? std::optional(std::pair(*c.set, c.size)) : std::nullopt) << c.first;
  }
  EXPECT_EQ(OwnByteOrderMarkSize(Charset::kUtf16Be, "\xFF\xFE"), 0u);  // a chosen set skips its own only
}

// The decision over `lines`, whose file starts with `first` (the first line when empty).
CharsetDecision Decide(const std::vector<std::string>& lines, std::string first = "",
                       std::optional<Charset> user = std::nullopt) {
  if (first.empty()) first = lines.front();
  CharsetDetector detector(!SniffByteOrderMark(first).has_value());
  for (const std::string& line : lines) detector.Feed(line);
  return DecideCharset(user, first, detector);
}

const std::string kSet = "Jeu de caract\xE8res ";

TEST(CharsetDecision, Steps) {
  using K = Charset;
  const struct {
    const char* what;
    std::vector<std::string> lines;
    std::string first;  // empty: the first line
    Charset expected;
    std::string message;  // after "Jeu de caractères "
  } cases[] = {
      {"ANSI and plain text", {"0 HEAD", "1 CHAR ANSI", "0 @I1@ INDI", "1 NAME Qu\xE9r\xE9 /X/"}, "", K::kWindows1252, ""},
      {"unknown CHAR", {"0 HEAD", "1 CHAR  Foo Bar\t", "0 TRLR"}, "", K::kWindows1252, "Windows-1252 (CHAR Foo Bar)"},
      {"ANSEL with its bytes", {"0 HEAD", "1 CHAR ANSEL", "1 NAME Qu\xE2" "er\xE2" "e"}, "", K::kAnsel, "ANSEL"},
      {"ANSI but UTF-8", {"0 HEAD", "1 CHAR ANSI", "0 @I1@ INDI", "1 NAME Qu\xC3\xA9r\xC3\xA9"}, "", K::kUtf8,
       "UTF-8 (CHAR ANSI)"},
      {"UTF-8 declared, Windows-1252 bytes", {"0 HEAD", "1 CHAR UTF-8", "1 NAME \xE9"}, "", K::kUtf8, "UTF-8"},
      {"UNICODE in a UTF-8 file", {"0 HEAD", "1 CHAR UNICODE", "1 NAME \xC3\xA9"}, "", K::kUtf8, "UTF-8"},
      {"mark against CHAR", {"0 HEAD", "1 CHAR ANSEL"}, "\xEF\xBB\xBF" "0 ", K::kUtf8, "UTF-8 (CHAR ANSEL)"},
      {"UTF-16 says UTF-8", {"0 HEAD", "1 CHAR UTF-8"}, "\0" "0\0 "s, K::kUtf16Be, "UTF-16BE (CHAR UTF-8)"},
      {"GEDCOM 7 against ANSI", {"0 HEAD", "1 GEDC", "2 FORM LINEAGE-LINKED", "2 VERS 7.0", "1 CHAR ANSI"}, "",
       K::kUtf8, "UTF-8 (CHAR ANSI)"},
      {"VERS 7 of another record", {"0 HEAD", "1 SOUR X", "2 VERS 7.1", "1 GEDC", "2 VERS 5.5.1"}, "",
       K::kWindows1252, ""},
      {"VERS after the GEDC group", {"0 HEAD", "1 GEDC", "1 DEST X", "2 VERS 7"}, "", K::kWindows1252, ""},
      {"CHAR outside HEAD", {"0 HEAD", "0 @S1@ SOUR", "1 CHAR ANSEL"}, "", K::kWindows1252, ""},
      {"HEAD not first", {"0 @I1@ INDI", "0 HEAD", "1 CHAR ANSEL"}, "", K::kWindows1252, ""},
      {"lines before HEAD", {"", "garbage", "0 HEAD", "1 CHAR ANSEL"}, "", K::kAnsel, "ANSEL"},
      {"first CHAR only", {"0 HEAD", "1 CHAR MAC", "1 CHAR ANSEL"}, "", K::kMacRoman, "MACINTOSH"},
      {"DOS code page 437", {"0 HEAD", "1 CHAR IBMPC"}, "", K::kCp437, "CP437"},
      {"DOS code page 850", {"0 HEAD", "1 CHAR msdos "}, "", K::kCp850, "CP850"},
      {"empty CHAR counts as none", {"0 HEAD", "1 CHAR  ", "1 CHAR ANSEL"}, "", K::kWindows1252, ""},
      {"sequence split by CONC", {"0 HEAD", "0 @N1@ NOTE Qu\xC3", "1 CONC \xA9r\xC3\xA9"}, "", K::kUtf8, "UTF-8"},
      {"four bytes over two CONC", {"0 HEAD", "1 NOTE \xF0\x9F", "2 CONC ", "2 CONC \x98\x80 x"}, "", K::kUtf8, "UTF-8"},
      {"split without CONC", {"0 HEAD", "1 NOTE Qu\xC3", "1 CONT \xA9r"}, "", K::kWindows1252, ""},
      {"cut at the end", {"0 HEAD", "1 NOTE \xC3\xA9 \xC3"}, "", K::kWindows1252, ""},
      {"overlong form", {"0 HEAD", "1 NOTE \xC3\xA9 \xC0\x80"}, "", K::kWindows1252, ""},
      {"surrogate", {"0 HEAD", "1 NOTE \xC3\xA9 \xED\xA0\x80"}, "", K::kWindows1252, ""},
      {"invalid before valid", {"0 HEAD", "1 NOTE \xE9", "1 NOTE \xC3\xA9"}, "", K::kWindows1252, ""},
  };
  for (const auto& c : cases) {
    const CharsetDecision d = Decide(c.lines, c.first);
    EXPECT_EQ(d.charset, c.expected) << c.what;
    EXPECT_EQ(d.message, c.message.empty() ? "" : kSet + c.message) << c.what;
  }
  // A user's choice wins silently; only a chosen UTF-8 skips the UTF-8 mark.
  const std::vector<std::string> utf8 = {"0 HEAD", "1 CHAR UTF-8", "1 NAME \xC3\xA9"};
  const CharsetDecision d = Decide(utf8, "\xEF\xBB\xBF" "0", Charset::kWindows1252);
  EXPECT_EQ(d.charset, Charset::kWindows1252);
  EXPECT_EQ(d.skip, 0u);
  EXPECT_TRUE(d.message.empty());
  EXPECT_EQ(Decide(utf8, "\xEF\xBB\xBF" "0", Charset::kUtf8).skip, 3u);
}

// Done once nothing can change the decision; a line too short for "0 HEAD" with its line end is
// passed by, as the passes do.
TEST(CharsetDetector, DoneAndShortLines) {
  CharsetDetector detector, afterMark(false), shortFirst;
  for (const char* line : {"0 HEAD", "1 NOTE \xE9", "1 CHAR ANSEL"}) detector.Feed(line);
  EXPECT_FALSE(detector.Done());  // the HEAD record goes on
  detector.Feed("0 @I1@ INDI");
  EXPECT_TRUE(detector.Done());
  EXPECT_EQ(detector.CharValue(), "ANSEL");
  afterMark.Feed("0 HEAD");
  afterMark.Feed("0 TRLR");
  EXPECT_TRUE(afterMark.Done());
  shortFirst.Feed("0 HE", true);
  shortFirst.Feed("0 HEAD", false);
  shortFirst.Feed("1 CHAR ANSEL");
  EXPECT_EQ(shortFirst.CharValue(), "ANSEL");
}

Utf8Check ByLines(const std::string& text) {
  StringSource source(text);
  LineReader reader(source, 16);
  CharsetDetector detector;
  reader.ForEach([&](Line& line) {
    detector.Feed(line.View(), line.hasEnd);
    return true;
  });
  Utf8Check check;
  check.multibyte = detector.IsUtf8();
  check.invalid = !detector.IsUtf8();
  return check;
}

bool ByStream(const std::string& text, std::size_t block) {
  Utf8Stream stream;
  for (std::size_t i = 0; i < text.size(); i += block) stream.Feed(std::string_view(text).substr(i, block));
  return stream.Check().IsUtf8();
}

TEST(Utf8Stream, SameVerdictAsTheLines) {
  const std::string cases[] = {
      "1 NAME Jos\xC3\xA9\n",
      "1 NOTE caf\xC3\n2 CONC \xA9\n",
      "1 NOTE caf\xC3\r\n2 CONC \xA9\r\n",
      "1 NOTE caf\xC3\n\r2 CONC \xA9",
      "1 NOTE caf\xC3\n\n2 CONC \xA9\n",          // an empty line between
      "1 NOTE caf\xC3\n2 CONT \xA9\n",            // CONT does not continue
      "1 NOTE caf\xC3\n2 CONC\n3 CONC \xA9\n",    // an empty CONC keeps it open
      "1 NOTE caf\xC3\n2  CONC \xA9\n",           // two blanks: no tag
      "1 NOTE caf\xC3\n2 CONC  \xA9\n",           // the value starts with a blank
      "1 NOTE caf\xC3\0junk\n2 CONC \xA9\n",     // a NUL hides the rest of its line
      "1 NOTE ok\0\xE9\n1 NOTE \xC3\xA9\n",      // ...and the high bytes there
      "1 NOTE caf\xC3",                           // open at the end
      "1 NOTE \xC3\xA9\x1A\xE9",                  // byte 26 ends the input
      "1 NOTE \xE9\n",
      "1 NOTE \xC0\xA9\n",
      "1 NOTE \xED\xA0\x80\n",
      "plain ASCII only\n",
  };
  for (const std::string& text : cases) {
    for (std::size_t block : {1, 3, 8, 4096}) {
      EXPECT_EQ(ByStream(text, block), ByLines(text).IsUtf8()) << text << " block " << block;
    }
  }
  // Random texts of the bytes that matter.
  std::mt19937 random(7);
  const char pieces[][8] = {"\n", "\r", "\r\n", "\n\r", "2 CONC ", "1 NOTE ", "\xC3", "\xA9",
                            "\xE2\x82", "\xAC", "\xE9", "a", " ", "", "\x1A", "CONC"};
  for (int run = 0; run < 3000; ++run) {
    std::string text;
    const int length = static_cast<int>(random() % 12);
    for (int k = 0; k < length; ++k) {
      const auto& piece = pieces[random() % std::size(pieces)];
      text += piece[0] == '\0' ? std::string(1, '\0') : std::string(piece);
    }
    ASSERT_EQ(ByStream(text, 1 + random() % 9), ByLines(text).IsUtf8()) << text;
  }
}

}  // namespace
}  // namespace brimsel
