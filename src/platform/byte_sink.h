// Byte sinks for the writers: a file created for writing, or a string in memory. Every table
// and every text utility writes through this interface, so a test can make a write fail.
#pragma once

#include <cstddef>
#include <cstdio>
#include <memory>
#include <string>

namespace brimsel {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  // Writes `size` bytes. False once anything has failed; later writes are dropped.
  virtual bool Write(const char* data, std::size_t size) = 0;
  // Completes the output. False, with the system's reason in `error` when it has one, when any
  // write or the completion failed.
  virtual bool Close(std::string* error = nullptr) = 0;
};

// Collects the bytes in memory; used by the text-to-text forms and the tests.
class StringSink final : public ByteSink {
 public:
  bool Write(const char* data, std::size_t size) override {
    text.append(data, size);
    return true;
  }
  bool Close(std::string* = nullptr) override { return true; }
  std::string text;
};

// A file created (or truncated) for writing; every byte goes out untranslated. Closed when
// destroyed, its buffered bytes then written as they stand.
class FileSink final : public ByteSink {
 public:
  // Creates `path`; null, with the reason in `error`, when it cannot be created. An unbuffered
  // sink hands each write to the system at once, for writers that keep a large buffer of their own.
  static std::unique_ptr<FileSink> Create(const char* path, std::string* error = nullptr,
                                          bool unbuffered = false);
  ~FileSink() override;
  FileSink(const FileSink&) = delete;
  FileSink& operator=(const FileSink&) = delete;

  bool Write(const char* data, std::size_t size) override;
  // Flushes and closes; a full disk often shows only here.
  bool Close(std::string* error = nullptr) override;

 private:
  struct CreateKey {};

 public:
  FileSink(CreateKey, std::FILE* file) : file_(file) {}

 private:
  std::FILE* file_;
  int errno_ = 0;  // the first failure seen
};

}  // namespace brimsel
