// The month words and qualifier words that dates may carry, in their English and French forms,
// shared by the tables' date normaliser and the complete database's date reader.
#pragma once

namespace brimsel {

// A month word and its number (1 to 12).
struct MonthWord {
  const char* word;  // Windows-1252 bytes
  int month;
};

// The month words, compared whole and without regard to the case of ASCII letters. Windows-1252
// bytes: \xE9 é, \xC9 É, \xFB û, \xDB Û; "\x63" is the letter c, written as an escape so that it
// is not read as part of the escape before it. Accented words appear twice, with the accented
// letter in lower and in upper case, because only ASCII letters compare without regard to case.
// The twelve English three-letter words are GEDCOM's month codes.
// clang-format off
inline constexpr MonthWord kMonthWords[24] = {
    {"jan", 1},          {"feb", 2},          {"fev", 2},  {"f\xE9v", 2},  {"f\xC9v", 2},
    {"mar", 3},          {"avr", 4},          {"apr", 4},  {"mai", 5},     {"may", 5},
    {"juin", 6},         {"jun", 6},          {"jul", 7},  {"juil", 7},    {"ao\xFB", 8},
    {"aug", 8},          {"ao\xDB", 8},       {"sep", 9},  {"sept", 9},    {"oct", 10},
    {"nov", 11},         {"d\xE9\x63", 12},   {"d\xC9\x63", 12},           {"dec", 12},
};
// clang-format on

// A word that opens a date to qualify it, and the GEDCOM keyword it stands for.
struct QualifierWord {
  const char* word;     // three ASCII capitals, compared without regard to case
  const char* keyword;  // "ABT", "CAL", "EST", "BEF" or "AFT"
};

// The GEDCOM qualifiers and their French words (ENV, AUT: about; AVT: before; APR: after). APR is
// also the English month code of April, which the readers settle each in its own way.
inline constexpr QualifierWord kQualifierWords[9] = {
    {"BEF", "BEF"}, {"AVT", "BEF"}, {"AFT", "AFT"}, {"APR", "AFT"}, {"ABT", "ABT"},
    {"AUT", "ABT"}, {"ENV", "ABT"}, {"EST", "EST"}, {"CAL", "CAL"},
};

}  // namespace brimsel
