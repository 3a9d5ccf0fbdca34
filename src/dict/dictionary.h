// The string dictionary: distinct given names, surnames or places, each with an identifier
// and a reference count, compared without regard to the case of ASCII letters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/text_blocks.h"

namespace brimsel {

class TableFile;

// Options of Dictionary::Insert.
inline constexpr int kFromOem = 0x02;    // convert from code page 850 to Windows-1252
inline constexpr int kProperName = 0x20;  // proper-name capitalisation, blanks become hyphens
// Option of the listing: add the reference-count column.
inline constexpr int kWithRefCounts = 0x08;

// One entry of a dictionary.
struct DictionaryEntry {
  int id = 0;              // identifier, 0-based, in order of first insertion
  int longueur = 0;        // bytes of texte, terminator excluded
  int nbRef = 0;           // inserts that resolved to this entry, the first one included
  const char* texte = nullptr;  // spelling of the first insert, NUL-terminated
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

  // Normalises `texte` in place (trims blanks, applies `options`) and inserts it. `longueur` is
  // the string length of `texte`; the byte at texte[longueur] is overwritten with a terminator.
  // Returns the entry's identifier, or -1 for a null or blank text, or when memory runs out.
  int Insert(char* texte, int longueur, int options);

  // Number of distinct entries; also the identifier of the next new entry.
  int count = 0;

  const DictionaryEntry& Entry(int id) const { return entries_[static_cast<std::size_t>(id)]; }
  // Identifiers in ascending alphabetical order (the order of the code lists).
  const std::vector<int>& AlphabeticalOrder() const;

  // Writes one line per entry in alphabetical order: code (identifier + 1), with kWithRefCounts
  // the reference count, then the text. Writes nothing for an empty dictionary. Returns 0.
  int Liste(TableFile& fichier, int options) const;

 private:
  int InsertKey(const char* cle, std::size_t longueur);
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
