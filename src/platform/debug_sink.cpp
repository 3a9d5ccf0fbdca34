// Debug lines to the file named by BRIMSEL_DEBUG.
#include "platform/debug_sink.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace brimsel {

void DebugLog(const char* format, ...) {
  const char* target = std::getenv("BRIMSEL_DEBUG");
  if (target == nullptr || *target == '\0') return;
  char line[128];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (std::strcmp(target, "-") == 0) {
    std::fprintf(stderr, "%s\n", line);
    return;
  }
  if (std::FILE* f = std::fopen(target, "a")) {
    std::fprintf(f, "%s\n", line);
    std::fclose(f);
  }
}

}  // namespace brimsel
