// Output naming, the output file and failure reporting shared by the text utilities.
#include "tools/tool_files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>
#include <optional>

#include "platform/temporary_file.h"

namespace brimsel {

std::string NameTooLongReason() {
  return "name longer than " + std::to_string(kOutputNameCapacity - 1) + " bytes";
}

bool OutputNameFor(const char* input, char* name) {
  static constexpr char kSuffix[] = ".txt";
  std::size_t length = std::strlen(input);
  name[0] = '\0';
  if (length + sizeof kSuffix > kOutputNameCapacity) return false;
  std::memcpy(name, input, length);
  std::memcpy(name + length, kSuffix, sizeof kSuffix);
  return true;
}

bool IsSameFile(const char* input, const char* output) {
  struct stat in, out;
  if (::stat(input, &in) != 0 || ::stat(output, &out) != 0) return false;
  return in.st_dev == out.st_dev && in.st_ino == out.st_ino;
}

namespace {

// Serves a source's bytes until a stop is requested; then every read fails, which ends the
// transform as a read error would.
class StoppableSource final : public ByteSource {
 public:
  StoppableSource(ByteSource& inner, const StopRequest& stop) : inner_(inner), stop_(stop) {}
  std::ptrdiff_t Read(char* buffer, std::size_t capacity) override {
    if (stop_ && stop_()) {
      stopped_ = true;
      return -1;
    }
    return inner_.Read(buffer, capacity);
  }
  bool Rewind() override { return inner_.Rewind(); }
  std::int64_t Size() override { return inner_.Size(); }
  bool Stopped() const { return stopped_; }

 private:
  ByteSource& inner_;
  const StopRequest& stop_;
  bool stopped_ = false;
};

// True when `path` exists and is not a regular file: a device or a pipe, written in place.
bool IsSpecialFile(const char* path) {
  struct stat st;
  return ::stat(path, &st) == 0 && !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
}

}  // namespace

ToolResult RunFileTool(const char* input, const char* output, StreamTransform transform,
                       const StopRequest& stop) {
  ToolResult result;
  try {
    std::string reason;
    std::unique_ptr<FileSource> source = FileSource::Open(input, &reason);
    if (!source) {
      result.status = ToolStatus::kInputUnreadable;
      result.detail = reason;
      return result;
    }
    char name[kOutputNameCapacity];
    if (output == nullptr || *output == '\0') {
      if (!OutputNameFor(input, name)) {
        result.status = ToolStatus::kOutputNameTooLong;
        result.output = std::string(input) + ".txt";
        result.detail = NameTooLongReason();
        return result;
      }
      output = name;
    }
    result.output = output;
    // Creating the output would truncate the input before it is read.
    if (IsSameFile(input, output)) {
      result.status = ToolStatus::kSameFile;
      return result;
    }
    std::optional<TemporaryFile> temporary;
    if (!IsSpecialFile(output)) {
      if (const int blocked = FinalNameBlocked(output); blocked != 0) {
        result.status = ToolStatus::kOutputNotCreated;
        result.detail = std::strerror(blocked);
        return result;
      }
      temporary.emplace(output);
      if (temporary->Path().empty()) {
        result.status = ToolStatus::kOutputNotCreated;
        result.detail = std::strerror(temporary->Error());
        return result;
      }
    }
    std::unique_ptr<FileSink> file =
        FileSink::Create(temporary ? temporary->Path().c_str() : output, &result.detail);
    if (!file) {
      result.status = ToolStatus::kOutputNotCreated;
      return result;
    }
    StoppableSource stoppable(*source, stop);
    result.status = transform(stoppable, *file, result.length);
    std::string closeError;
    bool closed = file->Close(&closeError);
    if (result.status == ToolStatus::kDone && !closed) result.status = ToolStatus::kWriteFailed;
    if (result.status == ToolStatus::kWriteFailed) result.detail = closeError;
    if (stoppable.Stopped()) {
      result.status = ToolStatus::kStopped;
    } else if (result.status == ToolStatus::kInputUnreadable) {
      result.detail = "read error";
    }
    if (result.status == ToolStatus::kDone && temporary && !temporary->Commit(false)) {
      result.status = ToolStatus::kWriteFailed;
      result.detail = std::strerror(temporary->Error());
    }
  } catch (const std::bad_alloc&) {
    result.status = ToolStatus::kOutOfMemory;
  }
  if (!result.Done()) result.length = 0;
  return result;
}

std::string ToolFailureText(const ToolResult& result, const std::string& input,
                            const std::string& messageBox) {
  std::string line;
  switch (result.status) {
    case ToolStatus::kDone:
      return {};
    case ToolStatus::kInputUnreadable:
      line = "cannot read '" + input + "'";
      break;
    case ToolStatus::kSameFile:
      line = "'" + result.output + "' is the input file itself";
      break;
    case ToolStatus::kOutputNameTooLong:
    case ToolStatus::kOutputNotCreated:
      line = "cannot create '" + result.output + "'";
      break;
    case ToolStatus::kWriteFailed:
      line = "cannot write '" + result.output + "'";
      break;
    case ToolStatus::kOutOfMemory:
      line = "'" + input + "': out of memory";
      break;
    case ToolStatus::kStopped:
      line = "stopped";
      break;
  }
  if (!messageBox.empty()) line = messageBox;
  if (!result.detail.empty()) line += " (" + result.detail + ")";
  return line;
}

}  // namespace brimsel
