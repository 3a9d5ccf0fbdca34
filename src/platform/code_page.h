// Single-byte code page conversions: OEM (code page 850) to ANSI (Windows-1252), and
// Windows-1252 to UTF-8 for display.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brimsel {

// Converts `length` bytes of `text` in place from code page 850 to Windows-1252, one byte for one
// byte. A character that Windows-1252 lacks (box drawing, dotless i, ...) becomes '?'.
void OemToAnsi(char* text, std::size_t length);

// The Windows-1252 byte for one code page 850 byte.
unsigned char OemToAnsiByte(unsigned char oem);

// Decodes Windows-1252 text to UTF-8. The five bytes that Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control characters of the same value.
std::string Cp1252ToUtf8(std::string_view text);

// Appends `text`, Windows-1252, to `out` in UTF-8, as Cp1252ToUtf8 decodes it.
void AppendCp1252AsUtf8(std::string& out, std::string_view text);

// The Unicode code point of one Windows-1252 byte.
char32_t Cp1252ToCodePoint(unsigned char byte);

}  // namespace brimsel
