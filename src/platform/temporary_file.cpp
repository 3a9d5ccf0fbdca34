// Temporary outputs: created with O_EXCL beside their final name, synced and renamed into place.
#include "platform/temporary_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

namespace brimsel {

TemporaryFile::TemporaryFile(std::string final) : final_(std::move(final)) {
  // Created with O_EXCL under a random ending, so that the system applies the user's umask as
  // for any new file and no other program's file is ever taken.
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device seed;
  std::mt19937 random(seed());
  std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = final_ + ".";
    for (int k = 0; k < 6; ++k) name += kLetters[letter(random)];
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      ::close(fd);
      path_ = std::move(name);
      return;
    }
    error_ = errno;
    if (error_ != EEXIST) return;
  }
}

TemporaryFile::~TemporaryFile() {
  if (!path_.empty()) ::unlink(path_.c_str());
}

bool TemporaryFile::Commit(bool sync) {
  if (path_.empty()) return false;
  if (sync) {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
      error_ = errno;
      if (fd >= 0) ::close(fd);
      return false;
    }
    ::close(fd);
  }
  if (::rename(path_.c_str(), final_.c_str()) != 0) {
    error_ = errno;
    return false;
  }
  path_.clear();
  return true;
}

int FinalNameBlocked(const std::string& final) {
  struct stat st {};
  if (::stat(final.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return EISDIR;
  return 0;
}

}  // namespace brimsel
