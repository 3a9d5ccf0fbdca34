// The string dictionary: distinct given names, surnames or places, each with an identifier
// and a reference count, compared without regard to the case of ASCII letters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/text_blocks.h"

namespace brimsel {

// Options of Dictionary::Insert.
inline constexpr int kFromOem = 0x02;    // convert from code page 850 to Windows-1252
inline constexpr int kProperName = 0x20;  // proper-name capitalisation, blanks become hyphens

// One entry of a dictionary.
struct DictionaryEntry {
  int id = 0;              // identifier, 0-based, in order of first insertion
  int length = 0;        // bytes of text, terminator excluded
  int refCount = 0;           // inserts that resolved to this entry, the first one included
  const char* text = nullptr;  // spelling of the first insert, NUL-terminated
};

// Compares two NUL-terminated texts as the dictionary orders them: ASCII letters without regard
// to case, every other byte by its unsigned value; a text that ends first is the lower.
// Returns <0, 0 or >0.
int CompareIgnoringCase(const char* a, const char* b);

// A dictionary keeps its entries in a hash table on the case-folded text, so that an insert
// costs the same whatever order the texts arrive in, and hands out the alphabetical order on
// demand (sorted once after the last insert and kept until the next new entry).
class Dictionary {
 public:
  Dictionary();
  ~Dictionary();
  Dictionary(const Dictionary&) = delete;
  Dictionary& operator=(const Dictionary&) = delete;

  // Normalises `text` in place (trims blanks, applies `options`) and inserts it. `length` is
  // the string length of `text`; the byte at text[length] is overwritten with a terminator.
  // Returns the entry's identifier, or -1 for a null or blank text, or when memory runs out.
  int Insert(char* text, int length, int options);

  // Number of distinct entries; also the identifier of the next new entry.
  int count = 0;

  const DictionaryEntry& Entry(int id) const { return entries_[static_cast<std::size_t>(id)]; }
  // Identifiers in ascending alphabetical order (the order of the code lists).
  const std::vector<int>& AlphabeticalOrder() const;

 private:
  int InsertKey(const char* key, std::size_t length);
  void Grow();

  std::vector<DictionaryEntry> entries_;
  // Open addressing. A slot holds the entry's folded hash and its identifier plus one (0 for a
  // free slot): eight bytes, so that the table of a few thousand entries stays in the fastest
  // caches while the file streams past. A hash that matches leads to the entry, whose length,
  // text and count are then compared and updated together.
  struct Case {
    std::uint32_t hash = 0;
    std::int32_t idPlusOne = 0;
  };
  std::vector<Case> table_;
  TextBlocks texts_;  // the entries' texts
  mutable std::vector<int> order_;
  mutable bool orderCurrent_ = true;
};

// Applies the dictionary's proper-name rule in place to `length` bytes: first byte upper case;
// after a blank or hyphen the next byte upper case, every other letter lower case; blanks become
// hyphens. Only ASCII letters change case.
void ApplyProperNameRule(char* text, std::size_t length);

}  // namespace brimsel
