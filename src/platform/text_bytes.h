// Byte-level facts about text shared by the readers: white space, the byte that ends the input,
// and the masks that test the eight bytes of a word at once.
#pragma once

#include <cstdint>
#include <string_view>

namespace brimsel {

// True when `c` is white space as the C library's isspace sees it in the classic locale: bytes
// 9 to 13 and 32.
constexpr bool IsBlank(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// The small letter of an ASCII capital; any other byte as it is.
constexpr char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// `text` without the white space at either end.
constexpr std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// Byte 26 (Ctrl-Z): the input ends where it stands; nothing after it is read.
inline constexpr char kEndOfInput = 26;

// True for a byte that ends or cuts the text of a line: LF, CR, NUL and byte 26.
constexpr bool IsLineBreak(char c) {
  return c == '\n' || c == '\r' || c == '\0' || c == kEndOfInput;
}

// Eight bytes read as one word: 0x01 in each byte, and the high bit of each byte.
inline constexpr std::uint64_t kEachByteOne = 0x0101010101010101ull;
inline constexpr std::uint64_t kEachByteHigh = 0x8080808080808080ull;

}  // namespace brimsel
