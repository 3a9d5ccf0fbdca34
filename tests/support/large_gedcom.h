// A generated GEDCOM file large enough for the window's work to take a noticeable time.
#pragma once

#include <spawn.h>
#include <sys/wait.h>

#include <string>

extern char** environ;

namespace brimsel::test {

// Individuals for a reading of a few tenths of a second; the sanitizers' builds run several
// times slower, so fewer give them about as long.
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__)
inline constexpr int kLargeIndividuals = 60000;
#else
inline constexpr int kLargeIndividuals = 300000;
#endif

// Writes the generated file `path` with the generator BRIMSEL_GEDCOM_GEN; false when it failed.
// Not through QProcess: the way it starts a process leaves ThreadSanitizer blind in the caller
// for the rest of the run.
inline bool GenerateLargeGedcom(std::string path) {
  std::string program = BRIMSEL_GEDCOM_GEN, option = "--individuals";
  std::string count = std::to_string(kLargeIndividuals);
  char* arguments[] = {program.data(), option.data(), count.data(), path.data(), nullptr};
  pid_t child = 0;
  int status = 0;
  return posix_spawn(&child, program.c_str(), nullptr, nullptr, arguments, environ) == 0 &&
         waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace brimsel::test
