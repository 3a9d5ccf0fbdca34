// How the reader looks at one GEDCOM line: level, headers, value text, words, numbers.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

#include "platform/line_reader.h"
#include "platform/text_bytes.h"

namespace brimsel {

// Room of the tag and value-word buffers; a longer word keeps its first kWordCapacity - 1 bytes.
inline constexpr std::size_t kWordCapacity = 64;

// The split of a line as a number followed by up to two words. The words are views into the
// line, each cut to its first kWordCapacity - 1 bytes as a fixed word buffer would hold it; the value
// word is only measured when asked for.
struct LineWords {
  int items = 0;  // 0 no number, 1 the number only, 2 number and tag, 3 with a value word
  std::string_view tag;
  bool TagIs(std::string_view t) const { return tag == t; }
  // The first word of the value (items == 3), at most kWordCapacity - 1 bytes.
  std::string_view Value() const;

  const char* valueStart = nullptr;
  const char* lineEnd = nullptr;
};

// Splits `text` as a decimal number (the level) followed by two words separated by white space.
// A number that does not fit in 32 bits is not a number.
void SplitWords(const char* text, std::size_t size, LineWords& out);

// The number of a cross-reference: the first run of decimal digits in `word`, or -1 when the word
// has no digit or the number does not fit in a signed 32-bit integer.
int ReferenceNumber(std::string_view word);

// The number of a level-0 header line: that of its second word when that word begins with '@'.
int HeaderNumber(std::string_view text);

enum class RecordKind { kOther, kIndividual, kUnion };

// Kind of record a level-0 line opens: "INDI" just before the line end, else "FAM".
inline RecordKind KindOfRecord(const Line& line) {
  // Positions count the line end as one character, present or not, as the length does.
  std::size_t n = line.Length();
  const char* t = line.text;
  if (n >= 5 && std::memcmp(t + n - 5, "INDI", 4) == 0) return RecordKind::kIndividual;
  if (n >= 4 && std::memcmp(t + n - 4, "FAM", 3) == 0) return RecordKind::kUnion;
  return RecordKind::kOther;
}

// The value text: from the 8th character to the end of the line, empty when the line is shorter.
inline std::string_view ValueText(const Line& line) {
  return line.size > 7 ? std::string_view(line.text + 7, line.size - 7) : std::string_view();
}
inline char* ValueStart(const Line& line) { return line.text + (line.size > 7 ? 7 : line.size); }

// For a line whose first two characters are a digit and a blank, and whose third is not a
// blank, the word split reads the tag from the third character on. True when that tag is
// certainly neither `a` nor `b` (four letters each), so that a pass looking only for those two
// tags can pass the line by without splitting it. False for every other shape of line.
inline bool IsNeitherTag(const char* text, std::size_t size, const char* a, const char* b) {
  return size >= 6 && IsBlank(text[1]) && !IsBlank(text[2]) && std::memcmp(text + 2, a, 4) != 0 &&
         std::memcmp(text + 2, b, 4) != 0;
}

// True when characters 3 to 6 of the line are `tag` (four letters).
inline bool HasTagAtUsualPlace(const Line& line, const char* tag) {
  return line.size >= 6 && std::memcmp(line.text + 2, tag, 4) == 0;
}

}  // namespace brimsel
