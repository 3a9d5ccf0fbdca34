// Text blocks: geometric growth, huge pages for the large ones.
#include "platform/text_blocks.h"

#include <algorithm>
#include <cstring>

#include "platform/big_memory.h"

namespace brimsel {

namespace {
constexpr std::size_t kBlocMax = std::size_t{32} << 20;
}

char* BlocsTextes::Place(std::size_t size) {
  if (size > reste_) {
    // Blocks double from 4 KiB up to 32 MiB: small files stay small, large ones pay one
    // allocation per many megabytes, in huge pages.
    std::size_t taille = std::min(kBlocMax, std::size_t{4096} << std::min<std::size_t>(blocs_.size(), 13));
    taille = std::max(taille, size);
    if (blocs_.size() == blocs_.capacity()) blocs_.reserve(blocs_.size() * 2 + 8);
    char* debut = static_cast<char*>(AlloueGrand(taille));
    blocs_.push_back({debut, taille});
    reserve_ += taille;
    libre_ = debut;
    reste_ = taille;
  }
  char* p = libre_;
  libre_ += size;
  reste_ -= size;
  return p;
}

char* BlocsTextes::Copie(std::string_view text) {
  char* p = Place(text.size() + 1);
  if (!text.empty()) std::memcpy(p, text.data(), text.size());
  p[text.size()] = '\0';
  return p;
}

char* BlocsTextes::Zeros(std::size_t size) {
  char* p = Place(size);
  std::memset(p, 0, size);
  return p;
}

void BlocsTextes::Vide() {
  for (const Bloc& b : blocs_) LibereGrand(b.debut, b.taille);
  blocs_.clear();
  blocs_.shrink_to_fit();
  libre_ = nullptr;
  reste_ = 0;
  reserve_ = 0;
}

}  // namespace brimsel
