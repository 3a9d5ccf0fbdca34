// File and string byte sources.
#include "platform/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

std::ptrdiff_t StringSource::Read(char* buffer, std::size_t capacity) {
  std::size_t n = std::min(capacity, data_.size() - pos_);
  std::memcpy(buffer, data_.data() + pos_, n);
  pos_ += n;
  return static_cast<std::ptrdiff_t>(n);
}

}  // namespace brimsel
