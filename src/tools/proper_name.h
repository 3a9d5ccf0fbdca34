// The proper-name normaliser: rewrites the NAME lines of a GEDCOM file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/byte_source.h"
#include "tools/tool_files.h"

namespace brimsel {

// Rewrites `text` in place: first letter capital, a capital after each hyphen, the rest small.
// Only the ASCII letters change; an empty text stays unchanged.
void CapitaliseProperName(char* text);

// One piece of a line as the normaliser reads it.
struct LinePiece {
  const char* text = nullptr;  // NUL-terminated, valid until the next call to Next
  std::size_t size = 0;        // bytes of text up to its first NUL
  bool hasEnd = false;         // the piece carries the end of its line
};

// Reads text lines in pieces of at most kMaxPiece characters, a line end counting as one:
// a longer line comes out as several pieces, and only the last one carries the line end.
// CR LF, LF CR, LF and CR each end a line; a byte 26 ends the input. A NUL inside a piece ends
// its text: the rest of that piece, its line end included, is lost.
class PieceReader {
 public:
  static constexpr std::size_t kMaxPiece = 510;

  explicit PieceReader(ByteSource& source, std::size_t blockSize = std::size_t{64} << 10);

  // Fills `piece` with the next piece; false at the end of the input.
  bool Next(LinePiece& piece);
  // True when the source reported a read error; the input then ended early.
  bool Failed() const { return failed_; }

 private:
  // The next byte without consuming it, or -1 at the end of the input.
  int Peek();

  ByteSource& source_;
  std::vector<char> block_;
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool atEnd_ = false;
  bool failed_ = false;
  char piece_[kMaxPiece + 2] = {};
};

// Rewrites one name line's text (starting with "1 NAME ", no line end) into `result`
// (kNameLineCapacity bytes): the prefix, then the first and second '/'-separated parts, each
// capitalised and followed by '/'. Whatever follows the second part is dropped.
inline constexpr std::size_t kNameLineCapacity = 512;
void RewriteNameLine(std::string_view line, char* result);

// True when `text` begins with "1 NAME " exactly, case included.
bool IsNameLine(std::string_view text);

// Copies everything `source` holds into `sink` with the name lines rewritten and every line
// end written as CR LF. Returns kDone, kInputUnreadable (read error), kWriteFailed or
// kOutOfMemory; `length` is set to the bytes written.
ToolStatus ProperNameStream(ByteSource& source, ByteSink& sink, std::int64_t& length);

// The same over a whole text; used by the tests.
std::string ProperNameText(std::string_view input);

// Normalises the file `input` into `output`, or into `input` followed by ".txt" when `output`
// is null or empty. Shows no message: see ReportOutputFailure.
ToolResult ProperNameCopy(const char* input, const char* output = nullptr);

}  // namespace brimsel
