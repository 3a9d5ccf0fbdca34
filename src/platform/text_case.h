// Letter case of the tables' texts: Windows-1252 tables, Unicode case folding and proper-name
// casing of UTF-8 texts.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "platform/charset.h"

namespace brimsel {

// Windows-1252 upper-case image of every byte: a-z, à-þ but ÷, š, œ, ž and ÿ change; ß and µ
// have no capital here and stay.
const std::array<unsigned char, 256>& Cp1252UpperTable();
inline unsigned char Cp1252Upper(unsigned char c) {
  return Cp1252UpperTable()[c];
}

// Windows-1252 lower-case image: A-Z, À-Þ but ×, Š, Œ, Ž and Ÿ change.
const std::array<unsigned char, 256>& Cp1252LowerTable();
inline unsigned char Cp1252Lower(unsigned char c) {
  return Cp1252LowerTable()[c];
}

// Compares two Windows-1252 texts by the unsigned bytes of their upper-case images: <0, 0, >0.
int CompareCp1252IgnoringCase(std::string_view a, std::string_view b);

// Proper-name casing in place for a text of a single-byte set (ANSEL, Windows-1252, code pages
// 437 and 850, Mac Roman): the first character and each character right after a byte of
// `separators` become capitals, the others small; separators stay as they are. Windows-1252
// changes its accented letters too; the other sets change only A to Z, and in ANSEL a run of
// marks and the letter after it are one character.
void ProperCaseBytes(char* text, std::size_t size, Charset set, std::string_view separators);

// The key under which UTF-8 texts are one dictionary entry: normalization form C, then Unicode
// full case folding, in UTF-8 (whose byte order is the code-point order). An ASCII text is
// lowered without a library call; a byte outside a valid sequence counts as its Windows-1252
// character.
void CaseFoldKey(std::string_view text, std::string& key);

// Compares two UTF-8 texts by their case-fold keys: <0, 0, >0.
int CompareUtf8IgnoringCase(std::string_view a, std::string_view b);

// Proper-name casing of a UTF-8 text into `out`: the first character and each character right
// after a byte of `separators` (ASCII) take their simple titlecase mapping, the others their
// simple lowercase mapping. A byte outside a valid sequence is read as its Windows-1252
// character; the output is valid UTF-8, not normalized.
void ProperCaseUtf8(std::string_view text, std::string_view separators, std::string& out);

}  // namespace brimsel
