// UTF-16 to UTF-8 byte source, and the source that skips a byte-order mark.
#include "platform/utf16_source.h"

#include <algorithm>
#include <cstring>

#include "platform/utf8.h"

namespace brimsel {
namespace {

constexpr char16_t kByteOrderMark = 0xFEFF;

inline bool IsHighSurrogate(char16_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}
inline bool IsLowSurrogate(char16_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

}  // namespace

Utf16Source::Utf16Source(ByteSource& inner, bool bigEndian, std::size_t blockSize)
    : inner_(inner), bigEndian_(bigEndian), block_(std::max<std::size_t>(blockSize, 2)) {}

void Utf16Source::Reset() {
  pos_ = end_ = 0;
  atEnd_ = failed_ = false;
  atStart_ = true;
  hasOdd_ = false;
  lead_ = 0;
  pendingSize_ = pendingPos_ = 0;
}

bool Utf16Source::Rewind() {
  Reset();
  return inner_.Rewind();
}

int Utf16Source::NextUnit(char16_t& unit) {
  unsigned char bytes[2];
  std::size_t got = hasOdd_ ? 1 : 0;
  if (hasOdd_) bytes[0] = block_[0];
  while (got < 2) {
    if (pos_ == end_) {
      if (atEnd_) {
        if (got == 1) {
          block_[0] = bytes[0];
          hasOdd_ = true;
        }
        return failed_ ? -1 : 0;
      }
      // Keep a half-read code unit in the first byte of the block while refilling past it.
      const std::size_t keep = got == 1 ? 1 : 0;
      if (keep) block_[0] = bytes[0];
      const std::ptrdiff_t n =
          inner_.Read(reinterpret_cast<char*>(block_.data()) + keep, block_.size() - keep);
      if (n <= 0) {
        atEnd_ = true;
        failed_ = n < 0;
        pos_ = end_ = keep;
        continue;
      }
      pos_ = keep;
      end_ = keep + static_cast<std::size_t>(n);
      continue;
    }
    bytes[got++] = block_[pos_++];
  }
  hasOdd_ = false;
  unit = bigEndian_ ? static_cast<char16_t>(bytes[0] << 8 | bytes[1])
                     : static_cast<char16_t>(bytes[1] << 8 | bytes[0]);
  return 1;
}

void Utf16Source::Emit(char32_t cp) {
  unsigned char* p = pending_ + pendingSize_;
  if (cp < 0x80) {
    *p++ = static_cast<unsigned char>(cp);
  } else if (cp < 0x800) {
    *p++ = static_cast<unsigned char>(0xC0 | (cp >> 6));
    *p++ = static_cast<unsigned char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *p++ = static_cast<unsigned char>(0xE0 | (cp >> 12));
    *p++ = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
    *p++ = static_cast<unsigned char>(0x80 | (cp & 0x3F));
  } else {
    *p++ = static_cast<unsigned char>(0xF0 | (cp >> 18));
    *p++ = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
    *p++ = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
    *p++ = static_cast<unsigned char>(0x80 | (cp & 0x3F));
  }
  pendingSize_ = static_cast<std::size_t>(p - pending_);
}

std::ptrdiff_t Utf16Source::Read(char* buffer, std::size_t capacity) {
  std::size_t written = 0;
  while (written < capacity) {
    if (pendingPos_ < pendingSize_) {
      const std::size_t n = std::min(capacity - written, pendingSize_ - pendingPos_);
      std::memcpy(buffer + written, pending_ + pendingPos_, n);
      pendingPos_ += n;
      written += n;
      continue;
    }
    pendingPos_ = pendingSize_ = 0;
    char16_t unit;
    const int got = NextUnit(unit);
    if (got <= 0) {
      // The end: a surrogate left alone, then an odd last byte, each one U+FFFD.
      if (lead_ != 0) {
        lead_ = 0;
        Emit(kReplacementCharacter);
        continue;
      }
      if (hasOdd_) {
        hasOdd_ = false;
        Emit(kReplacementCharacter);
        continue;
      }
      if (got < 0 && written == 0) return -1;
      break;
    }
    const bool first = atStart_;
    atStart_ = false;
    if (first && unit == kByteOrderMark) continue;
    if (lead_ != 0) {
      const char16_t lead = lead_;
      lead_ = 0;
      if (IsLowSurrogate(unit)) {
        Emit(0x10000 + ((static_cast<char32_t>(lead) - 0xD800) << 10) + (unit - 0xDC00));
        continue;
      }
      Emit(kReplacementCharacter);
    }
    if (IsHighSurrogate(unit)) {
      lead_ = unit;
    } else if (IsLowSurrogate(unit)) {
      Emit(kReplacementCharacter);
    } else {
      Emit(unit);
    }
  }
  return static_cast<std::ptrdiff_t>(written);
}

std::ptrdiff_t SkipSource::Read(char* buffer, std::size_t capacity) {
  while (left_ != 0) {
    char scratch[16];
    const std::ptrdiff_t n = inner_.Read(scratch, std::min(left_, sizeof scratch));
    if (n <= 0) return n;
    left_ -= static_cast<std::size_t>(n);
  }
  return inner_.Read(buffer, capacity);
}

bool SkipSource::Rewind() {
  left_ = skip_;
  return inner_.Rewind();
}

}  // namespace brimsel
