// Output naming, the output file and failure reporting shared by the text utilities.
#include "tools/tool_files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

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

// Removes what a failed run left at `path`, but only a regular file: the output may be a
// device such as /dev/null.
void RemovePartialOutput(const char* path) {
  struct stat st;
  if (::stat(path, &st) == 0 && S_ISREG(st.st_mode)) std::remove(path);
}

}  // namespace

ToolResult RunFileTool(const char* input, const char* output, StreamTransform transform) {
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
    std::unique_ptr<FileSink> file = FileSink::Create(output, &result.detail);
    if (!file) {
      result.status = ToolStatus::kOutputNotCreated;
      return result;
    }
    result.status = transform(*source, *file, result.length);
    std::string closeError;
    bool closed = file->Close(&closeError);
    if (result.status == ToolStatus::kDone && !closed) result.status = ToolStatus::kWriteFailed;
    if (result.status == ToolStatus::kWriteFailed) result.detail = closeError;
    if (result.status == ToolStatus::kInputUnreadable) {
      result.detail = "read error";
      RemovePartialOutput(output);
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
  }
  if (!messageBox.empty()) line = messageBox;
  if (!result.detail.empty()) line += " (" + result.detail + ")";
  return line;
}

}  // namespace brimsel
