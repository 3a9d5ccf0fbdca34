// brimsel-cli: the console front-end. Dispatches to a subcommand, turns its outcome into an
// error line and an exit status.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/icu_charset.h"
#include "ui/console/commands.h"
#include "ui/console/stop_signal.h"

namespace brimsel::cli {

const char kMainUsage[] =
    "Usage: brimsel-cli COMMAND [OPTIONS] FILE\n"
    "\n"
    "Turns a GEDCOM genealogy file into tab-separated tables.\n"
    "\n"
    "Commands:\n"
    "  convert   read a GEDCOM file, report what it holds and write the seven tables\n"
    "  strip     turn a quoted comma-separated file into tab-separated text\n"
    "  capital   rewrite the NAME lines of a GEDCOM file as proper names\n"
    "\n"
    "  brimsel-cli COMMAND --help   options of one command\n"
    "  brimsel-cli --help | --version\n"
    "  brimsel-cli --list-encodings  the character sets that convert --encoding accepts, one\n"
    "                                name a line (their aliases are accepted too)\n";

}  // namespace brimsel::cli

int main(int argc, char** argv) {
  using namespace brimsel::cli;
  std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) {
    std::fputs(kMainUsage, stderr);
    return kExitUsage;
  }
  const std::string command = args.front();
  args.erase(args.begin());
  if (command == "-h" || command == "--help") {
    std::fputs(kMainUsage, stdout);
    return kExitOk;
  }
  if (command == "--version") {
    std::puts("brimsel-cli (Brimsel " BRIMSEL_VERSION ")");
    return kExitOk;
  }
  if (command == "--list-encodings") {
    for (const std::string& name : brimsel::AcceptedCharsetNames()) std::puts(name.c_str());
    return kExitOk;
  }
  // From here on, SIGINT and SIGTERM stop the command cleanly rather than end the program.
  WatchStopSignals();
  Outcome outcome;
  const char* usage = kMainUsage;
  if (command == "convert") {
    usage = kConvertUsage;
    outcome = RunConvert(args, stdout, stderr);
  } else if (command == "strip") {
    usage = kStripUsage;
    outcome = RunStrip(args, stdout, stderr);
  } else if (command == "capital") {
    usage = kCapitalUsage;
    outcome = RunCapital(args, stdout, stderr);
  } else {
    outcome = {kExitUsage, "unknown command '" + command + "'", true};
  }
  std::fflush(stdout);
  if (!outcome.error.empty()) std::fprintf(stderr, "brimsel-cli: %s\n", outcome.error.c_str());
  if (outcome.showUsage) std::fputs(usage, stderr);
  return outcome.status;
}
