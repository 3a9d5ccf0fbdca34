// Large allocations through anonymous mappings advised to use transparent huge pages.
#include "platform/big_memory.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>

namespace brimsel {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kMappingThreshold = kHugePage;  // below: the ordinary heap, 4 KiB pages

std::size_t RoundToHugePages(std::size_t bytes) {
  return (bytes + kHugePage - 1) & ~(kHugePage - 1);
}

}  // namespace

void* AllocateHuge(std::size_t bytes) {
  if (bytes < kMappingThreshold) {
    void* p = std::malloc(bytes == 0 ? 1 : bytes);
    if (p == nullptr) throw std::bad_alloc();
    return p;
  }
  if (bytes > static_cast<std::size_t>(-1) - 2 * kHugePage) throw std::bad_alloc();
  const std::size_t size = RoundToHugePages(bytes);
  // Mapped with one huge page to spare, then cut to start on a huge-page boundary: every page of
  // the block can then be a huge one, where a block mapped as it comes would have its first and
  // last two megabytes in small pages.
  const std::size_t total = size + kHugePage;
  void* mapping =
      ::mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapping == MAP_FAILED) throw std::bad_alloc();
  const std::uintptr_t mappingStart = reinterpret_cast<std::uintptr_t>(mapping);
  const std::uintptr_t alignedStart =
      (mappingStart + kHugePage - 1) & ~std::uintptr_t{kHugePage - 1};
  if (alignedStart != mappingStart) ::munmap(mapping, alignedStart - mappingStart);
  if (const std::size_t tailBytes = total - (alignedStart - mappingStart) - size; tailBytes != 0) {
    ::munmap(reinterpret_cast<void*>(alignedStart + size), tailBytes);
  }
  void* p = reinterpret_cast<void*>(alignedStart);
#ifdef MADV_HUGEPAGE
  ::madvise(p, size, MADV_HUGEPAGE);
#endif
  return p;
}

void FreeHuge(void* p, std::size_t bytes) noexcept {
  if (p == nullptr) return;
  if (bytes < kMappingThreshold) {
    std::free(p);
  } else {
    ::munmap(p, RoundToHugePages(bytes));
  }
}

}  // namespace brimsel
