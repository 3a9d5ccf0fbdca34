// The one place that knows how text lines end: CR LF, LF CR, LF and CR each end one line,
// a byte 26 ends the input, and a NUL byte ends the text of its line.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/byte_source.h"
#include "platform/chunk_masks.h"
#include "platform/text_bytes.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace brimsel {

// One line (or piece of a line) handed out by LineReader. `text` points into the reader's
// buffers, is writable, NUL-terminated, and valid until the next call to Next, NextPiece or
// Rewind.
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
        if (!EndLineAt(base, end_, at, pos_, line)) break;
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
    std::uint64_t batchBreaks[kBatch];
    for (;;) {
      if (!skipping_) {
        char* const base = block_.data();
        const std::size_t end = end_;
        std::size_t pos = pos_;
        std::size_t chunk = chunk_;
        std::uint64_t mask = mask_;
        // The masks of whole chunks are computed kBatch at a time; batchStart is the offset of the
        // first, batchEnd the end of the last.
        std::size_t batchStart = 0;
        std::size_t batchEnd = 0;
        for (;;) {
          while (mask == 0) {
            chunk += kChunk;
            if (chunk >= end) break;
            if (end - chunk < kChunk) {
              mask = ChunkMask(base + chunk, end - chunk);
              continue;
            }
            if (!InBatch(chunk, batchStart, batchEnd)) {
              const std::size_t n = std::min<std::size_t>(kBatch, (end - chunk) / kChunk);
              kMaskKernels.breaks(base + chunk, static_cast<int>(n), batchBreaks);
              batchStart = chunk;
              batchEnd = chunk + n * kChunk;
            }
            mask = batchBreaks[(chunk - batchStart) / kChunk];
          }
          if (mask == 0) break;
          std::size_t at = chunk + static_cast<std::size_t>(__builtin_ctzll(mask));
          mask &= mask - 1;
          if (at < pos) continue;
          if (!EndLineAt(base, end, at, pos, line)) break;
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
  using Selection = LineSelection;
  // Reads the remaining lines as ForEach does, but hands f only the selected lines (and some
  // others: the caller still checks each line), and tells skip(k) of every k lines passed over,
  // in line order, before the next line handed out. The common 64 bytes, where every line ends
  // with LF, CR, CR LF or LF CR and no NUL or byte 26 occurs, are counted with bit masks
  // without visiting their lines one by one; every other case goes through ForEach's steps.
  template <class F, class S>
  void ForEachSelected(const Selection& sel, F&& f, S&& skip) {
    Line line;
    std::size_t skipped = 0;
    // The masks of up to kBatch chunks are computed at once, one call for a kilobyte.
    ChunkMasks batch[kBatch];
    const auto hand = [&](Line& handed) {
      if (skipped != 0) skip(skipped);
      skipped = 0;
      f(handed);
    };
    for (;;) {
      if (!skipping_) {
        char* const base = block_.data();
        const std::size_t end = end_;
        std::size_t pos = pos_;
        std::size_t chunk = chunk_;
        std::uint64_t mask = mask_;
        // Offsets of the chunks the batch covers, in this block: [batchStart, batchEnd).
        std::size_t batchStart = 0;
        std::size_t batchEnd = 0;
        for (;;) {
          while (mask == 0) {
            chunk += kChunk;
            if (chunk >= end) break;
            // A chunk followed by at least one byte of data: the partner of a line end in its
            // last byte can be seen.
            if (chunk + kChunk < end) {
              if (!InBatch(chunk, batchStart, batchEnd)) {
                const std::size_t n = std::min<std::size_t>(kBatch, (end - chunk - 1) / kChunk);
                kMaskKernels.masks(base + chunk, static_cast<int>(n), sel, batch);
                batchStart = chunk;
                batchEnd = chunk + n * kChunk;
              }
            }
            if (chunk + kChunk < end && CountChunkLines(batch[(chunk - batchStart) / kChunk], base,
                                                        chunk, pos, skipped, sel, hand)) {
              if (skipped >= 100) {
                skip(skipped);
                skipped = 0;
              }
              continue;
            }
            mask = ChunkMask(base + chunk, end - chunk);
          }
          if (mask == 0) break;
          std::size_t at = chunk + static_cast<std::size_t>(__builtin_ctzll(mask));
          mask &= mask - 1;
          if (at < pos) continue;
          if (!EndLineAt(base, end, at, pos, line)) break;
          hand(line);
        }
        pos_ = pos;
      }
      if (!NextAfterBreak(line)) break;
      hand(line);
    }
    if (skipped != 0) skip(skipped);
  }
  // Fills `piece` with the next piece of at most `maxPiece` characters, a line end counting as
  // one: a longer line comes out as several pieces, and only the last one carries the line end.
  // Line ends and byte 26 follow the rules above, but a NUL cuts only the piece that holds it:
  // the rest of that piece, its line end included, is lost, and the next piece goes on after
  // it. False at the end of the input (or after a read error). The text is a copy, valid until
  // the next call. For readers that take lines in bounded pieces; Next, ForEach and
  // ForEachSelected do not pay for it.
  //
  // With `fit`, a full piece that ends inside a character of the text's set is cut before that
  // character: fit(text, max) gives the length of the longest start of `text` of at most `max`
  // bytes that ends on a character boundary, and the bytes after it begin the next piece.
  using PieceFit = std::size_t (*)(std::string_view text, std::size_t max);
  bool NextPiece(Line& piece, std::size_t maxPiece, PieceFit fit = nullptr);
  // Goes back to the first line; false when the source cannot rewind.
  bool Rewind();
  // True when the source reported a read error; the input then ended early.
  bool Failed() const { return failed_; }
  // True when a byte 26 ended the input before the source's end.
  bool Stopped() const { return stopped_; }
  // Bytes read from the source since the start (or the last Rewind): how far a reading is.
  std::int64_t BytesRead() const { return bytesRead_; }
  // Offset in the source of the first byte of `line`, a line just handed out, when its text
  // lies in the reader's block; -1 for a line pieced together across blocks. A reader started
  // at that offset hands out the same lines from that one on.
  std::int64_t Offset(const Line& line) const {
    const char* base = block_.data();
    if (line.text < base || line.text > base + end_) return -1;
    return blockStart_ + (line.text - base);
  }

 private:
  static constexpr std::size_t kChunk = 64;
  static constexpr std::size_t kBatch = 16;

  // The line from `pos` to the LF or CR at `at`, when the byte after it (a partner or not) is in
  // the block: fills `line`, writes the terminator over the line end and moves `pos` past it
  // and its partner. False for a NUL or byte 26 at `at`, or a line end in the block's last
  // byte: those take the slow path.
  static bool EndLineAt(char* base, std::size_t end, std::size_t at, std::size_t& pos,
                         Line& line) {
    char* p = base + at;
    if ((*p != '\n' && *p != '\r') || at + 1 >= end) return false;
    const char partner = *p == '\n' ? '\r' : '\n';
    line.text = base + pos;
    line.size = at - pos;
    line.hasEnd = true;
    pos = at + 1 + (p[1] == partner ? 1 : 0);
    *p = '\0';
    return true;
  }
  // True when the masks of the chunk at `chunk` are in the batch computed for the chunks from
  // `start` up to `end`.
  static bool InBatch(std::size_t chunk, std::size_t start, std::size_t end) {
    return chunk >= start && chunk < end && (chunk - start) % kChunk == 0;
  }
  // Bit i set when p[i] ends or cuts a line's text (LF, CR, NUL, byte 26), for the first
  // `avail` bytes of the 64 at `p` (the block has room for 64 bytes past its end).
  static std::uint64_t ChunkMask(const char* p, std::size_t avail) {
    std::uint64_t mask = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i nul = _mm_setzero_si128();
    const __m128i sub = _mm_set1_epi8(kEndOfInput);
    for (int k = 0; k < 4; ++k) {
      __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
      __m128i hit = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)),
                                 _mm_or_si128(_mm_cmpeq_epi8(v, nul), _mm_cmpeq_epi8(v, sub)));
      mask |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(hit))) << (16 * k);
    }
#else
    for (std::size_t i = 0; i < kChunk; ++i) {
      char c = p[i];
      if (IsLineBreak(c)) mask |= std::uint64_t{1} << i;
    }
#endif
    if (avail < kChunk) mask &= (std::uint64_t{1} << avail) - 1;
    return mask;
  }
  // Bits set in x. Written out: without a popcnt instruction in the target, the builtin calls
  // a library function.
  static int PopCount(std::uint64_t x) {
#if defined(__POPCNT__)
    return __builtin_popcountll(x);
#else
    x -= (x >> 1) & 0x5555555555555555ull;
    x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
    x = (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
    return static_cast<int>((x * 0x0101010101010101ull) >> 56);
#endif
  }
  // Counts and hands out the lines that end in the 64 bytes at `chunk` (byte chunk + 64 is
  // data), the line starting at `pos` first; moves `pos` to the start of the line that goes on
  // past them. False, with nothing done, when the chunk holds a NUL, a byte 26 or a run of
  // three or more line-end bytes after `pos`: those go through the usual steps.
  template <class H>
  static bool CountChunkLines(const ChunkMasks& masks, char* base, std::size_t chunk,
                              std::size_t& pos, std::size_t& skipped, const Selection& sel,
                              H& hand) {
    if (pos >= chunk + kChunk) return false;
    const char* p = base + chunk;
    const std::uint64_t keep = pos > chunk ? ~std::uint64_t{0} << (pos - chunk) : ~std::uint64_t{0};
    const std::uint64_t lf = masks.lf & keep;
    const std::uint64_t cr = masks.cr & keep;
    const std::uint64_t ends = lf | cr;
    if ((masks.rareBytes & keep) != 0 || (ends & (ends << 1) & (ends << 2)) != 0) return false;
    // Without longer runs, a CR LF or LF CR pair is two line-end bytes side by side that
    // differ; its second byte ends no line.
    const std::uint64_t pairSeconds = (cr & (lf << 1)) | (lf & (cr << 1));
    const std::uint64_t lineEnds = ends & ~pairSeconds;  // the byte that ends each line
    if (lineEnds == 0) return true;                      // the line at pos goes on
    const int lastEnd = 63 - __builtin_clzll(lineEnds);
    std::size_t next;  // where the line after the last one ending here starts
    if (lastEnd == 63) {
      const char partner = p[63] == '\n' ? '\r' : '\n';
      next = chunk + 64 + (p[64] == partner ? 1 : 0);
    } else {
      next = chunk + static_cast<std::size_t>(lastEnd) + 1 + ((pairSeconds >> (lastEnd + 1)) & 1);
    }
    // The lines that start after a line end of this chunk and end in it too.
    const std::uint64_t pairEnds = lineEnds & (pairSeconds >> 1);
    std::uint64_t starts = ((lineEnds & ~pairEnds) << 1) | (pairEnds << 2);
    starts &= lastEnd == 63 ? ~std::uint64_t{0} : (std::uint64_t{2} << lastEnd) - 1;
    // (A line that starts in the last two bytes and ends here has no third byte.)
    starts &= masks.firstByte | (masks.levelByte & (masks.thirdBytes >> 2));

    Line line;
    line.hasEnd = true;
    const auto handOut = [&](std::size_t start, std::size_t end) {
      line.text = base + start;
      line.size = end - start;
      base[end] = '\0';
      hand(line);
    };
    const char c = base[pos];
    const std::size_t firstEnd = chunk + static_cast<std::size_t>(__builtin_ctzll(lineEnds));
    if (c == sel.firstByte || (c == sel.levelByte && (base[pos + 2] == sel.thirdBytes[0] ||
                                                      base[pos + 2] == sel.thirdBytes[1]))) {
      handOut(pos, firstEnd);
    } else {
      ++skipped;
    }
    int counted = 1;  // lines of this chunk counted so far
    while (starts != 0) {
      const int d = __builtin_ctzll(starts);
      starts &= starts - 1;
      const int endsBefore = PopCount(lineEnds & ((std::uint64_t{1} << d) - 1));
      skipped += static_cast<std::size_t>(endsBefore - counted);
      const int f = __builtin_ctzll(lineEnds & (~std::uint64_t{0} << d));
      handOut(chunk + static_cast<std::size_t>(d), chunk + static_cast<std::size_t>(f));
      counted = endsBefore + 1;
    }
    skipped += static_cast<std::size_t>(PopCount(lineEnds) - counted);
    pos = next;
    return true;
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
      if (IsLineBreak(c)) return p;
    }
    return end;
  }
  // Every case but the common one: NUL, byte 26, lines across blocks, the end of the input.
  // Starts the bit masks afresh from the new position.
  bool NextAfterBreak(Line& line) {
    bool found = NextSlow(line);
    RestartMasks();
    return found;
  }
  // Makes Next compute its bit masks afresh from pos_.
  void RestartMasks() {
    mask_ = 0;
    chunk_ = pos_ - kChunk;  // wraps round; the next step adds kChunk back
  }
  bool NextSlow(Line& line);
  bool Refill();
  // Consumes the second byte of a CR LF or LF CR pair when it is `partner`.
  void SkipPartner(char partner);
  // Skips to just past the next line end, after a NUL cut the line short.
  void SkipRestOfLine();
  // Consumes the LF, CR or byte 26 at pos_: a line end, with its partner, gives true; a byte 26
  // ends the input and gives false.
  bool TakeLineEnd();
  // Position of the first LF, CR or byte 26 in [p, end), or `end`.
  static const char* FindLineEndOrStop(const char* p, const char* end);

  ByteSource& source_;
  std::vector<char> block_;
  std::vector<char> pieceRest_;  // the start of the next piece, held back by a cut at a character
  std::vector<char> carry_;  // the start of a line that runs over a block boundary
  std::size_t capacity_ = 0;  // bytes read into the block at a time
  std::int64_t blockStart_ = 0;  // offset in the source of the block's first byte
  std::int64_t bytesRead_ = 0;   // bytes read from the source since the start
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  std::size_t chunk_ = std::size_t{0} - kChunk;  // offset of the 64 bytes that mask_ covers
  std::uint64_t mask_ = 0;                      // line breaks not yet handed out
  char pendingPartner_ = 0;  // partner byte to drop at the start of the next block
  bool skipping_ = false;    // inside the rest of a line cut by a NUL
  bool atEnd_ = false;
  bool stopped_ = false;
  bool failed_ = false;
};

}  // namespace brimsel
