// What the text utilities share: the outcome of a run, the output's name, and the file they write.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>

#include "platform/byte_source.h"
#include "platform/byte_sink.h"

namespace brimsel {

enum class ToolStatus {
  kDone,
  kInputUnreadable,    // the input cannot be opened or read
  kOutputNameTooLong,  // input path plus ".txt" does not fit the 512-byte name buffer
  kSameFile,           // the output names the input itself
  kOutputNotCreated,   // the output cannot be created
  kWriteFailed,        // writing or closing the output failed
  kOutOfMemory,
  kStopped,            // the user asked to stop: nothing was written
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

// A transformation from a source to a sink: kDone, kInputUnreadable (read error), kWriteFailed
// or kOutOfMemory, with `length` set to the bytes written.
using StreamTransform = ToolStatus (*)(ByteSource& source, ByteSink& sink, std::int64_t& length);

// Polled while a tool runs, from its own thread; true stops it.
using StopRequest = std::function<bool()>;

// Runs `transform` from the file `input` to `output`, or to `input` followed by ".txt" when
// `output` is null or empty. The input is opened first: when it cannot be, nothing is created.
// The output is written under a temporary name beside it and renamed over it once complete, so
// that a failure or a stop leaves an earlier output as it was; an output that is not a regular
// file (a device such as /dev/null, a pipe) is written in place. Shows no message.
ToolResult RunFileTool(const char* input, const char* output, StreamTransform transform,
                       const StopRequest& stop = {});

// One error line for the console, UTF-8. `messageBox` is the text of the message box that the
// failure showed ("caption: text"), empty when it showed none; the system's reason follows it.
std::string ToolFailureText(const ToolResult& result, const std::string& input,
                            const std::string& messageBox);

}  // namespace brimsel
