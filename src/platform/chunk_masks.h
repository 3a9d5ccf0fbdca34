// Bit masks of 64 bytes of text, for finding line ends and counting lines without visiting them
// one by one. Computed with the widest vector instructions the processor has, chosen once at
// start-up.
#pragma once

#include <cstdint>

namespace brimsel {

// The lines a pass looks at: those whose first byte is `firstByte`, and those whose first byte
// is `levelByte` and third byte `thirdBytes[0]` or `thirdBytes[1]`.
struct LineSelection {
  char firstByte;
  char levelByte;
  char thirdBytes[2];
};

// Bit i of each mask stands for byte i of the 64.
struct ChunkMasks {
  std::uint64_t lf = 0;         // LF
  std::uint64_t cr = 0;         // CR
  std::uint64_t rareBytes = 0;  // NUL or byte 26
  std::uint64_t firstByte = 0;  // the selection's `firstByte`
  std::uint64_t levelByte = 0;  // the selection's `levelByte`
  std::uint64_t thirdBytes = 0;  // either of the selection's `thirdBytes`
};

// Fills out[0..n) with the masks of the n chunks of 64 bytes from p on.
using ComputeMasksFn = void (*)(const char* p, int n, const LineSelection& sel, ChunkMasks* out);
// Fills out[0..n) with, for each of the n chunks of 64 bytes from p on, the bits of the bytes
// that end or cut a line's text: LF, CR, NUL and byte 26.
using ComputeBreaksFn = void (*)(const char* p, int n, std::uint64_t* out);

struct MaskKernels {
  ComputeMasksFn masks;
  ComputeBreaksFn breaks;
};

// The versions this build and this processor can run: the plain one, one byte at a time,
// first (the reference the others must equal), the fastest last. `count` receives their number.
const MaskKernels* AvailableMaskKernels(int* count);
// The fastest version this processor runs.
extern const MaskKernels kMaskKernels;

}  // namespace brimsel
