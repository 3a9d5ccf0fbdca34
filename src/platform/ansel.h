// ANSEL, the character set of GEDCOM 5.5 files: decoding to code points.
#pragma once

#include <string>
#include <string_view>

namespace brimsel {

// The character of one ANSEL byte that is not a combining mark: ASCII below 0x80, the letters
// and signs of the extended Latin half, U+FFFD for a byte with no meaning.
char32_t AnselCharacter(unsigned char byte);

// True for the bytes 0xE0 to 0xFE but 0xFD: combining marks that stand before their letter.
inline bool IsAnselMark(unsigned char byte) {
  return byte >= 0xE0 && byte <= 0xFE && byte != 0xFD;
}

// The Unicode combining mark of an ANSEL mark byte, or 0 for the right halves of the double
// marks (0xEC, 0xFB), which are dropped.
char32_t AnselMark(unsigned char byte);

// Decodes one ANSEL text to code points, appended to `out`. Each run of marks goes after the
// character that follows it, in byte order; marks with no character after them go after a
// space at the end of the text (dropped halves alone add no space).
void DecodeAnsel(std::string_view text, std::u32string& out);

}  // namespace brimsel
