// The parts of one GEDCOM line as the complete reader sees them: level, cross-reference, tag and
// value, and what a value that points to a record looks like.
#pragma once

#include <cstdint>
#include <string_view>

namespace brimsel {

// Blanks between the parts of a line, and around typed values.
inline bool IsLineBlank(char c) {
  return c == ' ' || c == '\t';
}

struct GedcomLineParts {
  bool valid = false;     // false: not a GEDCOM line
  int level = 0;          // levels past a billion read as a billion
  std::string_view xref;  // without its '@', empty when absent
  std::string_view tag;
  std::string_view value;       // from after the blank that ends the tag; may begin with blanks
  std::size_t valueOffset = 0;  // where value starts in the line
};

// Splits a line: optional leading blanks, a level of digits, one or more blanks, an optional
// @xref@ and blanks, a tag (a run of characters that are not blanks), then, after one blank,
// the value. Anything else is not a GEDCOM line.
inline GedcomLineParts SplitGedcomLine(std::string_view line) {
  constexpr int kMaxLevel = 1000000000;
  GedcomLineParts p;
  const std::size_t n = line.size();
  // The usual shape first: one digit, one space, and the tag.
  if (n >= 3 && line[0] >= '0' && line[0] <= '9' && line[1] == ' ' && line[2] != '@' &&
      !IsLineBlank(line[2])) {
    std::size_t i = 3;
    while (i < n && !IsLineBlank(line[i])) ++i;
    p.valid = true;
    p.level = line[0] - '0';
    p.tag = std::string_view(line.data() + 2, i - 2);
    p.valueOffset = i < n ? i + 1 : n;
    p.value = std::string_view(line.data() + p.valueOffset, n - p.valueOffset);
    return p;
  }
  std::size_t i = 0;
  while (i < n && IsLineBlank(line[i])) ++i;
  if (i == n || line[i] < '0' || line[i] > '9') return p;
  std::int64_t level = 0;
  for (; i < n && line[i] >= '0' && line[i] <= '9'; ++i) {
    level = level * 10 + (line[i] - '0');
    if (level > kMaxLevel) level = kMaxLevel;
  }
  if (i == n || !IsLineBlank(line[i])) return p;
  while (i < n && IsLineBlank(line[i])) ++i;
  if (i < n && line[i] == '@') {
    const std::size_t close = line.find('@', i + 1);
    if (close == std::string_view::npos || close == i + 1) return p;
    if (close + 1 == n || !IsLineBlank(line[close + 1])) return p;
    p.xref = line.substr(i + 1, close - i - 1);
    i = close + 1;
    while (i < n && IsLineBlank(line[i])) ++i;
  }
  const std::size_t tagStart = i;
  while (i < n && !IsLineBlank(line[i])) ++i;
  if (i == tagStart) return p;
  p.tag = line.substr(tagStart, i - tagStart);
  if (i < n) {
    p.valueOffset = i + 1;
    p.value = line.substr(i + 1);
  } else {
    p.valueOffset = n;
  }
  p.level = static_cast<int>(level);
  p.valid = true;
  return p;
}

// The value without the blanks at both ends.
inline std::string_view TrimLineBlanks(std::string_view v) {
  while (!v.empty() && IsLineBlank(v.front())) v.remove_prefix(1);
  while (!v.empty() && IsLineBlank(v.back())) v.remove_suffix(1);
  return v;
}

// The cross-reference a value points to, without its '@' (blanks around it aside), or empty
// when the value is not a pointer. "@#D...@" is a calendar escape, not a pointer.
inline std::string_view PointerIn(std::string_view value) {
  const std::string_view v = TrimLineBlanks(value);
  if (v.size() < 3 || v.front() != '@' || v.back() != '@' || v[1] == '#') return {};
  const std::string_view inside = v.substr(1, v.size() - 2);
  if (inside.find('@') != std::string_view::npos) return {};
  return inside;
}

// GEDCOM 7's pointer to nothing.
inline bool IsVoidPointer(std::string_view xref) {
  return xref == "VOID";
}

}  // namespace brimsel
