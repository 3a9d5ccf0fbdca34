// Chunk masks: a plain version, SSE2, and on x86-64 AVX2 and AVX-512 versions compiled for
// those instruction sets and used only where the processor has them.
#include "platform/chunk_masks.h"

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
    if (c == '\0' || c == 26) m.rares |= bit;
    if (c == sel.premier) m.premier |= bit;
    if (c == sel.niveau) m.niveau |= bit;
    if (c == sel.troisieme[0] || c == sel.troisieme[1]) m.troisieme |= bit;
  }
  return m;
}

void MasquesOctetParOctet(const char* p, int n, const LineSelection& sel, ChunkMasks* out) {
  for (int i = 0; i < n; ++i) out[i] = BytesWritten(p + 64 * i, sel);
}

void CoupuresOctetParOctet(const char* p, int n, std::uint64_t* out) {
  for (int i = 0; i < n; ++i) {
    const ChunkMasks m = BytesWritten(p + 64 * i, {'\n', '\n', {'\n', '\n'}});
    out[i] = m.lf | m.cr | m.rares;
  }
}

}  // namespace

#if BRIMSEL_X86
namespace {

ChunkMasks Sse2(const char* p, const LineSelection& sel) {
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i nul = _mm_setzero_si128();
  const __m128i sub = _mm_set1_epi8(26);
  const __m128i premier = _mm_set1_epi8(sel.premier);
  const __m128i niveau = _mm_set1_epi8(sel.niveau);
  const __m128i t0 = _mm_set1_epi8(sel.troisieme[0]);
  const __m128i t1 = _mm_set1_epi8(sel.troisieme[1]);
  const auto bits = [](__m128i v) {
    return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(v)));
  };
  ChunkMasks m;
  for (int k = 0; k < 4; ++k) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
    const int decalage = 16 * k;
    m.lf |= bits(_mm_cmpeq_epi8(v, lf)) << decalage;
    m.cr |= bits(_mm_cmpeq_epi8(v, cr)) << decalage;
    const __m128i r = _mm_or_si128(_mm_cmpeq_epi8(v, nul), _mm_cmpeq_epi8(v, sub));
    m.rares |= bits(r) << decalage;
    m.premier |= bits(_mm_cmpeq_epi8(v, premier)) << decalage;
    m.niveau |= bits(_mm_cmpeq_epi8(v, niveau)) << decalage;
    m.troisieme |= bits(_mm_or_si128(_mm_cmpeq_epi8(v, t0), _mm_cmpeq_epi8(v, t1))) << decalage;
  }
  return m;
}

__attribute__((target("avx2"))) ChunkMasks Avx2(const char* p, const LineSelection& sel) {
  const __m256i lf = _mm256_set1_epi8('\n');
  const __m256i cr = _mm256_set1_epi8('\r');
  const __m256i nul = _mm256_setzero_si256();
  const __m256i sub = _mm256_set1_epi8(26);
  const __m256i premier = _mm256_set1_epi8(sel.premier);
  const __m256i niveau = _mm256_set1_epi8(sel.niveau);
  const __m256i t0 = _mm256_set1_epi8(sel.troisieme[0]);
  const __m256i t1 = _mm256_set1_epi8(sel.troisieme[1]);
  const auto bits = [](__m256i v) __attribute__((target("avx2"))) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(v)));
  };
  ChunkMasks m;
  for (int k = 0; k < 2; ++k) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32 * k));
    const int decalage = 32 * k;
    m.lf |= bits(_mm256_cmpeq_epi8(v, lf)) << decalage;
    m.cr |= bits(_mm256_cmpeq_epi8(v, cr)) << decalage;
    m.rares |= bits(_mm256_or_si256(_mm256_cmpeq_epi8(v, nul), _mm256_cmpeq_epi8(v, sub)))
               << decalage;
    m.premier |= bits(_mm256_cmpeq_epi8(v, premier)) << decalage;
    m.niveau |= bits(_mm256_cmpeq_epi8(v, niveau)) << decalage;
    m.troisieme |= bits(_mm256_or_si256(_mm256_cmpeq_epi8(v, t0), _mm256_cmpeq_epi8(v, t1)))
                   << decalage;
  }
  return m;
}

__attribute__((target("avx512f,avx512bw"))) ChunkMasks Avx512(const char* p,
                                                               const LineSelection& sel) {
  const __m512i v = _mm512_loadu_si512(p);
  ChunkMasks m;
  m.lf = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\n'));
  m.cr = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\r'));
  m.rares = _mm512_cmpeq_epi8_mask(v, _mm512_setzero_si512()) |
            _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(26));
  m.premier = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(sel.premier));
  m.niveau = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(sel.niveau));
  m.troisieme = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(sel.troisieme[0])) |
                _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(sel.troisieme[1]));
  return m;
}

void CoupuresSse2(const char* p, int n, std::uint64_t* out) {
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i nul = _mm_setzero_si128();
  const __m128i sub = _mm_set1_epi8(26);
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
__attribute__((target("avx2"))) void CoupuresAvx2(const char* p, int n, std::uint64_t* out) {
  const __m256i lf = _mm256_set1_epi8('\n');
  const __m256i cr = _mm256_set1_epi8('\r');
  const __m256i nul = _mm256_setzero_si256();
  const __m256i sub = _mm256_set1_epi8(26);
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
__attribute__((target("avx512f,avx512bw"))) void CoupuresAvx512(const char* p, int n,
                                                                std::uint64_t* out) {
  for (int i = 0; i < n; ++i) {
    const __m512i v = _mm512_loadu_si512(p + 64 * i);
    out[i] = _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\n')) |
             _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8('\r')) |
             _mm512_cmpeq_epi8_mask(v, _mm512_setzero_si512()) |
             _mm512_cmpeq_epi8_mask(v, _mm512_set1_epi8(26));
  }
}

void MasquesSse2(const char* p, int n, const LineSelection& sel, ChunkMasks* out) {
  for (int i = 0; i < n; ++i) out[i] = Sse2(p + 64 * i, sel);
}
__attribute__((target("avx2"))) void MasquesAvx2(const char* p, int n, const LineSelection& sel,
                                                 ChunkMasks* out) {
  for (int i = 0; i < n; ++i) out[i] = Avx2(p + 64 * i, sel);
}
__attribute__((target("avx512f,avx512bw"))) void MasquesAvx512(const char* p, int n,
                                                               const LineSelection& sel,
                                                               ChunkMasks* out) {
  for (int i = 0; i < n; ++i) out[i] = Avx512(p + 64 * i, sel);
}

}  // namespace
#endif

const MaskKernels* AvailableMaskKernels(int* count) {
  static const struct Versions {
    MaskKernels liste[4] = {};
    int nombre = 0;
    Versions() {
      liste[nombre++] = {MasquesOctetParOctet, CoupuresOctetParOctet};
#if BRIMSEL_X86
      liste[nombre++] = {MasquesSse2, CoupuresSse2};
      __builtin_cpu_init();
      if (__builtin_cpu_supports("avx2")) liste[nombre++] = {MasquesAvx2, CoupuresAvx2};
      if (__builtin_cpu_supports("avx512bw")) liste[nombre++] = {MasquesAvx512, CoupuresAvx512};
#endif
    }
  } kVersions;
  *count = kVersions.nombre;
  return kVersions.liste;
}

namespace {
MaskKernels Meilleure() {
  int n = 0;
  const MaskKernels* liste = AvailableMaskKernels(&n);
  return liste[n - 1];
}
}  // namespace

const MaskKernels kMaskKernels = Meilleure();

}  // namespace brimsel
