// The console's view of a running operation: message lines on stdout, the phase and the line
// counter on stderr while it is a terminal.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <string_view>

#include "engine/progress.h"

namespace brimsel::cli {

class ConsoleProgress final : public ProgressSink {
 public:
  ConsoleProgress(std::FILE* out, std::FILE* err);

  void Phase(std::string_view name) override;
  void LineCount(int lines) override;
  // The line goes to `out` in UTF-8, once the progress line is wiped.
  void Message(std::string_view line) override;
  // True once SIGINT or SIGTERM has come.
  bool StopRequested() const override;

  // Wipes the progress line, if one is shown, so that what follows starts a clean line.
  void EndProgress();

 private:
  // Redraws "phase counter" on a terminal, at most five times a second unless `force`d.
  void ShowProgress(bool force);

  std::FILE* out_;
  std::FILE* err_;
  bool terminal_;  // stderr is a terminal: progress is drawn there
  bool progressShown_ = false;
  std::chrono::steady_clock::time_point lastProgress_{};
  std::string phase_;    // Windows-1252; empty when idle
  std::string counter_;  // the lines read so far, empty when there is no count
};

}  // namespace brimsel::cli
