// Block-buffered line reader with the text-mode rules of every reader of the program.
#include "platform/line_reader.h"

#include <algorithm>
#include <cstring>

namespace brimsel {

// A small source gets a block just large enough: a conversion of a short text then costs no
// megabyte of memory.
LineReader::LineReader(ByteSource& source, std::size_t blockSize) : source_(source) {
  std::int64_t size = source.Size();
  if (size >= 0 && static_cast<std::uint64_t>(size) < blockSize) {
    blockSize = static_cast<std::size_t>(size) + 1;
  }
  capacity_ = blockSize < 16 ? 16 : blockSize;
  block_.resize(capacity_ + kChunk);  // the bit masks read up to 64 bytes past the data
}

bool LineReader::Rewind() {
  pos_ = end_ = 0;
  blockStart_ = bytesRead_ = 0;
  mask_ = 0;
  chunk_ = std::size_t{0} - kChunk;
  carry_.clear();
  pieceRest_.clear();
  pendingPartner_ = 0;
  skipping_ = false;
  atEnd_ = false;
  stopped_ = false;
  failed_ = false;
  return source_.Rewind();
}

bool LineReader::Refill() {
  if (atEnd_) return false;
  std::ptrdiff_t n = source_.Read(block_.data(), capacity_);
  if (n <= 0) {
    if (n < 0) failed_ = true;
    atEnd_ = true;
    pos_ = end_ = 0;
    return false;
  }
  pos_ = 0;
  end_ = static_cast<std::size_t>(n);
  blockStart_ = bytesRead_;
  bytesRead_ += n;
  if (pendingPartner_ != 0) {
    if (block_[0] == pendingPartner_) pos_ = 1;
    pendingPartner_ = 0;
  }
  return true;
}

void LineReader::SkipPartner(char partner) {
  if (pos_ < end_) {
    if (block_[pos_] == partner) ++pos_;
  } else {
    pendingPartner_ = partner;
  }
}

void LineReader::SkipRestOfLine() {
  for (;;) {
    if (pos_ >= end_ && !Refill()) return;
    const char* base = block_.data();
    const char* e = base + end_;
    const char* p = FindLineEndOrStop(base + pos_, e);
    pos_ = static_cast<std::size_t>(p - base);
    if (p == e) continue;
    TakeLineEnd();
    return;
  }
}

bool LineReader::TakeLineEnd() {
  const char c = block_[pos_];
  if (c == kEndOfInput) {
    atEnd_ = stopped_ = true;  // nothing after a byte 26 is read
    pos_ = end_;
    return false;
  }
  ++pos_;
  SkipPartner(c == '\n' ? '\r' : '\n');
  return true;
}

const char* LineReader::FindLineEndOrStop(const char* p, const char* end) {
  while (p < end && *p != '\n' && *p != '\r' && *p != kEndOfInput) ++p;
  return p;
}

bool LineReader::NextPiece(Line& piece, std::size_t maxPiece, PieceFit fit) {
  if (skipping_) {
    skipping_ = false;
    SkipRestOfLine();
  }
  carry_.swap(pieceRest_);
  pieceRest_.clear();
  std::size_t count = carry_.size();  // characters taken, the line end counting as one
  bool hasEnd = false;
  while (count < maxPiece) {
    if (pos_ >= end_ && !Refill()) break;
    const char* base = block_.data();
    const char* start = base + pos_;
    const char* limit = start + std::min(end_ - pos_, maxPiece - count);
    const char* stop = FindLineEndOrStop(start, limit);
    carry_.insert(carry_.end(), start, stop);
    count += static_cast<std::size_t>(stop - start);
    pos_ = static_cast<std::size_t>(stop - base);
    if (stop == limit) continue;
    if (TakeLineEnd()) {
      ++count;
      hasEnd = true;
    }
    break;
  }
  RestartMasks();
  if (count == 0) return false;
  if (fit != nullptr && !hasEnd && count == maxPiece) {
    const std::size_t whole = fit(std::string_view(carry_.data(), carry_.size()), maxPiece);
    if (whole != 0 && whole < carry_.size()) {
      pieceRest_.assign(carry_.begin() + static_cast<std::ptrdiff_t>(whole), carry_.end());
      carry_.resize(whole);
    }
  }
  std::size_t size = carry_.size();
  carry_.push_back('\0');
  if (const void* nul = std::memchr(carry_.data(), '\0', size); nul != nullptr) {
    // The text stops at the NUL, and the line end after it is lost too.
    size = static_cast<std::size_t>(static_cast<const char*>(nul) - carry_.data());
    hasEnd = false;
  }
  piece.text = carry_.data();
  piece.size = size;
  piece.hasEnd = hasEnd;
  return true;
}

bool LineReader::NextSlow(Line& line) {
  carry_.clear();
  if (skipping_) {
    skipping_ = false;
    SkipRestOfLine();
  }
  for (;;) {
    if (pos_ >= end_ && !Refill()) {
      if (carry_.empty()) return false;
      // The last line of the input, without a line end.
      carry_.push_back('\0');
      line.text = carry_.data();
      line.size = carry_.size() - 1;
      line.hasEnd = false;
      return true;
    }
    char* base = block_.data();
    char* start = base + pos_;
    char* e = base + end_;
    const char* p = FindLineBreak(start, e);
    if (p == e) {
      carry_.insert(carry_.end(), start, e);
      pos_ = end_;
      continue;
    }
    char c = *p;
    char* stop = const_cast<char*>(p);
    pos_ = static_cast<std::size_t>(p - base) + 1;
    bool hasEnd = false;
    if (c == '\n' || c == '\r') {
      hasEnd = true;
      SkipPartner(c == '\n' ? '\r' : '\n');
    } else if (c == '\0') {
      skipping_ = true;  // the rest of this physical line is ignored
    } else {
      atEnd_ = stopped_ = true;  // byte 26: nothing after it is read
      pos_ = end_;
      if (carry_.empty() && stop == start) return false;
    }
    if (carry_.empty()) {
      *stop = '\0';
      line.text = start;
      line.size = static_cast<std::size_t>(stop - start);
    } else {
      carry_.insert(carry_.end(), start, stop);
      carry_.push_back('\0');
      line.text = carry_.data();
      line.size = carry_.size() - 1;
    }
    line.hasEnd = hasEnd;
    return true;
  }
}

}  // namespace brimsel
