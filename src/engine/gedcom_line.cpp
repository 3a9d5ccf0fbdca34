// Word split and cross-reference numbers of GEDCOM lines.
#include "engine/gedcom_line.h"

#include <cstdint>

namespace brimsel {
namespace {

// The word at `p`: returns its end; `word` views its first kWordCapacity - 1 bytes.
inline const char* ReadWord(const char* p, const char* end, std::string_view& word) {
  const char* start = p;
  while (p < end && !IsBlank(*p)) ++p;
  std::size_t n = static_cast<std::size_t>(p - start);
  word = std::string_view(start, n < kWordCapacity - 1 ? n : kWordCapacity - 1);
  return p;
}

inline const char* SkipBlanks(const char* p, const char* end) {
  while (p < end && IsBlank(*p)) ++p;
  return p;
}

// After the number: the tag and the start of the value, when there are.
void ReadTagAndValue(const char* p, const char* end, LineWords& out) {
  out.items = 1;
  p = SkipBlanks(p, end);
  if (p == end) return;
  p = ReadWord(p, end, out.tag);
  out.items = 2;
  p = SkipBlanks(p, end);
  if (p == end) return;
  out.valueStart = p;
  out.items = 3;
}

}  // namespace

void SplitWords(const char* text, std::size_t size, LineWords& out) {
  const char* end = text + size;
  out.items = 0;
  out.tag = {};
  out.valueStart = out.lineEnd = end;
  // The usual shape, one digit and one blank before the tag, skips the general number reading.
  if (size >= 3 && text[0] >= '0' && text[0] <= '9' && IsBlank(text[1])) {
    // Most lines go further: a tag of four characters alone, or a tag of three or four
    // characters, one space and a value. Seen at once, they are split as the word reading
    // below would split them.
    const char* t = text + 2;
    if (size >= 6 && !IsBlank(t[0]) && !IsBlank(t[1]) && !IsBlank(t[2])) {
      if (size == 6 && !IsBlank(t[3])) {
        out.tag = std::string_view(t, 4);
        out.items = 2;
        return;
      }
      // t[4] is inside a line of 7 bytes, t[5] inside one of 8.
      const std::size_t tagLength = size < 7                       ? 0
                                    : IsBlank(t[3])                ? 3
                                    : (size >= 8 && IsBlank(t[4])) ? 4
                                                                   : 0;
      if (tagLength != 0 && t[tagLength] == ' ' && !IsBlank(t[tagLength + 1])) {
        out.tag = std::string_view(t, tagLength);
        out.valueStart = t + tagLength + 1;
        out.items = 3;
        return;
      }
    }
    ReadTagAndValue(text + 2, end, out);
    return;
  }
  const char* p = SkipBlanks(text, end);
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
  ReadTagAndValue(p, end, out);
}

std::string_view LineWords::Value() const {
  std::string_view word;
  if (items == 3) ReadWord(valueStart, lineEnd, word);
  return word;
}

int ReferenceNumber(std::string_view word) {
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

int HeaderNumber(std::string_view text) {
  const char* p = text.data();
  const char* end = p + text.size();
  p = SkipBlanks(p, end);
  while (p < end && !IsBlank(*p)) ++p;  // the level
  p = SkipBlanks(p, end);
  if (p == end || *p != '@') return -1;
  const char* start = p;
  while (p < end && !IsBlank(*p)) ++p;
  return ReferenceNumber(std::string_view(start, static_cast<std::size_t>(p - start)));
}

}  // namespace brimsel
