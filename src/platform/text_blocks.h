// Storage for many small texts: copies placed one after another in large blocks, all released
// at once, so that millions of values cost no allocation each.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace brimsel {

class TextBlocks {
 public:
  TextBlocks() = default;
  ~TextBlocks() { Release(); }
  TextBlocks(const TextBlocks&) = delete;
  TextBlocks& operator=(const TextBlocks&) = delete;

  // A NUL-terminated copy of `text`. Throws std::bad_alloc when memory runs out.
  char* Copy(std::string_view text);
  // `size` bytes, all zero.
  char* Zeros(std::size_t size);
  // Releases every block.
  void Release();
  // Takes over every block of `other`, whose texts then live as long as this storage's; `other`
  // is left empty.
  void Adopt(TextBlocks& other);
  // Bytes held in blocks, for the memory budget.
  std::size_t ReservedBytes() const { return reserved_; }

 protected:
  // `size` bytes, uninitialised.
  char* Place(std::size_t size);

 private:
  struct Block {
    char* start;
    std::size_t size;
  };
  std::vector<Block> blocks_;
  char* free_ = nullptr;
  std::size_t left_ = 0;
  std::size_t reserved_ = 0;
};

}  // namespace brimsel
