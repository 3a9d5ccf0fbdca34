// SIGINT and SIGTERM as a request to stop: the running operation ends as stopped, removing its
// temporary outputs, and the program exits with the status a shell expects of the signal.
#pragma once

namespace brimsel::cli {

// Installs the handlers. A second signal of the same kind ends the program at once, as if no
// handler were there.
void WatchStopSignals();
// The signal received (SIGINT, SIGTERM), 0 when none: safe to read from any thread.
int StopSignal();
// The exit status for a stop by `signal`: 128 plus its number (130 for SIGINT, 143 for SIGTERM).
int StoppedStatus(int signal);
// The error line of a stopped run, naming the signal.
const char* StoppedLine(int signal);

}  // namespace brimsel::cli
