// Word split and cross-reference numbers of GEDCOM lines.
#include "engine/gedcom_line.h"

#include <cstdint>

namespace brimsel {
namespace {

inline bool Blanc(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Copies the word at `p` into `dest` (its first kMotMax - 1 bytes); returns the end of the word
// and its kept length in `kept`.
const char* LitMot(const char* p, const char* end, char* dest, std::size_t& kept) {
  std::size_t n = 0;
  for (; p < end && !Blanc(*p); ++p) {
    if (n < kMotMax - 1) dest[n++] = *p;
  }
  dest[n] = '\0';
  kept = n;
  return p;
}

const char* SauteBlancs(const char* p, const char* end) {
  while (p < end && Blanc(*p)) ++p;
  return p;
}

}  // namespace

void DecoupeMots(const char* text, std::size_t size, MotsLigne& out) {
  const char* end = text + size;
  out.items = 0;
  out.longueurTag = 0;
  out.tag[0] = out.valeur[0] = '\0';
  const char* p = SauteBlancs(text, end);
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) negative = *p++ == '-';
  const char* digits = p;
  std::int64_t value = 0;
  while (p < end && *p >= '0' && *p <= '9') {
    if (value <= INT32_MAX) value = value * 10 + (*p - '0');
    ++p;
  }
  std::int64_t limit = static_cast<std::int64_t>(INT32_MAX) + (negative ? 1 : 0);
  if (p == digits || value > limit) return;
  out.items = 1;
  p = SauteBlancs(p, end);
  if (p == end) return;
  p = LitMot(p, end, out.tag, out.longueurTag);
  out.items = 2;
  p = SauteBlancs(p, end);
  if (p == end) return;
  std::size_t ignored;
  LitMot(p, end, out.valeur, ignored);
  out.items = 3;
}

int NumeroReference(std::string_view word) {
  std::size_t i = 0;
  while (i < word.size() && !(word[i] >= '0' && word[i] <= '9')) ++i;
  if (i == word.size()) return -1;
  std::int64_t value = 0;
  for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i) {
    value = value * 10 + (word[i] - '0');
    if (value > INT32_MAX) return -1;
  }
  return static_cast<int>(value);
}

int NumeroEnTete(std::string_view text) {
  const char* p = text.data();
  const char* end = p + text.size();
  p = SauteBlancs(p, end);
  while (p < end && !Blanc(*p)) ++p;  // the level
  p = SauteBlancs(p, end);
  if (p == end || *p != '@') return -1;
  const char* start = p;
  while (p < end && !Blanc(*p)) ++p;
  return NumeroReference(std::string_view(start, static_cast<std::size_t>(p - start)));
}

}  // namespace brimsel
