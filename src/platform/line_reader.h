// The one place that knows how text lines end: CR LF, LF CR, LF and CR each end one line,
// a byte 26 ends the input, and a NUL byte ends the text of its line.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "platform/byte_source.h"

namespace brimsel {

// One line handed out by LineReader. `text` points into the reader's buffer, is writable,
// NUL-terminated, and valid until the next call to Next or Rewind.
struct Line {
  char* text = nullptr;
  std::size_t size = 0;  // bytes of text, line end excluded
  bool hasEnd = false;   // true when a line end followed the text
  // The length as the readers count it: the line end counts as one character.
  std::size_t Length() const { return size + (hasEnd ? 1 : 0); }
  std::string_view View() const { return {text, size}; }
};

// Reads a byte source in large blocks and hands out whole physical lines, however long,
// without an allocation per line.
class LineReader {
 public:
  static constexpr std::size_t kDefaultBlock = std::size_t{1} << 20;

  explicit LineReader(ByteSource& source, std::size_t blockSize = kDefaultBlock);

  // Fills `line` with the next line; false at the end of the input (or after a read error).
  bool Next(Line& line);
  // Goes back to the first line; false when the source cannot rewind.
  bool Rewind();
  // True when the source reported a read error; the input then ended early.
  bool failed() const { return failed_; }

 private:
  bool Refill();
  // Consumes the second byte of a CR LF or LF CR pair when it is `partner`.
  void SkipPartner(char partner);
  // Skips to just past the next line end, after a NUL cut the line short.
  void SkipRestOfLine();

  ByteSource& source_;
  std::vector<char> block_;
  std::vector<char> carry_;  // the start of a line that runs over a block boundary
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  char pendingPartner_ = 0;  // partner byte to drop at the start of the next block
  bool skipping_ = false;    // inside the rest of a line cut by a NUL
  bool atEnd_ = false;
  bool failed_ = false;
};

}  // namespace brimsel
