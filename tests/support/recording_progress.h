// A progress sink that keeps what an operation reported: phases, line counts, message lines.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/progress.h"

namespace brimsel::test {

class RecordingProgress final : public ProgressSink {
 public:
  void Phase(std::string_view name) override { phases.emplace_back(name); }
  void LineCount(int lines) override { lineCounts.push_back(lines); }
  void Message(std::string_view line) override { messages.emplace_back(line); }

  std::vector<std::string> phases;  // "" when the work went back to idle
  std::vector<int> lineCounts;
  std::vector<std::string> messages;
};

}  // namespace brimsel::test
