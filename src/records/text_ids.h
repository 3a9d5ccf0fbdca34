// Ids of texts that the caller keeps (place names): an open-addressed table of ids, looked up
// by hash and checked against the caller's text of each candidate, without a copy of the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace brimsel {

class TextIds {
 public:
  // The id of `text`, or 0; textOf(id) gives the caller's text of an id.
  template <class TextOf>
  std::int64_t Find(std::string_view text, const TextOf& textOf) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = Hash(text) & mask; slots_[at] != 0; at = (at + 1) & mask) {
      if (textOf(slots_[at]) == text) return slots_[at];
    }
    return 0;
  }
  // Adds `id` (from 1, each once), whose text is not yet there.
  template <class TextOf>
  void Add(std::string_view text, std::int64_t id, const TextOf& textOf) {
    ++count_;
    if (count_ * 2 > slots_.size()) {
      // Twice as many slots, every id placed again.
      std::vector<std::int64_t> old(slots_.size() * 2, 0);
      old.swap(slots_);
      for (std::int64_t other : old) {
        if (other != 0) Place(textOf(other), other);
      }
    }
    Place(text, id);
  }
  void Clear() {
    slots_.assign(kFirstSize, 0);
    count_ = 0;
  }

 private:
  static constexpr std::size_t kFirstSize = 1024;
  // Eight bytes at a time, each word mixed by a multiplication: place names are short.
  static std::size_t Hash(std::string_view text) {
    constexpr std::uint64_t kMix = 0x9E3779B97F4A7C15ull;
    std::uint64_t h = text.size() * kMix;
    const char* p = text.data();
    std::size_t n = text.size();
    for (; n >= 8; p += 8, n -= 8) {
      std::uint64_t w;
      std::memcpy(&w, p, 8);
      h = (h ^ w) * kMix;
      h ^= h >> 32;
    }
    std::uint64_t last = 0;
    for (std::size_t i = 0; i < n; ++i)
      last |= static_cast<std::uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
    h = (h ^ last) * kMix;
    return static_cast<std::size_t>(h ^ (h >> 29));
  }
  void Place(std::string_view text, std::int64_t id) {
    const std::size_t mask = slots_.size() - 1;
    std::size_t at = Hash(text) & mask;
    while (slots_[at] != 0) at = (at + 1) & mask;
    slots_[at] = id;
  }

  std::vector<std::int64_t> slots_ = std::vector<std::int64_t>(kFirstSize, 0);
  std::size_t count_ = 0;
};

}  // namespace brimsel
