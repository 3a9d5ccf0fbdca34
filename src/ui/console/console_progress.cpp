// The console's progress: message lines on stdout, a redrawn progress line on a terminal.
#include "ui/console/console_progress.h"

#include "ui/console/stop_signal.h"

#include <unistd.h>

#include "platform/code_page.h"

namespace brimsel::cli {

ConsoleProgress::ConsoleProgress(std::FILE* out, std::FILE* err)
    : out_(out), err_(err), terminal_(::isatty(::fileno(err)) != 0) {}

void ConsoleProgress::Phase(std::string_view name) {
  phase_.assign(name);
  ShowProgress(true);
}

void ConsoleProgress::LineCount(int lines) {
  counter_ = lines == kNoLineCount ? std::string() : std::to_string(lines);
  ShowProgress(false);
}

void ConsoleProgress::Message(std::string_view line) {
  EndProgress();
  // Printed as a C string: a line ends at a NUL byte, as it does in the panel's list.
  std::fprintf(out_, "%s\n", Cp1252ToUtf8(line).c_str());
}

void ConsoleProgress::ShowProgress(bool force) {
  if (!terminal_) return;
  const auto now = std::chrono::steady_clock::now();
  if (!force && now - lastProgress_ < std::chrono::milliseconds(200)) return;
  lastProgress_ = now;
  if (phase_.empty()) {
    EndProgress();
    return;
  }
  std::fprintf(err_, "\r\033[K%s %s", Cp1252ToUtf8(phase_).c_str(), counter_.c_str());
  std::fflush(err_);
  progressShown_ = true;
}

void ConsoleProgress::EndProgress() {
  if (!progressShown_) return;
  std::fprintf(err_, "\r\033[K");
  std::fflush(err_);
  progressShown_ = false;
}

bool ConsoleProgress::StopRequested() const {
  return StopSignal() != 0;
}

}  // namespace brimsel::cli
