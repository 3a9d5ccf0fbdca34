// The debug sink: diagnostic lines, written only when BRIMSEL_DEBUG names a destination.
#pragma once

namespace brimsel {

// Formats one line (printf rules, at most 127 characters, longer lines cut) and appends it to
// the file that the environment variable BRIMSEL_DEBUG names, or to standard error when it is
// "-". Without the variable nothing is formatted and nothing is written.
void DebugLog(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace brimsel
