// Dictionary insert: normalisation, case-folded hashing, first-spelling storage.
#include "dict/dictionary.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/code_page.h"

namespace brimsel {
namespace {

// Upper case of the classic locale: only a-z change.
struct TableMajuscules {
  unsigned char up[256];
  constexpr TableMajuscules() : up() {
    for (int i = 0; i < 256; ++i) up[i] = static_cast<unsigned char>(i >= 'a' && i <= 'z' ? i - 32 : i);
  }
};
constexpr TableMajuscules kMaj;

inline unsigned char Majuscule(char c) { return kMaj.up[static_cast<unsigned char>(c)]; }
inline char Minuscule(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Folds the ASCII small letters of eight bytes to capitals at once: a byte from 'a' to 'z' loses
// its 0x20 bit, every other byte stays.
inline std::uint64_t ReplieMot(std::uint64_t x) {
  constexpr std::uint64_t kUns = 0x0101010101010101ull;
  constexpr std::uint64_t kHauts = 0x8080808080808080ull;
  std::uint64_t sept = x & ~kHauts;
  std::uint64_t depuisA = (sept + (0x80 - 'a') * kUns) & kHauts;
  std::uint64_t apresZ = (sept + (0x80 - 'z' - 1) * kUns) & kHauts;
  std::uint64_t minuscules = depuisA & ~apresZ & ~x & kHauts;
  return x ^ (minuscules >> 2);
}

inline std::uint64_t Lit8(const char* s) {
  std::uint64_t w;
  std::memcpy(&w, s, 8);
  return w;
}

// A text of fewer than eight bytes as one little-endian word, read without a byte loop (a word
// assembled in memory byte by byte would stall the load that reads it back).
inline std::uint64_t Court(const char* s, std::size_t n) {
  if (n >= 4) {  // two four-byte reads that overlap: the shared bytes are equal
    std::uint32_t a;
    std::uint32_t b;
    std::memcpy(&a, s, 4);
    std::memcpy(&b, s + n - 4, 4);
    return a | (std::uint64_t{b} << (8 * (n - 4)));
  }
  if (n == 0) return 0;
  const auto octet = [](char c) { return std::uint64_t{static_cast<unsigned char>(c)}; };
  return octet(s[0]) | octet(s[n / 2]) << (8 * (n / 2)) | octet(s[n - 1]) << (8 * (n - 1));
}

// The hash and the comparison read a text of eight bytes or more as its whole words but the
// last, then the eight bytes that end it (which may overlap the word before): no loop over
// single bytes, and for the usual names and places of up to sixteen bytes, no loop at all.

// A hash of the text with ASCII letters folded, so that texts differing only in their case
// meet in the same slot.
std::uint32_t HachageReplie(const char* s, std::size_t n) {
  std::uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
  if (n < 8) {
    h = (h ^ ReplieMot(Court(s, n))) * 0xFF51AFD7ED558CCDull;
  } else {
    for (std::size_t i = 0; i + 8 < n; i += 8) {
      h = (h ^ ReplieMot(Lit8(s + i))) * 0xFF51AFD7ED558CCDull;
      h ^= h >> 29;
    }
    h = (h ^ ReplieMot(Lit8(s + n - 8))) * 0xFF51AFD7ED558CCDull;
  }
  h ^= h >> 32;
  h *= 0xC4CEB9FE1A85EC53ull;
  return static_cast<std::uint32_t>(h >> 32);
}

// Most repeats keep their spelling, and the folded words decide the others.
inline bool MotsEgaux(std::uint64_t x, std::uint64_t y) {
  return x == y || ReplieMot(x) == ReplieMot(y);
}

bool EgauxSansCasse(const char* a, const char* b, std::size_t n) {
  if (n < 8) return MotsEgaux(Court(a, n), Court(b, n));
  for (std::size_t i = 0; i + 8 < n; i += 8) {
    if (!MotsEgaux(Lit8(a + i), Lit8(b + i))) return false;
  }
  return MotsEgaux(Lit8(a + n - 8), Lit8(b + n - 8));
}

}  // namespace

int CompareIgnoringCase(const char* a, const char* b) {
  for (;; ++a, ++b) {
    unsigned char x = Majuscule(*a);
    unsigned char y = Majuscule(*b);
    if (x != y) return x < y ? -1 : 1;
    if (x == 0) return 0;
  }
}

void ApplyProperNameRule(char* text, std::size_t length) {
  if (length == 0) return;
  text[0] = static_cast<char>(Majuscule(text[0]));
  bool debutMot = false;
  for (std::size_t i = 1; i < length; ++i) {
    char c = text[i];
    if (c == ' ' || c == '-') {
      debutMot = true;
      text[i] = '-';
    } else if (debutMot) {
      text[i] = static_cast<char>(Majuscule(c));
      debutMot = false;
    } else {
      text[i] = Minuscule(c);
    }
  }
}

Dictionary::Dictionary() : table_(64) {}
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
  if (options & kFromOem) OemToAnsi(text, n);
  if (options & kProperName) ApplyProperNameRule(text, n);
  try {
    return InsertKey(text, n);
  } catch (const std::bad_alloc&) {
    return -1;
  }
}

int Dictionary::InsertKey(const char* key, std::size_t length) {
  std::uint32_t h = HachageReplie(key, length);
  std::size_t masque = table_.size() - 1;
  std::size_t i = h & masque;
  for (;; i = (i + 1) & masque) {
    const Case& c = table_[i];
    if (c.idPlusOne == 0) break;
    if (c.hash != h) continue;
    DictionaryEntry& nd = entries_[static_cast<std::size_t>(c.idPlusOne - 1)];
    if (static_cast<std::size_t>(nd.length) == length && EgauxSansCasse(nd.text, key, length)) {
      ++nd.refCount;
      return nd.id;
    }
  }
  if (length > static_cast<std::size_t>(INT32_MAX) || count == INT32_MAX) return -1;
  // Grow before anything changes, so that a failed allocation leaves the dictionary as it was.
  if ((static_cast<std::size_t>(count) + 1) * 4 > table_.size() * 3) {
    Grow();
    masque = table_.size() - 1;
    for (i = h & masque; table_[i].idPlusOne != 0; i = (i + 1) & masque) {
    }
  }
  if (entries_.size() == entries_.capacity()) entries_.reserve(entries_.size() * 2 + 16);
  DictionaryEntry nd;
  nd.text = texts_.Copy(std::string_view(key, length));
  nd.id = count;
  nd.length = static_cast<int>(length);
  nd.refCount = 1;
  entries_.push_back(nd);
  table_[i] = {h, nd.id + 1};
  ++count;
  orderCurrent_ = false;
  return nd.id;
}

void Dictionary::Grow() {
  std::vector<Case> table(table_.size() * 2);
  std::size_t masque = table.size() - 1;
  for (const Case& c : table_) {
    if (c.idPlusOne == 0) continue;
    std::size_t i = c.hash & masque;
    while (table[i].idPlusOne != 0) i = (i + 1) & masque;
    table[i] = c;
  }
  table_.swap(table);
}

const std::vector<int>& Dictionary::AlphabeticalOrder() const {
  if (!orderCurrent_ || order_.size() != static_cast<std::size_t>(count)) {
    order_.resize(static_cast<std::size_t>(count));
    for (int id = 0; id < count; ++id) order_[static_cast<std::size_t>(id)] = id;
    std::sort(order_.begin(), order_.end(), [this](int a, int b) {
      return CompareIgnoringCase(entries_[static_cast<std::size_t>(a)].text,
                              entries_[static_cast<std::size_t>(b)].text) < 0;
    });
    orderCurrent_ = true;
  }
  return order_;
}

}  // namespace brimsel
