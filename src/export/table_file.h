// A table file being written: one large buffer, CR LF line ends, a byte count and sticky
// error detection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/byte_sink.h"

namespace brimsel {

// Writes one table. Every "\n" goes out as the two bytes CR LF; cell texts have each tab
// written as one space so that a value never splits its cell. Writes go through one buffer of
// kBufferSize bytes; the first failing write or close makes the file failed for good, and
// later writes are dropped. A file destroyed before Close() is closed as it stands, its
// buffered bytes dropped: that is how an abandoned export leaves it.
class TableFile {
 public:
  static constexpr std::size_t kBufferSize = std::size_t{1} << 16;

  TableFile() = default;
  ~TableFile();
  TableFile(const TableFile&) = delete;
  TableFile& operator=(const TableFile&) = delete;

  // Creates or truncates `path`. False, with the system's reason in `cause` when given, when it
  // cannot be opened.
  bool Open(const char* path, std::string* cause = nullptr);
  // Writes into `sink` instead of a file of its own.
  void Open(std::unique_ptr<ByteSink> sink);
  bool IsOpen() const { return sink_ != nullptr; }

  // Raw text such as a header line; '\n' becomes CR LF, tabs stay.
  void Raw(std::string_view text);
  // The text of one cell: tabs become spaces, '\n' becomes CR LF. A null text writes nothing.
  void Cell(const char* text);
  void Cell(std::string_view text);
  // A number in decimal, with a minus sign when negative.
  void Number(std::int64_t n);
  void Tab() { PutByte('\t'); }
  void EndRow();

  // Room for `n` bytes (at most kBufferSize) written straight into the buffer, for a row
  // writer that would otherwise check the room before every cell: returns where to write, and
  // Take(end) then takes the bytes written up to `end`.
  char* Place(std::size_t n) {
    if (kBufferSize - used_ < n) Flush();
    return buffer_.get() + used_;
  }
  void Take(const char* end) {
    const std::size_t n = static_cast<std::size_t>(end - (buffer_.get() + used_));
    used_ += n;
    bytes_ += static_cast<std::int64_t>(n);
  }
  // What Number writes, at `p`: at most 20 bytes. Returns the end.
  static char* WriteNumber(char* p, std::int64_t n);
  // What Cell writes for a text of at most `max` bytes before its terminator, at `p`: at most
  // 2 * max bytes (a '\n' becomes CR LF). Returns the end.
  static char* WriteShortCell(char* p, const char* text, std::size_t max);

  // Bytes that another TableFile formatted (its line ends already CR LF), written as they are.
  void Formatted(std::string_view bytes);
  // Makes the file failed, as a failed write does.
  void Fail() { failed_ = true; }

  // Bytes written so far, each line end counting as two.
  std::int64_t BytesWritten() const { return bytes_; }
  // True once a write has failed.
  bool Failed() const { return failed_; }
  // Writes what is left in the buffer and closes the file. False when the file was not open,
  // or when any write or the close failed; `cause`, when given, then receives the system's
  // reason if it is known.
  bool Close(std::string* cause = nullptr);

 private:
  void PutByte(char c) {
    if (used_ == kBufferSize) Flush();
    buffer_[used_++] = c;
    ++bytes_;
  }
  void Flush();

  std::unique_ptr<ByteSink> sink_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  std::int64_t bytes_ = 0;
  bool failed_ = false;
};

}  // namespace brimsel
