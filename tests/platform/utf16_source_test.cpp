// The UTF-16 source: marks, surrogates, odd length, tiny reads.
#include "platform/utf16_source.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace brimsel {
namespace {

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
