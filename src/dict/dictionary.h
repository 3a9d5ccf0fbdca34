// The string dictionary: distinct given names, surnames or places, each with an identifier
// and a reference count, compared without regard to the case of their letters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/charset.h"
#include "platform/text_blocks.h"

namespace brimsel {

// Option of Dictionary::Insert: proper-name capitalisation, blanks become hyphens.
inline constexpr int kProperName = 0x20;

// One entry of a dictionary.
struct DictionaryEntry {
  int id = 0;              // identifier, 0-based, in order of first insertion
  int length = 0;        // bytes of text, terminator excluded
  int refCount = 0;           // inserts that resolved to this entry, the first one included
  const char* text = nullptr;  // spelling of the first insert, NUL-terminated
  // What texts are compared by: the text itself, or for a UTF-8 text with a letter outside
  // ASCII, its case-fold key.
  const char* key = nullptr;
  int keyLength = 0;
};

// Compares two Windows-1252 texts as the dictionary orders them: by the unsigned bytes of
// their upper-case images (accented letters included); a text that ends first is the lower.
// Returns <0, 0 or >0.
int CompareIgnoringCase(std::string_view a, std::string_view b);

// A dictionary keeps its entries in a hash table on the case-folded text, so that an insert
// costs the same whatever order the texts arrive in, and hands out the alphabetical order on
// demand (sorted once after the last insert and kept until the next new entry).
//
// Windows-1252 texts are one entry when their upper-case images are equal, and are listed in
// the byte order of those images. UTF-8 texts are one entry when their normalization form C
// is equal after Unicode full case folding, and are listed in the code-point order of the
// folded forms; an ASCII text is its own key, folded to small letters as it is compared.
class Dictionary {
 public:
  explicit Dictionary(TableEncoding encoding = TableEncoding::kWindows1252);
  ~Dictionary();
  Dictionary(const Dictionary&) = delete;
  Dictionary& operator=(const Dictionary&) = delete;

  // Normalises `text` in place (trims blanks, applies `options`) and inserts it. `length` is
  // the string length of `text`; the byte at text[length] is overwritten with a terminator.
  // Returns the entry's identifier, or -1 for a null or blank text, or when memory runs out.
  int Insert(char* text, int length, int options);

  // Adds the entries of `other`, in its identifier order, as if its inserts had followed this
  // dictionary's: an entry whose text this one has adds its count to that entry, which keeps
  // its identifier and spelling; any other becomes a new entry with the next identifier and
  // other's spelling. Returns, for each identifier of `other`, its identifier here. Throws
  // std::bad_alloc when memory runs out. Both dictionaries must compare texts alike.
  std::vector<int> Absorb(const Dictionary& other);

  // Number of distinct entries; also the identifier of the next new entry.
  int count = 0;

  const DictionaryEntry& Entry(int id) const { return entries_[static_cast<std::size_t>(id)]; }
  // Identifiers in ascending alphabetical order (the order of the code lists).
  const std::vector<int>& AlphabeticalOrder() const;

 private:
  int InsertKey(const char* text, std::size_t length);
  // Finds the entry of `key`, adding `refs` to its count, or adds an entry of `text` and `key`
  // (the text itself when keyIsText) with `refs` references. -1 when a limit is reached.
  int FindOrAdd(const char* text, std::size_t textLength, const char* key, std::size_t length,
                bool keyIsText, int refs);
  void Grow();
  std::uint32_t Hash(const char* key, std::size_t length) const;
  bool SameKey(const char* a, const char* b, std::size_t length) const;

  // A UTF-8 text with a character outside ASCII costs a case mapping and a case folding before
  // its entry is found; the spellings already met lead straight to their entry instead.
  // Slots of eight bytes, as in table_, lead to the spellings themselves.
  struct SpellingSlot {
    std::uint32_t hash = 0;
    std::int32_t idPlusOne = 0;  // index in spellingTexts_ plus one; 0: a free slot
  };
  struct Spelling {
    const char* text = nullptr;
    std::size_t length = 0;
    int options = 0;
    int id = 0;
  };
  int FindSpelling(const char* text, std::size_t length, int options, std::uint32_t hash);
  void AddSpelling(const char* text, std::size_t length, int options, std::uint32_t hash, int id);

  bool utf8_;
  std::vector<SpellingSlot> spellings_;
  std::vector<Spelling> spellingTexts_;
  std::string proper_;  // a UTF-8 text in proper-name case
  std::string key_;     // the case-fold key of the text being inserted

  std::vector<DictionaryEntry> entries_;
  // Open addressing. A slot holds the entry's folded hash and its identifier plus one (0 for a
  // free slot): eight bytes, so that the table of a few thousand entries stays in the fastest
  // caches while the file streams past. A hash that matches leads to the entry, whose length,
  // text and count are then compared and updated together.
  struct EntrySlot {
    std::uint32_t hash = 0;
    std::int32_t idPlusOne = 0;
  };
  std::vector<EntrySlot> table_;
  TextBlocks texts_;  // the entries' texts
  mutable std::vector<int> order_;
  mutable bool orderCurrent_ = true;
};

// Applies the dictionary's proper-name rule in place to `length` bytes of Windows-1252 (or
// ASCII) text: first letter upper case; after a blank or hyphen the next letter upper case,
// every other letter lower case; blanks become hyphens.
void ApplyProperNameRule(char* text, std::size_t length);

}  // namespace brimsel
