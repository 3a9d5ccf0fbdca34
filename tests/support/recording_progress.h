// A progress sink that keeps what an operation reported: phases, line counts, message lines, how
// far it went; it can ask the operation to stop after some advances.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
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
  void Advance(std::int64_t done, std::int64_t total) override {
    NoteThread();
    advances.emplace_back(done, total);
    advanced.store(static_cast<long>(advances.size()), std::memory_order_relaxed);
  }
  // May be asked from the operation's helper threads: reads only the atomic count.
  bool StopRequested() const override {
    return stopAfter >= 0 && advanced.load(std::memory_order_relaxed) >= stopAfter;
  }

  // Forgets everything recorded, for the next operation.
  void Reset() {
    phases.clear();
    lineCounts.clear();
    messages.clear();
    advances.clear();
    advanced = 0;
    stopAfter = -1;
    calledFromAnotherThread = false;
  }

  std::vector<std::string> phases;  // "" when the work went back to idle
  std::vector<int> lineCounts;
  std::vector<std::string> messages;
  std::vector<std::pair<std::int64_t, std::int64_t>> advances;
  long stopAfter = -1;  // asks to stop once this many advances are reported; -1: never
  std::atomic<long> advanced{0};
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
