// Runs brimsel-cli in a folder and keeps its exit status and output.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace brimsel::test {

struct CliRun {
  std::string command;
  int status = -1;
  std::string out, err;
  // What a failing test prints: enough to repeat the run by hand.
  std::string Describe() const {
    return "\n  command: " + command + "\n  status: " + std::to_string(status) + "\n  stdout:\n" +
           out + "\n  stderr:\n" + err;
  }
};

inline std::string ShellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Runs brimsel-cli with `args` inside `dir`; `env` (such as "NAME=value") comes before it.
inline CliRun RunCli(const TempDir& dir, const std::vector<std::string>& args,
                     const std::string& env = "") {
  CliRun r;
  r.command = "cd " + ShellQuote(dir.Path()) + " && " + env + " " + ShellQuote(BRIMSEL_CLI);
  for (const std::string& a : args) r.command += " " + ShellQuote(a);
  const int raw = std::system((r.command + " >.stdout 2>.stderr").c_str());
  r.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = ReadBytes(dir / ".stdout");
  r.err = ReadBytes(dir / ".stderr");
  std::filesystem::remove(dir / ".stdout");
  std::filesystem::remove(dir / ".stderr");
  return r;
}

}  // namespace brimsel::test
