// What the text utilities share: the outcome of a run, the output's name, and the file they write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "platform/byte_source.h"
#include "ui/dialog_services.h"

namespace brimsel {

enum class ToolStatus {
  kDone,
  kInputUnreadable,    // the input cannot be opened or read
  kOutputNameTooLong,  // input path plus ".txt" does not fit the 512-byte name buffer
  kSameFile,           // the output names the input itself
  kOutputNotCreated,   // the output cannot be created
  kWriteFailed,        // writing or closing the output failed
  kOutOfMemory,
};

// How one run of a text utility ended. `output` is set as soon as the output's name is known,
// so that the message boxes and the console can name it.
struct ToolResult {
  ToolStatus status = ToolStatus::kDone;
  std::int64_t length = 0;  // bytes written to the output
  std::string output;       // the output's full name
  std::string detail;       // the system's reason, empty when there is none
  bool Done() const { return status == ToolStatus::kDone; }
};

// Capacity of the output name buffer, terminator included.
inline constexpr std::size_t kOutputNameCapacity = 512;

// Writes `input` followed by ".txt" into `name` (kOutputNameCapacity bytes). Returns false,
// leaving `name` empty, when the whole name does not fit: a cut name would be another file.
bool OutputNameFor(const char* input, char* name);
// The reason given when OutputNameFor refuses a name.
std::string NameTooLongReason();

// True when `output` exists and is the same file as `input` (writing it would destroy the input).
bool IsSameFile(const char* input, const char* output);

// Destination of the utilities' bytes. Write reports false once anything has failed.
class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual bool Write(const char* data, std::size_t size) = 0;
};

// Collects the bytes in memory; used by the text-to-text forms and the tests.
class StringSink final : public ByteSink {
 public:
  bool Write(const char* data, std::size_t size) override {
    text.append(data, size);
    return true;
  }
  std::string text;
};

// A binary output file created (or truncated) on open; every byte goes out untranslated.
class OutputFile final : public ByteSink {
 public:
  OutputFile() = default;
  ~OutputFile() override;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates `path`; false with the reason in `error` when it cannot be created.
  bool Create(const char* path, std::string* error);
  bool Write(const char* data, std::size_t size) override;
  // Flushes and closes; false when any write or the close failed, with the reason in `error`.
  bool Close(std::string* error);

 private:
  std::FILE* file_ = nullptr;
  int errno_ = 0;  // first failure seen
};

// A transformation from a source to a sink: kDone, kInputUnreadable (read error), kWriteFailed
// or kOutOfMemory, with `length` set to the bytes written.
using StreamTransform = ToolStatus (*)(ByteSource& source, ByteSink& sink, std::int64_t& length);

// Runs `transform` from the file `input` to `output`, or to `input` followed by ".txt" when
// `output` is null or empty. The input is opened first: when it cannot be, nothing is created.
// After a read error the partial output is removed. Shows no message.
ToolResult RunFileTool(const char* input, const char* output, StreamTransform transform);

// Shows the message box of a failed output: its full name as the text, "Erreur ouverture" when
// it cannot be created, "Erreur écriture" when writing failed, the error icon. Other failures
// have no message of their own.
void ReportOutputFailure(const ToolResult& result, DialogServices& dialogue);

// One error line for the console, UTF-8. `messageBox` is the text of the message box that the
// failure showed ("caption: text"), empty when it showed none; the system's reason follows it.
std::string ToolFailureText(const ToolResult& result, const std::string& input,
                            const std::string& messageBox);

}  // namespace brimsel
