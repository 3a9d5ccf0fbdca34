// A progress sink that keeps what an operation reported: phases, line counts, message lines.
#pragma once

#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "engine/progress.h"

namespace brimsel::test {

class RecordingProgress final : public ProgressSink {
 public:
  void Phase(std::string_view name) override {
    NoteThread();
    phases.emplace_back(name);
  }
  void LineCount(int lines) override {
    NoteThread();
    lineCounts.push_back(lines);
  }
  void Message(std::string_view line) override {
    NoteThread();
    messages.emplace_back(line);
  }

  std::vector<std::string> phases;  // "" when the work went back to idle
  std::vector<int> lineCounts;
  std::vector<std::string> messages;
  // Set by a call from another thread than the one that made the sink: the front-ends' sinks
  // may only be called from the thread that runs the operation.
  bool calledFromAnotherThread = false;

 private:
  void NoteThread() {
    if (std::this_thread::get_id() != owner_) calledFromAnotherThread = true;
  }
  std::thread::id owner_ = std::this_thread::get_id();
};

}  // namespace brimsel::test
