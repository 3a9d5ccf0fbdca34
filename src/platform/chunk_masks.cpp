// Chunk masks: a plain version, SSE2, and on x86-64 AVX2 and AVX-512 versions compiled for
// those instruction sets and used only where the processor has them.
#include "platform/chunk_masks.h"

#include "platform/text_bytes.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define BRIMSEL_X86 1
#endif

namespace brimsel {

namespace {

ChunkMasks BytesWritten(const char* p, const LineSelection& sel) {
  ChunkMasks m;
  for (int i = 0; i < 64; ++i) {
    const std::uint64_t bit = std::uint64_t{1} << i;
    const char c = p[i];
    if (c == '\n') m.lf |= bit;
    if (c == '\r') m.cr |= bit;
    if (c == '\0' || c == kEndOfInput) m.rareBytes |= bit;
    if (c == sel.firstByte) m.firstByte |= bit;
    if (c == sel.levelByte) m.levelByte |= bit;
    if (c == sel.thirdBytes[0] || c == sel.thirdBytes[1]) m.thirdBytes |= bit;
  }
  return m;
}

void MasksByteByByte(const char* p, int n, const LineSelection& sel, ChunkMasks* out) {
  for (int i = 0; i < n; ++i) out[i] = BytesWritten(p + 64 * i, sel);
}

void BreaksByteByByte(const char* p, int n, std::uint64_t* out) {
  for (int i = 0; i < n; ++i) {
    const ChunkMasks m = BytesWritten(p + 64 * i, {'\n', '\n', {'\n', '\n'}});
    out[i] = m.lf | m.cr | m.rareBytes;
  }
}

}  // namespace

#if BRIMSEL_X86
namespace {

ChunkMasks Sse2(const char* p, const LineSelection& sel) {
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i nul = _mm_setzero_si128();
  const __m128i sub = _mm_set1_epi8(kEndOfInput);
  const __m128i firstByte = _mm_set1_epi8(sel.firstByte);
  const __m128i levelByte = _mm_set1_epi8(sel.levelByte);
  const __m128i t0 = _mm_set1_epi8(sel.thirdBytes[0]);
  const __m128i t1 = _mm_set1_epi8(sel.thirdBytes[1]);
  const auto bits = [](__m128i v) {
    return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(v)));
  };
  ChunkMasks m;
  for (int k = 0; k < 4; ++k) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    const int shift = 16 * k;
    m.lf |= bits(_mm_cmpeq_epi8(v, lf)) << shift;
    m.cr |= bits(_mm_cmpeq_epi8(v, cr)) << shift;
    const __m128i r = _mm_or_si128(_mm_cmpeq_epi8(v, nul), _mm_cmpeq_epi8(v, sub));
    m.rareBytes |= bits(r) << shift;
    m.firstByte |= bits(_mm_cmpeq_epi8(v, firstByte)) << shift;
    m.levelByte |= bits(_mm_cmpeq_epi8(v, levelByte)) << shift;
    m.thirdBytes |= bits(_mm_or_si128(_mm_cmpeq_epi8(v, t0), _mm_cmpeq_epi8(v, t1))) << shift;
  }
  return m;
}

__attribute__((target("avx2"))) ChunkMasks Avx2(const char* p, const LineSelection& sel) {
  const __m256i lf = _mm256_set1_epi8('\n');
  const __m256i cr = _mm256_set1_epi8('\r');
  const __m256i nul = _mm256_setzero_si256();
  const __m256i sub = _mm256_set1_epi8(kEndOfInput);
  const __m256i firstByte = _mm256_set1_epi8(sel.firstByte);
  const __m256i levelByte = _mm256_set1_epi8(sel.levelByte);
  const __m256i t0 = _mm256_set1_epi8(sel.thirdBytes[0]);
  const __m256i t1 = _mm256_set1_epi8(sel.thirdBytes[1]);
  const auto bits = [](__m256i v) __attribute__((target("avx2"))) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(v)));
  };
  ChunkMasks m;
  for (int k = 0; k < 2; ++k) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * k));
    const int shift = 32 * k;
    m.lf |= bits(_mm256_cmpeq_epi8(v, lf)) << shift;
    m.cr |= bits(_mm256_cmpeq_epi8(v, cr)) << shift;
    m.rareBytes |= bits(_mm256_or_si256(_mm256_cmpeq_epi8(v, nul), _mm256_cmpeq_epi8(v, sub)))
                   << shift;
    m.firstByte |= bits(_mm256_cmpeq_epi8(v, firstByte)) << shift;
    m.levelByte |= bits(_mm256_cmpeq_epi8(v, levelByte)) << shift;
    m.thirdBytes |= bits(_mm256_or_si256(_mm256_cmpeq_epi8(v, t0), _mm256_cmpeq_epi8(v, t1)))
                    << shift;
  }
  return m;
}

__attribute__((target("avx512f,avx512bw"))) ChunkMasks Avx512(const char* p,
                                                               const LineSelection& sel) {
  const __m512i v = _mm512_loadu_si512(p);
  ChunkMasks m;
  m.lf = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\n'));
  m.cr = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\r'));
  m.rareBytes = _mm512_cmpeq_epi8_mask(v, _mm512_setzero_si512()) |
                _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(kEndOfInput));
  m.firstByte = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(sel.firstByte));
  m.levelByte = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(sel.levelByte));
  m.thirdBytes = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(sel.thirdBytes[0])) |
                 _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(sel.thirdBytes[1]));
  return m;
}

void BreaksSse2(const char* p, int n, std::uint64_t* out) {
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i nul = _mm_setzero_si128();
  const __m128i sub = _mm_set1_epi8(kEndOfInput);
  for (int i = 0; i < n; ++i) {
    std::uint64_t m = 0;
    for (int k = 0; k < 4; ++k) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 64 * i + 16 * k));
      const __m128i hit =
          _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr)),
                       _mm_or_si128(_mm_cmpeq_epi8(v, nul), _mm_cmpeq_epi8(v, sub)));
      m |= static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(hit))) << (16 * k);
    }
    out[i] = m;
  }
}
__attribute__((target("avx2"))) void BreaksAvx2(const char* p, int n, std::uint64_t* out) {
  const __m256i lf = _mm256_set1_epi8('\n');
  const __m256i cr = _mm256_set1_epi8('\r');
  const __m256i nul = _mm256_setzero_si256();
  const __m256i sub = _mm256_set1_epi8(kEndOfInput);
  for (int i = 0; i < n; ++i) {
    std::uint64_t m = 0;
    for (int k = 0; k < 2; ++k) {
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 64 * i + 32 * k));
      const __m256i hit =
          _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(v, lf), _mm256_cmpeq_epi8(v, cr)),
                          _mm256_or_si256(_mm256_cmpeq_epi8(v, nul), _mm256_cmpeq_epi8(v, sub)));
      m |= static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(hit)))
           << (32 * k);
    }
    out[i] = m;
  }
}
__attribute__((target("avx512f,avx512bw"))) void BreaksAvx512(const char* p, int n,
                                                              std::uint64_t* out) {
  for (int i = 0; i < n; ++i) {
    const __m512i v = _mm512_loadu_si512(p + 64 * i);
    out[i] = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\n')) |
             _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\r')) |
             _mm512_cmpeq_epi8_mask(v, _mm512_setzero_si512()) |
             _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(kEndOfInput));
  }
}

void MasksSse2(const char* p, int n, const LineSelection& sel, ChunkMasks* out) {
  for (int i = 0; i < n; ++i) out[i] = Sse2(p + 64 * i, sel);
}
__attribute__((target("avx2"))) void MasksAvx2(const char* p, int n, const LineSelection& sel,
                                               ChunkMasks* out) {
  for (int i = 0; i < n; ++i) out[i] = Avx2(p + 64 * i, sel);
}
__attribute__((target("avx512f,avx512bw"))) void MasksAvx512(const char* p, int n,
                                                             const LineSelection& sel,
                                                             ChunkMasks* out) {
  for (int i = 0; i < n; ++i) out[i] = Avx512(p + 64 * i, sel);
}

}  // namespace
#endif

const MaskKernels* AvailableMaskKernels(int* count) {
  static const struct KernelList {
    MaskKernels list[4] = {};
    int count = 0;
    KernelList() {
      list[count++] = {MasksByteByByte, BreaksByteByByte};
#if BRIMSEL_X86
      list[count++] = {MasksSse2, BreaksSse2};
      __builtin_cpu_init();
      if (__builtin_cpu_supports("avx2")) list[count++] = {MasksAvx2, BreaksAvx2};
      if (__builtin_cpu_supports("avx512bw")) list[count++] = {MasksAvx512, BreaksAvx512};
#endif
    }
  } kVersions;
  *count = kVersions.count;
  return kVersions.list;
}

namespace {
MaskKernels FastestKernels() {
  int n = 0;
  const MaskKernels* list = AvailableMaskKernels(&n);
  return list[n - 1];
}
}  // namespace

const MaskKernels kMaskKernels = FastestKernels();

}  // namespace brimsel
