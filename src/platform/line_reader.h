// The one place that knows how text lines end: CR LF, LF CR, LF and CR each end one line,
// a byte 26 ends the input, and a NUL byte ends the text of its line.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/byte_source.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brimsel {

// One line handed out by LineReader. `text` points into the reader's buffer, is writable,
// NUL-terminated, and valid until the next call to Next or Rewind.
struct Line {
  char* text = nullptr;
  std::size_t size = 0;  // bytes of text, line end excluded
  bool hasEnd = false;   // true when a line end followed the text
  // The length as the readers count it: the line end counts as one character.
  std::size_t Length() const { return size + (hasEnd ? 1 : 0); }
  std::string_view View() const { return {text, size}; }
};

// Reads a byte source in large blocks and hands out whole physical lines, however long,
// without an allocation per line.
class LineReader {
 public:
  static constexpr std::size_t kDefaultBlock = std::size_t{1} << 20;

  explicit LineReader(ByteSource& source, std::size_t blockSize = kDefaultBlock);

  // Fills `line` with the next line; false at the end of the input (or after a read error).
  bool Next(Line& line) {
    // The common case, inline: a whole line inside the block, ended by LF or CR whose partner
    // byte (if any) is in the block too.
    if (!skipping_ && pos_ < end_) {
      char* start = block_.data() + pos_;
      char* e = block_.data() + end_;
      char* p = FindLineBreak(start, e);
      if (p + 1 < e && (*p == '\n' || *p == '\r')) {
        char partner = *p == '\n' ? '\r' : '\n';
        pos_ = static_cast<std::size_t>(p + 1 - block_.data()) + (p[1] == partner ? 1 : 0);
        *p = '\0';
        line.text = start;
        line.size = static_cast<std::size_t>(p - start);
        line.hasEnd = true;
        return true;
      }
    }
    return NextSlow(line);
  }
  // Goes back to the first line; false when the source cannot rewind.
  bool Rewind();
  // True when the source reported a read error; the input then ended early.
  bool failed() const { return failed_; }

 private:
  // Position of the first byte that ends or cuts a line's text (LF, CR, NUL, byte 26), or `end`.
  // Sixteen bytes at a time where SSE2 is available: this scan sees every byte of the file.
  static char* FindLineBreak(char* p, char* end) {
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i nul = _mm_setzero_si128();
    const __m128i sub = _mm_set1_epi8(26);
    while (end - p >= 16) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)),
                                 _mm_or_si128(_mm_cmpeq_epi8(v, nul), _mm_cmpeq_epi8(v, sub)));
      int mask = _mm_movemask_epi8(hit);
      if (mask != 0) return p + __builtin_ctz(static_cast<unsigned>(mask));
      p += 16;
    }
#endif
    for (; p < end; ++p) {
      char c = *p;
      if (c == '\n' || c == '\r' || c == '\0' || c == 26) return p;
    }
    return end;
  }
  bool NextSlow(Line& line);
  bool Refill();
  // Consumes the second byte of a CR LF or LF CR pair when it is `partner`.
  void SkipPartner(char partner);
  // Skips to just past the next line end, after a NUL cut the line short.
  void SkipRestOfLine();

  ByteSource& source_;
  std::vector<char> block_;
  std::vector<char> carry_;  // the start of a line that runs over a block boundary
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  char pendingPartner_ = 0;  // partner byte to drop at the start of the next block
  bool skipping_ = false;    // inside the rest of a line cut by a NUL
  bool atEnd_ = false;
  bool failed_ = false;
};

}  // namespace brimsel
