// Storage for many small texts: copies placed one after another in large blocks, all released
// at once, so that millions of values cost no allocation each.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace brimsel {

class BlocsTextes {
 public:
  BlocsTextes() = default;
  ~BlocsTextes() { Vide(); }
  BlocsTextes(const BlocsTextes&) = delete;
  BlocsTextes& operator=(const BlocsTextes&) = delete;

  // A NUL-terminated copy of `text`. Throws std::bad_alloc when memory runs out.
  char* Copie(std::string_view text);
  // `size` bytes, all zero.
  char* Zeros(std::size_t size);
  // Releases every block.
  void Vide();
  // Bytes held in blocks, for the memory budget.
  std::size_t Reserve() const { return reserve_; }

 protected:
  // `size` bytes, uninitialised.
  char* Place(std::size_t size);

 private:
  struct Bloc {
    char* debut;
    std::size_t taille;
  };
  std::vector<Bloc> blocs_;
  char* libre_ = nullptr;
  std::size_t reste_ = 0;
  std::size_t reserve_ = 0;
};

}  // namespace brimsel
