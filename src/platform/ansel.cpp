// ANSEL tables and decoding. Source of the tables: the Library of Congress MARC-8 code tables,
// Extended Latin (ANSEL) set, with the additions that GEDCOM 5.5 makes to it (0xBE, 0xBF,
// 0xCD, 0xCE, 0xCF and the mark 0xFC).
#include "platform/ansel.h"

#include <array>

#include "platform/utf8.h"

namespace brimsel {
namespace {

constexpr char32_t kUnknown = kReplacementCharacter;  // a byte that stands for no character

// Bytes 0xA0 to 0xDF; U+FFFD where neither table defines the byte.
constexpr std::array<char16_t, 64> kLetters = {
    kUnknown, 0x0141,   0x00D8,   0x0110,   0x00DE,   0x00C6,   0x0152,   0x02B9,    // A0-A7
    0x00B7,   0x266D,   0x00AE,   0x00B1,   0x01A0,   0x01AF,   0x02BC,   kUnknown,  // A8-AF
    0x02BB,   0x0142,   0x00F8,   0x0111,   0x00FE,   0x00E6,   0x0153,   0x02BA,    // B0-B7
    0x0131,   0x00A3,   0x00F0,   kUnknown, 0x01A1,   0x01B0,   0x25A1,   0x25A0,    // B8-BF
    0x00B0,   0x2113,   0x2117,   0x00A9,   0x266F,   0x00BF,   0x00A1,   0x00DF,    // C0-C7
    0x20AC,   kUnknown, kUnknown, kUnknown, kUnknown, 0x0065,   0x006F,   0x00DF,    // C8-CF
    kUnknown, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown,  // D0-D7
    kUnknown, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown,  // D8-DF
};

// Marks 0xE0 to 0xFE; 0 for the dropped right halves, U+FFFD for 0xFD (not a mark).
constexpr std::array<char16_t, 31> kMarks = {
    0x0309, 0x0300, 0x0301, 0x0302, 0x0303, 0x0304, 0x0306, 0x0307,  // E0-E7
    0x0308, 0x030C, 0x030A, 0x0361, 0x0000, 0x0315, 0x030B, 0x0310,  // E8-EF
    0x0327, 0x0328, 0x0323, 0x0324, 0x0325, 0x0333, 0x0332, 0x0326,  // F0-F7
    0x031C, 0x032E, 0x0360, 0x0000, 0x0338, 0xFFFD, 0x0313,          // F8-FE
};

}  // namespace

char32_t AnselCharacter(unsigned char byte) {
  if (byte < 0x80) return byte;
  if (byte >= 0xA0 && byte < 0xE0) return kLetters[byte - 0xA0];
  return kUnknown;
}

char32_t AnselMark(unsigned char byte) {
  return byte >= 0xE0 && byte <= 0xFE ? kMarks[byte - 0xE0] : kUnknown;
}

void DecodeAnsel(std::string_view text, std::u32string& out) {
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    // A run of marks, then the character they belong to.
    const std::size_t marks = i;
    while (i < n && IsAnselMark(static_cast<unsigned char>(text[i]))) ++i;
    const std::size_t marksEnd = i;
    if (i < n) {
      out.push_back(AnselCharacter(static_cast<unsigned char>(text[i])));
      ++i;
    } else {
      bool any = false;
      for (std::size_t k = marks; k < marksEnd; ++k) {
        any = any || AnselMark(static_cast<unsigned char>(text[k])) != 0;
      }
      if (any) out.push_back(U' ');
    }
    for (std::size_t k = marks; k < marksEnd; ++k) {
      const char32_t mark = AnselMark(static_cast<unsigned char>(text[k]));
      if (mark != 0) out.push_back(mark);
    }
  }
}

}  // namespace brimsel
