// Large allocations through anonymous mappings advised to use transparent huge pages.
#include "platform/big_memory.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace brimsel {
namespace {

constexpr std::size_t kPageEnorme = std::size_t{2} << 20;
constexpr std::size_t kSeuil = kPageEnorme;  // below: the ordinary heap, 4 KiB pages

std::size_t Arrondi(std::size_t bytes) { return (bytes + kPageEnorme - 1) & ~(kPageEnorme - 1); }

}  // namespace

void* AllocateHuge(std::size_t bytes) {
  if (bytes < kSeuil) {
    void* p = std::malloc(bytes == 0 ? 1 : bytes);
    if (p == nullptr) throw std::bad_alloc();
    return p;
  }
  if (bytes > static_cast<std::size_t>(-1) - 2 * kPageEnorme) throw std::bad_alloc();
  const std::size_t size = Arrondi(bytes);
  // Mapped with one huge page to spare, then cut to start on a huge-page boundary: every page of
  // the block can then be a huge one, where a block mapped as it comes would have its first and
  // last two megabytes in small pages.
  const std::size_t total = size + kPageEnorme;
  void* brut = ::mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (brut == MAP_FAILED) throw std::bad_alloc();
  const std::uintptr_t debutBrut = reinterpret_cast<std::uintptr_t>(brut);
  const std::uintptr_t debut = (debutBrut + kPageEnorme - 1) & ~std::uintptr_t{kPageEnorme - 1};
  if (debut != debutBrut) ::munmap(brut, debut - debutBrut);
  if (const std::size_t apres = total - (debut - debutBrut) - size; apres != 0) {
    ::munmap(reinterpret_cast<void*>(debut + size), apres);
  }
  void* p = reinterpret_cast<void*>(debut);
#ifdef MADV_HUGEPAGE
  ::madvise(p, size, MADV_HUGEPAGE);
#endif
  return p;
}

void FreeHuge(void* p, std::size_t bytes) noexcept {
  if (p == nullptr) return;
  if (bytes < kSeuil) {
    std::free(p);
  } else {
    ::munmap(p, Arrondi(bytes));
  }
}

}  // namespace brimsel
