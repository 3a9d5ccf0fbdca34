// brimsel-cli capital (to be written).
#include "ui/console/commands.h"

namespace brimsel::cli {

const char kCapitalUsage[] = "Usage: brimsel-cli capital [OPTIONS] FILE\n";

Outcome RunCapital(const std::vector<std::string>&, std::FILE*, std::FILE*) {
  return {kExitFailed, "capital: not available yet"};
}

}  // namespace brimsel::cli
