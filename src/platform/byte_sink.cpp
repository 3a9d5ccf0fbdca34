// The file sink: stdio with the first failure kept, so that a later close still reports it.
#include "platform/byte_sink.h"

#include <cerrno>
#include <cstring>

namespace brimsel {

std::unique_ptr<FileSink> FileSink::Create(const char* path, std::string* error,
                                           bool unbuffered) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) {
    if (error) *error = std::strerror(errno);
    return nullptr;
  }
  if (unbuffered) std::setvbuf(file, nullptr, _IONBF, 0);
  return std::make_unique<FileSink>(CreateKey{}, file);
}

FileSink::~FileSink() {
  if (file_ != nullptr) std::fclose(file_);
}

bool FileSink::Write(const char* data, std::size_t size) {
  if (file_ == nullptr || errno_ != 0) return false;
  if (size != 0 && std::fwrite(data, 1, size, file_) != size) {
    errno_ = errno != 0 ? errno : EIO;
    return false;
  }
  return true;
}

bool FileSink::Close(std::string* error) {
  if (file_ == nullptr) return errno_ == 0;
  if (std::fflush(file_) != 0 && errno_ == 0) errno_ = errno != 0 ? errno : EIO;
  if (std::fclose(file_) != 0 && errno_ == 0) errno_ = errno != 0 ? errno : EIO;
  file_ = nullptr;
  if (errno_ != 0 && error) *error = std::strerror(errno_);
  return errno_ == 0;
}

}  // namespace brimsel
