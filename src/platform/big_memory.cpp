// Large allocations through anonymous mappings advised to use transparent huge pages.
#include "platform/big_memory.h"

#include <sys/mman.h>

#include <cstdlib>

namespace brimsel {
namespace {

constexpr std::size_t kSeuil = std::size_t{16} << 20;  // below: the ordinary heap, 4 KiB pages
constexpr std::size_t kPageEnorme = std::size_t{2} << 20;

std::size_t Arrondi(std::size_t bytes) { return (bytes + kPageEnorme - 1) & ~(kPageEnorme - 1); }

}  // namespace

void* AlloueGrand(std::size_t bytes) {
  if (bytes < kSeuil) {
    void* p = std::malloc(bytes == 0 ? 1 : bytes);
    if (p == nullptr) throw std::bad_alloc();
    return p;
  }
  std::size_t size = Arrondi(bytes);
  void* p = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  ::madvise(p, size, MADV_HUGEPAGE);
#endif
  return p;
}

void LibereGrand(void* p, std::size_t bytes) noexcept {
  if (p == nullptr) return;
  if (bytes < kSeuil) {
    std::free(p);
  } else {
    ::munmap(p, Arrondi(bytes));
  }
}

}  // namespace brimsel
