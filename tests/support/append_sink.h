// A byte sink that appends to a string the test owns, and can be told to fail.
#pragma once

#include <algorithm>
#include <string>

#include "platform/byte_sink.h"

namespace brimsel::test {

class AppendSink final : public ByteSink {
 public:
  // Appends to `out`; after `room` bytes every write fails, as on a full disk.
  explicit AppendSink(std::string& out, std::size_t room = std::string::npos)
      : out_(out), room_(room) {}
  bool Write(const char* data, std::size_t size) override {
    if (failed_ || size > room_ - std::min(room_, out_.size())) {
      failed_ = true;
      return false;
    }
    out_.append(data, size);
    return true;
  }
  bool Close(std::string* error = nullptr) override {
    if (failed_ && error) *error = "No space left on device";
    return !failed_;
  }

 private:
  std::string& out_;
  std::size_t room_;
  bool failed_ = false;
};

}  // namespace brimsel::test
