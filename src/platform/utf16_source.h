// Byte sources that change what a file serves before the line reader sees it: UTF-16 read as
// UTF-8, and a file whose first bytes (a byte-order mark) are skipped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/byte_source.h"

namespace brimsel {

// Serves the UTF-8 text of a UTF-16 source: its own byte-order mark at the start is skipped,
// a lone surrogate is U+FFFD, and so is a last odd byte. Size() is the UTF-16 file's size.
class Utf16Source final : public ByteSource {
 public:
  Utf16Source(ByteSource& inner, bool bigEndian, std::size_t blockSize = std::size_t{64} << 10);

  std::ptrdiff_t Read(char* buffer, std::size_t capacity) override;
  bool Rewind() override;
  std::int64_t Size() override { return inner_.Size(); }

 private:
  // The next code unit in `unit`: 1, 0 at the end (an odd last byte left in odd_), -1 on error.
  int NextUnit(char16_t& unit);
  // Appends the UTF-8 form of `cp` to pending_.
  void Emit(char32_t cp);
  void Reset();

  ByteSource& inner_;
  bool bigEndian_;
  std::vector<unsigned char> block_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool atEnd_ = false;
  bool failed_ = false;
  bool atStart_ = true;  // the byte-order mark may come next
  bool hasOdd_ = false;  // one byte of an unfinished code unit was read
  char16_t lead_ = 0;     // a high surrogate waiting for its partner, or 0
  unsigned char pending_[8] = {};
  std::size_t pendingSize_ = 0;
  std::size_t pendingPos_ = 0;
};

// Serves a source without its first `skip` bytes (a byte-order mark); Size() stays the
// file's size.
class SkipSource final : public ByteSource {
 public:
  SkipSource(ByteSource& inner, std::size_t skip) : inner_(inner), skip_(skip), left_(skip) {}

  std::ptrdiff_t Read(char* buffer, std::size_t capacity) override;
  bool Rewind() override;
  std::int64_t Size() override { return inner_.Size(); }

 private:
  ByteSource& inner_;
  std::size_t skip_;
  std::size_t left_;
};

}  // namespace brimsel
