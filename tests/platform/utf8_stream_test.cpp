// The byte check made on the stream of a file's bytes gives the verdict of the line-by-line
// check, whatever the blocks.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "platform/byte_source.h"
#include "platform/charset.h"
#include "platform/line_reader.h"

namespace brimsel {
namespace {

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
