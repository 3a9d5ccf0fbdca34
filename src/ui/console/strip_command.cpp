// brimsel-cli strip (to be written).
#include "ui/console/commands.h"

namespace brimsel::cli {

const char kStripUsage[] = "Usage: brimsel-cli strip [OPTIONS] FILE\n";

Outcome RunStrip(const std::vector<std::string>&, std::FILE*, std::FILE*) {
  return {kExitFailed, "strip: not available yet"};
}

}  // namespace brimsel::cli
