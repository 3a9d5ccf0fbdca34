// Text blocks: geometric growth, huge pages for the large ones.
#include "platform/text_blocks.h"

#include <algorithm>
#include <cstring>

#include "platform/big_memory.h"

namespace brimsel {

namespace {
constexpr std::size_t kBlocMax = std::size_t{32} << 20;
}

char* TextBlocks::Place(std::size_t size) {
  if (size > left_) {
    // Blocks double from 4 KiB up to 32 MiB: small files stay small, large ones pay one
    // allocation per many megabytes, in huge pages.
    std::size_t taille = std::min(kBlocMax, std::size_t{4096} << std::min<std::size_t>(blocks_.size(), 13));
    taille = std::max(taille, size);
    if (blocks_.size() == blocks_.capacity()) blocks_.reserve(blocks_.size() * 2 + 8);
    char* debut = static_cast<char*>(AllocateHuge(taille));
    blocks_.push_back({debut, taille});
    reserved_ += taille;
    free_ = debut;
    left_ = taille;
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

void TextBlocks::Release() {
  for (const Block& b : blocks_) FreeHuge(b.debut, b.taille);
  blocks_.clear();
  blocks_.shrink_to_fit();
  free_ = nullptr;
  left_ = 0;
  reserved_ = 0;
}

}  // namespace brimsel
