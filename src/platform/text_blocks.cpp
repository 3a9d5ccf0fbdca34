// Text blocks: geometric growth, huge pages for the large ones.
#include "platform/text_blocks.h"

#include <algorithm>
#include <cstring>

#include "platform/big_memory.h"

namespace brimsel {

namespace {
constexpr std::size_t kMaxBlock = std::size_t{32} << 20;
}

char* TextBlocks::Place(std::size_t size) {
  if (size > left_) {
    // Blocks double from 4 KiB up to 32 MiB: small files stay small, large ones pay one
    // allocation per many megabytes, in huge pages.
    std::size_t blockSize =
        std::min(kMaxBlock, std::size_t{4096} << std::min<std::size_t>(blocks_.size(), 13));
    blockSize = std::max(blockSize, size);
    if (blocks_.size() == blocks_.capacity()) blocks_.reserve(blocks_.size() * 2 + 8);
    char* start = static_cast<char*>(AllocateHuge(blockSize));
    blocks_.push_back({start, blockSize});
    reserved_ += blockSize;
    free_ = start;
    left_ = blockSize;
  }
  char* p = free_;
  free_ += size;
  left_ -= size;
  return p;
}

char* TextBlocks::Copy(std::string_view text) {
  char* p = Place(text.size() + 1);
  if (!text.empty()) std::memcpy(p, text.data(), text.size());
  p[text.size()] = '\0';
  return p;
}

char* TextBlocks::Zeros(std::size_t size) {
  char* p = Place(size);
  std::memset(p, 0, size);
  return p;
}

void TextBlocks::Adopt(TextBlocks& other) {
  blocks_.reserve(blocks_.size() + other.blocks_.size());
  blocks_.insert(blocks_.end(), other.blocks_.begin(), other.blocks_.end());
  reserved_ += other.reserved_;
  other.blocks_.clear();
  other.free_ = nullptr;
  other.left_ = 0;
  other.reserved_ = 0;
}

void TextBlocks::Release() {
  for (const Block& b : blocks_) FreeHuge(b.start, b.size);
  blocks_.clear();
  blocks_.shrink_to_fit();
  free_ = nullptr;
  left_ = 0;
  reserved_ = 0;
}

}  // namespace brimsel
