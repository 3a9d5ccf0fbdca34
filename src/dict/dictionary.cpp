// Dictionary insert: normalisation, case-folded hashing, first-spelling storage.
#include "dict/dictionary.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

#include "platform/text_bytes.h"
#include "platform/text_case.h"
#include "platform/utf8.h"

namespace brimsel {
namespace {

// Folds the ASCII small letters of eight bytes to capitals at once: a byte from 'a' to 'z' loses
// its 0x20 bit, every other byte stays.
inline std::uint64_t FoldAsciiWord(std::uint64_t x) {
  std::uint64_t low7 = x & ~kEachByteHigh;
  std::uint64_t fromA = (low7 + (0x80 - 'a') * kEachByteOne) & kEachByteHigh;
  std::uint64_t afterZ = (low7 + (0x80 - 'z' - 1) * kEachByteOne) & kEachByteHigh;
  std::uint64_t small = fromA & ~afterZ & ~x & kEachByteHigh;
  return x ^ (small >> 2);
}

// Leaves a word as it is: a hash of the exact bytes.
inline std::uint64_t FoldNothing(std::uint64_t x) {
  return x;
}

// The same for Windows-1252 text: a word with a byte from 0x80 up (an accented letter, most
// often) folds each of its bytes through the upper-case table.
inline std::uint64_t FoldCp1252Word(std::uint64_t x) {
  if ((x & kEachByteHigh) == 0) return FoldAsciiWord(x);
  // The accented small letters à to þ (0xE0 to 0xFE but ÷) lose their 0x20 bit like a to z,
  // eight bytes at once; a word with another byte from 0x80 up (š, œ, ž, ÿ, signs) takes the
  // table. Bit 6 and bit 5 of each byte are moved up to bit 7 to be tested there.
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  const auto zeroBytes = [](std::uint64_t v) {  // 0x80 in each byte of `v` that is 0
    return ~(((v & kLow7) + kLow7) | v | kLow7);
  };
  const std::uint64_t b7 = x & kEachByteHigh;
  const std::uint64_t b6 = (x << 1) & kEachByteHigh;
  if ((b7 & ~b6) == 0 && zeroBytes(~x) == 0) {  // nothing from 0x80 to 0xBF, no 0xFF
    const std::uint64_t b5 = (x << 2) & kEachByteHigh;
    const std::uint64_t small = b7 & b6 & b5 & ~zeroBytes(x ^ 0xF7F7F7F7F7F7F7F7ull);
    return FoldAsciiWord(x) ^ (small >> 2);
  }
  const std::array<unsigned char, 256>& upper = Cp1252UpperTable();
  std::uint64_t folded = 0;
  for (int i = 0; i < 64; i += 8) folded |= std::uint64_t{upper[(x >> i) & 0xFF]} << i;
  return folded;
}

inline std::uint64_t Load8(const char* s) {
  std::uint64_t w;
  std::memcpy(&w, s, 8);
  return w;
}

// A text of fewer than eight bytes as one little-endian word, read without a byte loop (a word
// assembled in memory byte by byte would stall the load that reads it back).
inline std::uint64_t LoadShort(const char* s, std::size_t n) {
  if (n >= 4) {  // two four-byte reads that overlap: the shared bytes are equal
    std::uint32_t a;
    std::uint32_t b;
    std::memcpy(&a, s, 4);
    std::memcpy(&b, s + n - 4, 4);
    return a | (std::uint64_t{b} << (8 * (n - 4)));
  }
  if (n == 0) return 0;
  const auto byte = [](char c) { return std::uint64_t{static_cast<unsigned char>(c)}; };
  return byte(s[0]) | byte(s[n / 2]) << (8 * (n / 2)) | byte(s[n - 1]) << (8 * (n - 1));
}

// The hash and the comparison read a text of eight bytes or more as its whole words but the
// last, then the eight bytes that end it (which may overlap the word before): no loop over
// single bytes, and for the usual names and places of up to sixteen bytes, no loop at all.

// A hash of the text with its letters folded by `Fold`, so that texts differing only in their
// case meet in the same slot.
template <std::uint64_t (*Fold)(std::uint64_t)>
std::uint32_t FoldedHash(const char* s, std::size_t n) {
  std::uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
  if (n < 8) {
    h = (h ^ Fold(LoadShort(s, n))) * 0xFF51AFD7ED558CCDull;
  } else {
    for (std::size_t i = 0; i + 8 < n; i += 8) {
      h = (h ^ Fold(Load8(s + i))) * 0xFF51AFD7ED558CCDull;
      h ^= h >> 29;
    }
    h = (h ^ Fold(Load8(s + n - 8))) * 0xFF51AFD7ED558CCDull;
  }
  h ^= h >> 32;
  h *= 0xC4CEB9FE1A85EC53ull;
  return static_cast<std::uint32_t>(h >> 32);
}

// Most repeats keep their spelling, and the folded words decide the others.
template <std::uint64_t (*Fold)(std::uint64_t)>
bool EqualFolded(const char* a, const char* b, std::size_t n) {
  const auto same = [](std::uint64_t x, std::uint64_t y) { return x == y || Fold(x) == Fold(y); };
  if (n < 8) return same(LoadShort(a, n), LoadShort(b, n));
  for (std::size_t i = 0; i + 8 < n; i += 8) {
    if (!same(Load8(a + i), Load8(b + i))) return false;
  }
  return same(Load8(a + n - 8), Load8(b + n - 8));
}

// Moves the used slots of an open-addressing table (slots with `hash` and `idPlusOne`, 0 for a
// free one) into a table of `size` slots, a power of two.
template <class Slot>
void Rehash(std::vector<Slot>& table, std::size_t size) {
  std::vector<Slot> larger(size);
  const std::size_t mask = size - 1;
  for (const Slot& slot : table) {
    if (slot.idPlusOne == 0) continue;
    std::size_t i = slot.hash & mask;
    while (larger[i].idPlusOne != 0) i = (i + 1) & mask;
    larger[i] = slot;
  }
  table.swap(larger);
}

// The order of UTF-8 keys: code points, an ASCII letter as its small letter (keys of texts
// with other letters are folded already).
bool Utf8KeyLess(std::string_view a, std::string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const auto x = static_cast<unsigned char>(AsciiLower(a[i]));
    const auto y = static_cast<unsigned char>(AsciiLower(b[i]));
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

}  // namespace

int CompareIgnoringCase(std::string_view a, std::string_view b) {
  return CompareCp1252IgnoringCase(a, b);
}

void ApplyProperNameRule(char* text, std::size_t length) {
  if (length == 0) return;
  const std::array<unsigned char, 256>& upperTable = Cp1252UpperTable();
  const std::array<unsigned char, 256>& lowerTable = Cp1252LowerTable();
  const auto upper = [&](char c) { return static_cast<char>(upperTable[static_cast<unsigned char>(c)]); };
  const auto lower = [&](char c) { return static_cast<char>(lowerTable[static_cast<unsigned char>(c)]); };
  text[0] = upper(text[0]);
  bool wordStart = false;
  for (std::size_t i = 1; i < length; ++i) {
    char c = text[i];
    if (c == ' ' || c == '-') {
      wordStart = true;
      text[i] = '-';
    } else if (wordStart) {
      text[i] = upper(c);
      wordStart = false;
    } else {
      text[i] = lower(c);
    }
  }
}

Dictionary::Dictionary(TableEncoding encoding)
    : utf8_(encoding == TableEncoding::kUtf8), table_(64) {}
Dictionary::~Dictionary() = default;

int Dictionary::Insert(char* text, int length, int options) {
  if (text == nullptr || length <= 0) return -1;
  std::size_t n = static_cast<std::size_t>(length);
  while (n != 0 && *text == ' ') {
    ++text;
    --n;
  }
  text[n] = '\0';
  while (n != 0 && text[n - 1] == ' ') text[--n] = '\0';
  if (n == 0) return -1;
  try {
    const bool ascii = !utf8_ || IsAscii(std::string_view(text, n));
    if (!ascii) {
      const std::uint32_t spelling = FoldedHash<FoldNothing>(text, n) ^ static_cast<std::uint32_t>(options);
      if (const int id = FindSpelling(text, n, options, spelling); id >= 0) {
        ++entries_[static_cast<std::size_t>(id)].refCount;
        return id;
      }
      int id;
      if (options & kProperName) {
        // Case mappings may change a text's length: the result goes to a buffer of its own.
        ProperCaseUtf8(std::string_view(text, n), " -", proper_);
        std::replace(proper_.begin(), proper_.end(), ' ', '-');
        id = InsertKey(proper_.data(), proper_.size());
      } else {
        id = InsertKey(text, n);
      }
      if (id >= 0) AddSpelling(text, n, options, spelling, id);
      return id;
    }
    if (options & kProperName) ApplyProperNameRule(text, n);
    return FindOrAdd(text, n, text, n, true, 1);  // its own key: ASCII, or Windows-1252
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

int Dictionary::FindSpelling(const char* text, std::size_t length, int options,
                             std::uint32_t hash) {
  if (spellings_.empty()) return -1;
  const std::size_t mask = spellings_.size() - 1;
  for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
    const SpellingSlot& slot = spellings_[i];
    if (slot.idPlusOne == 0) return -1;
    if (slot.hash != hash) continue;
    const Spelling& spelling = spellingTexts_[static_cast<std::size_t>(slot.idPlusOne - 1)];
    if (spelling.length == length && spelling.options == options &&
        EqualFolded<FoldNothing>(spelling.text, text, length)) {
      return spelling.id;
    }
  }
}

void Dictionary::AddSpelling(const char* text, std::size_t length, int options,
                             std::uint32_t hash, int id) {
  if ((spellingTexts_.size() + 1) * 4 > spellings_.size() * 3) {
    Rehash(spellings_, std::max<std::size_t>(64, spellings_.size() * 2));
  }
  const std::size_t mask = spellings_.size() - 1;
  std::size_t i = hash & mask;
  while (spellings_[i].idPlusOne != 0) i = (i + 1) & mask;
  spellingTexts_.push_back({texts_.Copy(std::string_view(text, length)), length, options, id});
  spellings_[i] = {hash, static_cast<std::int32_t>(spellingTexts_.size())};
}

std::uint32_t Dictionary::Hash(const char* key, std::size_t length) const {
  return utf8_ ? FoldedHash<FoldAsciiWord>(key, length) : FoldedHash<FoldCp1252Word>(key, length);
}

bool Dictionary::SameKey(const char* a, const char* b, std::size_t length) const {
  return utf8_ ? EqualFolded<FoldAsciiWord>(a, b, length)
               : EqualFolded<FoldCp1252Word>(a, b, length);
}

int Dictionary::InsertKey(const char* text, std::size_t textLength) {
  // A UTF-8 text with a character outside ASCII is compared by its case-fold key; every other
  // text is its own key, its letters folded as the words are compared.
  const char* key = text;
  std::size_t length = textLength;
  if (utf8_ && !IsAscii(std::string_view(text, textLength))) {
    CaseFoldKey(std::string_view(text, textLength), key_);
    key = key_.data();
    length = key_.size();
  }
  return FindOrAdd(text, textLength, key, length, key == text, 1);
}

int Dictionary::FindOrAdd(const char* text, std::size_t textLength, const char* key,
                          std::size_t length, bool keyIsText, int refs) {
  const std::uint32_t hash = Hash(key, length);
  std::size_t mask = table_.size() - 1;
  std::size_t i = hash & mask;
  for (;; i = (i + 1) & mask) {
    const EntrySlot& slot = table_[i];
    if (slot.idPlusOne == 0) break;
    if (slot.hash != hash) continue;
    DictionaryEntry& entry = entries_[static_cast<std::size_t>(slot.idPlusOne - 1)];
    if (static_cast<std::size_t>(entry.keyLength) == length && SameKey(entry.key, key, length)) {
      entry.refCount += refs;
      return entry.id;
    }
  }
  if (textLength > static_cast<std::size_t>(INT32_MAX) || length > static_cast<std::size_t>(INT32_MAX) ||
      count == INT32_MAX) {
    return -1;
  }
  // Grow before anything changes, so that a failed allocation leaves the dictionary as it was.
  if ((static_cast<std::size_t>(count) + 1) * 4 > table_.size() * 3) {
    Grow();
    mask = table_.size() - 1;
    for (i = hash & mask; table_[i].idPlusOne != 0; i = (i + 1) & mask) {
    }
  }
  if (entries_.size() == entries_.capacity()) entries_.reserve(entries_.size() * 2 + 16);
  DictionaryEntry entry;
  entry.text = texts_.Copy(std::string_view(text, textLength));
  entry.key = keyIsText ? entry.text : texts_.Copy(std::string_view(key, length));
  entry.keyLength = static_cast<int>(length);
  entry.id = count;
  entry.length = static_cast<int>(textLength);
  entry.refCount = refs;
  entries_.push_back(entry);
  table_[i] = {hash, entry.id + 1};
  ++count;
  orderCurrent_ = false;
  return entry.id;
}

std::vector<int> Dictionary::Absorb(const Dictionary& other) {
  std::vector<int> ids(static_cast<std::size_t>(other.count));
  for (int id = 0; id < other.count; ++id) {
    const DictionaryEntry& entry = other.Entry(id);
    ids[static_cast<std::size_t>(id)] = FindOrAdd(
        entry.text, static_cast<std::size_t>(entry.length), entry.key,
        static_cast<std::size_t>(entry.keyLength), entry.key == entry.text, entry.refCount);
  }
  return ids;
}

void Dictionary::Grow() {
  Rehash(table_, table_.size() * 2);
}

const std::vector<int>& Dictionary::AlphabeticalOrder() const {
  if (!orderCurrent_ || order_.size() != static_cast<std::size_t>(count)) {
    order_.resize(static_cast<std::size_t>(count));
    for (int id = 0; id < count; ++id) order_[static_cast<std::size_t>(id)] = id;
    const auto key = [this](int id) {
      const DictionaryEntry& entry = entries_[static_cast<std::size_t>(id)];
      return std::string_view(entry.key, static_cast<std::size_t>(entry.keyLength));
    };
    if (utf8_) {
      std::sort(order_.begin(), order_.end(),
                [&](int a, int b) { return Utf8KeyLess(key(a), key(b)); });
    } else {
      std::sort(order_.begin(), order_.end(),
                [&](int a, int b) { return CompareIgnoringCase(key(a), key(b)) < 0; });
    }
    orderCurrent_ = true;
  }
  return order_;
}

}  // namespace brimsel
