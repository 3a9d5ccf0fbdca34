// Memory for the model's large arrays: whole huge pages where the system offers them, so that a
// file of millions of records does not pay a page fault every 4 KiB.
#pragma once

#include <cstddef>
#include <new>

namespace brimsel {

// Allocates `bytes`; large requests come from their own mapping, advised to use huge pages.
// Throws std::bad_alloc when memory runs out.
void* AllocateHuge(std::size_t bytes);
void FreeHuge(void* p, std::size_t bytes) noexcept;

// A standard allocator over AllocateHuge, for std::vector.
template <class T>
struct HugePageAllocator {
  using value_type = T;
  HugePageAllocator() noexcept = default;
  template <class U>
  HugePageAllocator(const HugePageAllocator<U>&) noexcept {}
  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(AllocateHuge(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept { FreeHuge(p, n * sizeof(T)); }
  template <class U>
  bool operator==(const HugePageAllocator<U>&) const noexcept {
    return true;
  }
};

}  // namespace brimsel
