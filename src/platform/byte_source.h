// Byte sources for the text readers: a file read in large blocks, or an in-memory string.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace brimsel {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Reads up to `capacity` bytes into `buffer`. Returns the count, 0 at the end, -1 on error.
  virtual std::ptrdiff_t Read(char* buffer, std::size_t capacity) = 0;
  // Goes back to the first byte; false when that fails.
  virtual bool Rewind() = 0;
  // Size in bytes as measured now, -1 when it cannot be measured.
  virtual std::int64_t Size() = 0;
  // A source of its own for the bytes from `begin` up to `end` (to the end of the source when
  // `end` is negative), read as they are now, independently of this source's position, and
  // usable from another thread while this one is read. Null when the source cannot serve one.
  // This source must outlive it.
  virtual std::unique_ptr<ByteSource> Range(std::int64_t /*begin*/, std::int64_t /*end*/) {
    return nullptr;
  }
};

// A regular file opened read-only. Closed when destroyed.
class FileSource final : public ByteSource {
 public:
  // Opens `path`; returns null and a reason in `error` (if given) when the path is missing,
  // unreadable, or not a regular file (a directory, a FIFO, a device).
  static std::unique_ptr<FileSource> Open(const char* path, std::string* error = nullptr);
  ~FileSource() override;
  FileSource(const FileSource&) = delete;
  FileSource& operator=(const FileSource&) = delete;

  std::ptrdiff_t Read(char* buffer, std::size_t capacity) override;
  bool Rewind() override;
  std::int64_t Size() override;
  std::unique_ptr<ByteSource> Range(std::int64_t begin, std::int64_t end) override;

 private:
  struct OpenKey {};

 public:
  FileSource(OpenKey, int fd) : fd_(fd) {}

 private:
  int fd_;
};

// Serves the bytes of a string; used by tests and by the fuzzers.
class StringSource final : public ByteSource {
 public:
  explicit StringSource(std::string data) : data_(std::move(data)) {}
  std::ptrdiff_t Read(char* buffer, std::size_t capacity) override;
  bool Rewind() override {
    pos_ = 0;
    return true;
  }
  std::int64_t Size() override { return static_cast<std::int64_t>(data_.size()); }
  std::unique_ptr<ByteSource> Range(std::int64_t begin, std::int64_t end) override;

 private:
  std::string data_;
  std::size_t pos_ = 0;
};

}  // namespace brimsel
