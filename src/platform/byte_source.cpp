// File and string byte sources.
#include "platform/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

namespace brimsel {

std::unique_ptr<FileSource> FileSource::Open(const char* path, std::string* error) {
  auto fail = [&](const char* why) -> std::unique_ptr<FileSource> {
    if (error) *error = why;
    return nullptr;
  };
  if (path == nullptr || *path == '\0') return fail("no file name");
  // O_NONBLOCK keeps the open of a FIFO from waiting for a writer; it is refused just below.
  int fd = ::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fail(std::strerror(errno));
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return fail(S_ISDIR(st.st_mode) ? "is a directory" : "not a regular file");
  }
  int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
#ifdef POSIX_FADV_SEQUENTIAL
  ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
  return std::make_unique<FileSource>(OpenKey{}, fd);
}

FileSource::~FileSource() { ::close(fd_); }

std::ptrdiff_t FileSource::Read(char* buffer, std::size_t capacity) {
  for (;;) {
    ssize_t n = ::read(fd_, buffer, capacity);
    if (n >= 0) return n;
    if (errno != EINTR) return -1;
  }
}

bool FileSource::Rewind() { return ::lseek(fd_, 0, SEEK_SET) == 0; }

std::int64_t FileSource::Size() {
  struct stat st;
  if (::fstat(fd_, &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

namespace {

// The bytes of an open file from one offset to another, read with pread, which leaves the file's
// own position alone and may run in several threads at once.
class FileRange final : public ByteSource {
 public:
  FileRange(int fd, std::int64_t begin, std::int64_t end) : fd_(fd), begin_(begin), end_(end), pos_(begin) {}
  std::ptrdiff_t Read(char* buffer, std::size_t capacity) override {
    if (end_ >= 0) capacity = static_cast<std::size_t>(std::min<std::int64_t>(static_cast<std::int64_t>(capacity), std::max<std::int64_t>(end_ - pos_, 0)));
    if (capacity == 0) return 0;
    for (;;) {
      ssize_t n = ::pread(fd_, buffer, capacity, static_cast<off_t>(pos_));
      if (n >= 0) {
        pos_ += n;
        return n;
      }
      if (errno != EINTR) return -1;
    }
  }
  bool Rewind() override {
    pos_ = begin_;
    return true;
  }
  std::int64_t Size() override {
    struct stat st;
    if (::fstat(fd_, &st) != 0) return -1;
    const std::int64_t stop = end_ >= 0 ? std::min<std::int64_t>(end_, st.st_size) : st.st_size;
    return std::max<std::int64_t>(stop - begin_, 0);
  }

 private:
  int fd_;
  std::int64_t begin_;
  std::int64_t end_;
  std::int64_t pos_;
};

// A piece of a string source's bytes.
class StringRange final : public ByteSource {
 public:
  explicit StringRange(std::string_view bytes) : bytes_(bytes) {}
  std::ptrdiff_t Read(char* buffer, std::size_t capacity) override {
    const std::size_t n = std::min(capacity, bytes_.size() - pos_);
    if (n != 0) std::memcpy(buffer, bytes_.data() + pos_, n);
    pos_ += n;
    return static_cast<std::ptrdiff_t>(n);
  }
  bool Rewind() override {
    pos_ = 0;
    return true;
  }
  std::int64_t Size() override { return static_cast<std::int64_t>(bytes_.size()); }

 private:
  std::string_view bytes_;
  std::size_t pos_ = 0;
};

}  // namespace

std::unique_ptr<ByteSource> FileSource::Range(std::int64_t begin, std::int64_t end) {
  if (begin < 0) return nullptr;
  return std::make_unique<FileRange>(fd_, begin, end);
}

std::unique_ptr<ByteSource> StringSource::Range(std::int64_t begin, std::int64_t end) {
  const auto size = static_cast<std::int64_t>(data_.size());
  begin = std::clamp<std::int64_t>(begin, 0, size);
  end = end < 0 ? size : std::clamp<std::int64_t>(end, begin, size);
  return std::make_unique<StringRange>(
      std::string_view(data_).substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin)));
}

std::ptrdiff_t StringSource::Read(char* buffer, std::size_t capacity) {
  std::size_t n = std::min(capacity, data_.size() - pos_);
  std::memcpy(buffer, data_.data() + pos_, n);
  pos_ += n;
  return static_cast<std::ptrdiff_t>(n);
}

}  // namespace brimsel
