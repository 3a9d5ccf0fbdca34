// brimsel-cli strip: a quoted comma-separated file to tab-separated text.
#include "tools/strip.h"
#include "ui/console/commands.h"

namespace brimsel::cli {

const char kStripUsage[] =
    "Usage: brimsel-cli strip [-o PATH] FILE\n"
    "\n"
    "Turns FILE, comma-separated with its fields in double quotes, into tab-separated text:\n"
    "each \",\" between two fields becomes a tab and every other double quote is dropped.\n"
    "Everything else, line ends included, is copied byte for byte. The result goes to FILE.txt.\n"
    "With BRIMSEL_DEBUG set, the line \"longueur N\" gives the output's size.\n"
    "\n"
    "Options:\n"
    "  -o, --output PATH  write the result to PATH instead of FILE.txt\n"
    "  -h, --help         show this help\n"
    "\n"
    "Example:\n"
    "  brimsel-cli strip export.csv      writes export.csv.txt\n";

Outcome RunStrip(const std::vector<std::string>& args, std::FILE* out, std::FILE*) {
  return RunTextTool("strip", kStripUsage, StripFile, args, out);
}

}  // namespace brimsel::cli
