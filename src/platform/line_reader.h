// The one place that knows how text lines end: CR LF, LF CR, LF and CR each end one line,
// a byte 26 ends the input, and a NUL byte ends the text of its line.
#pragma once

#include <cstddef>
#include <cstdint>
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
  static constexpr std::size_t kDefaultBlock = std::size_t{256} << 10;

  explicit LineReader(ByteSource& source, std::size_t blockSize = kDefaultBlock);

  // Fills `line` with the next line; false at the end of the input (or after a read error).
  bool Next(Line& line) {
    // The common case, inline: a line inside the block, ended by LF or CR whose partner byte
    // (if any) is in the block too. The line breaks of 64 bytes are found at once and kept as
    // a bit mask, so that short lines cost a few instructions each.
    if (!skipping_) {
      char* base = block_.data();
      for (;;) {
        while (mask_ == 0) {
          chunk_ += kChunk;
          if (chunk_ >= end_) return NextAfterBreak(line);
          mask_ = ChunkMask(base + chunk_, end_ - chunk_);
        }
        std::size_t at = chunk_ + static_cast<std::size_t>(__builtin_ctzll(mask_));
        mask_ &= mask_ - 1;
        if (at < pos_) continue;  // the second byte of a pair already consumed
        char* p = base + at;
        if ((*p != '\n' && *p != '\r') || at + 1 >= end_) break;
        char partner = *p == '\n' ? '\r' : '\n';
        line.text = base + pos_;
        line.size = at - pos_;
        line.hasEnd = true;
        pos_ = at + 1 + (p[1] == partner ? 1 : 0);
        *p = '\0';
        return true;
      }
    }
    return NextAfterBreak(line);
  }
  // Calls f(line) for each remaining line, the same lines as Next hands out, until f returns
  // false or the input ends. The scanning state stays in local variables between lines: the
  // writes to the line text that Next makes and the caller may make cannot force it back to
  // memory, which makes a whole pass over a file noticeably faster.
  template <class F>
  void ForEach(F&& f) {
    Line line;
    for (;;) {
      if (!skipping_) {
        char* const base = block_.data();
        const std::size_t end = end_;
        std::size_t pos = pos_;
        std::size_t chunk = chunk_;
        std::uint64_t mask = mask_;
        for (;;) {
          while (mask == 0) {
            chunk += kChunk;
            if (chunk >= end) break;
            mask = ChunkMask(base + chunk, end - chunk);
          }
          if (mask == 0) break;
          std::size_t at = chunk + static_cast<std::size_t>(__builtin_ctzll(mask));
          mask &= mask - 1;
          if (at < pos) continue;
          char* p = base + at;
          if ((*p != '\n' && *p != '\r') || at + 1 >= end) break;
          char partner = *p == '\n' ? '\r' : '\n';
          line.text = base + pos;
          line.size = at - pos;
          line.hasEnd = true;
          pos = at + 1 + (p[1] == partner ? 1 : 0);
          *p = '\0';
          if (!f(line)) {
            pos_ = pos;
            chunk_ = chunk;
            mask_ = mask;
            return;
          }
        }
        pos_ = pos;
      }
      if (!NextAfterBreak(line) || !f(line)) return;
    }
  }
  // Goes back to the first line; false when the source cannot rewind.
  bool Rewind();
  // True when the source reported a read error; the input then ended early.
  bool failed() const { return failed_; }

 private:
  static constexpr std::size_t kChunk = 64;

  // Bit i set when p[i] ends or cuts a line's text (LF, CR, NUL, byte 26), for the first
  // `avail` bytes of the 64 at `p` (the block has room for 64 bytes past its end).
  static std::uint64_t ChunkMask(const char* p, std::size_t avail) {
    std::uint64_t mask = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i nul = _mm_setzero_si128();
    const __m128i sub = _mm_set1_epi8(26);
    for (int k = 0; k < 4; ++k) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
      __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)),
                                 _mm_or_si128(_mm_cmpeq_epi8(v, nul), _mm_cmpeq_epi8(v, sub)));
      mask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(hit))) << (16 * k);
    }
#else
    for (std::size_t i = 0; i < kChunk; ++i) {
      char c = p[i];
      if (c == '\n' || c == '\r' || c == '\0' || c == 26) mask |= std::uint64_t{1} << i;
    }
#endif
    if (avail < kChunk) mask &= (std::uint64_t{1} << avail) - 1;
    return mask;
  }
  // Position of the first byte that ends or cuts a line's text, or `end`.
  static char* FindLineBreak(char* p, char* end) {
    while (end - p >= static_cast<std::ptrdiff_t>(kChunk)) {
      std::uint64_t mask = ChunkMask(p, kChunk);
      if (mask != 0) return p + __builtin_ctzll(mask);
      p += kChunk;
    }
    for (; p < end; ++p) {
      char c = *p;
      if (c == '\n' || c == '\r' || c == '\0' || c == 26) return p;
    }
    return end;
  }
  // Every case but the common one: NUL, byte 26, lines across blocks, the end of the input.
  // Starts the bit masks afresh from the new position.
  bool NextAfterBreak(Line& line) {
    bool found = NextSlow(line);
    mask_ = 0;
    chunk_ = pos_ - kChunk;  // wraps round; the next step adds kChunk back
    return found;
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
  std::size_t capacity_ = 0;  // bytes read into the block at a time
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  std::size_t chunk_ = std::size_t{0} - kChunk;  // offset of the 64 bytes that mask_ covers
  std::uint64_t mask_ = 0;                      // line breaks not yet handed out
  char pendingPartner_ = 0;  // partner byte to drop at the start of the next block
  bool skipping_ = false;    // inside the rest of a line cut by a NUL
  bool atEnd_ = false;
  bool failed_ = false;
};

}  // namespace brimsel
