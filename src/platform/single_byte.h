// Single-byte character sets as code points: Windows-1252, code pages 437 and 850, Mac Roman.
#pragma once

#include <optional>

namespace brimsel {

enum class SingleByteSet { kWindows1252, kCp437, kCp850, kMacRoman };

// The code point of one byte of `set`. Bytes below 0x80 are ASCII in all four; the five bytes
// that Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) are the C1 controls of the
// same number.
char32_t SingleByteToCodePoint(SingleByteSet set, unsigned char byte);

// The Windows-1252 byte of `cp`, or nothing when Windows-1252 has no such character. The C1
// controls 0x81, 0x8D, 0x8F, 0x90 and 0x9D map back to their own byte.
std::optional<unsigned char> CodePointToCp1252(char32_t cp);

}  // namespace brimsel
