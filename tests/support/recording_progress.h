// A progress sink that keeps what an operation reported: phases, line counts, message lines, how
// far it went; it can ask the operation to stop after some advances.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <string_view>
#include <vector>

#include "engine/progress.h"

namespace brimsel::test {

class RecordingProgress final : public ProgressSink {
 public:
  void Phase(std::string_view name) override { phases.emplace_back(name); }
  void LineCount(int lines) override { lineCounts.push_back(lines); }
  void Message(std::string_view line) override { messages.emplace_back(line); }
  void Advance(std::int64_t done, std::int64_t total) override {
    advances.emplace_back(done, total);
  }
  bool StopRequested() const override {
    return stopAfter >= 0 && static_cast<long>(advances.size()) >= stopAfter;
  }

  std::vector<std::string> phases;  // "" when the work went back to idle
  std::vector<int> lineCounts;
  std::vector<std::string> messages;
  std::vector<std::pair<std::int64_t, std::int64_t>> advances;
  long stopAfter = -1;  // asks to stop once this many advances are reported; -1: never
};

}  // namespace brimsel::test
