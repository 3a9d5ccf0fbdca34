// The console's signal handlers: they only record the signal, which the operations poll.
#include "ui/console/stop_signal.h"

#include <atomic>
#include <csignal>

namespace brimsel::cli {
namespace {

std::atomic<int> received{0};
static_assert(std::atomic<int>::is_always_lock_free, "read and written by a signal handler");

extern "C" void RecordStopSignal(int signal) {
  int none = 0;
  received.compare_exchange_strong(none, signal);
}

}  // namespace

void WatchStopSignals() {
  struct sigaction action {};
  action.sa_handler = RecordStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;  // the second time, the default action: the end
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int StopSignal() {
  return received.load();
}

int StoppedStatus(int signal) {
  return 128 + signal;
}

const char* StoppedLine(int signal) {
  return signal == SIGTERM ? "stopped by SIGTERM: no output was written"
                           : "stopped by SIGINT: no output was written";
}

}  // namespace brimsel::cli
