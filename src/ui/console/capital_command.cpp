// brimsel-cli capital: rewrites the NAME lines of a GEDCOM file as proper names.
#include "tools/proper_name.h"
#include "ui/console/commands.h"

namespace brimsel::cli {

const char kCapitalUsage[] =
    "Usage: brimsel-cli capital [-o PATH] FILE\n"
    "\n"
    "Copies the GEDCOM file FILE to FILE.txt with every line that begins with \"1 NAME \"\n"
    "rewritten as proper names: the given names and the surname each get a capital first\n"
    "letter and a capital after each hyphen, the rest in small letters. The file's character\n"
    "set is detected as convert detects it and the output stays in it; accented letters\n"
    "change case in Windows-1252, UTF-8 and UTF-16 files, only A to Z in the others.\n"
    "Text after the surname is dropped. Other lines are copied unchanged; every line end is\n"
    "written as CR LF.\n"
    "\n"
    "Options:\n"
    "  -o, --output PATH  write the result to PATH instead of FILE.txt\n"
    "  -h, --help         show this help\n"
    "\n"
    "Example:\n"
    "  brimsel-cli capital famille.ged   turns \"1 NAME JEAN-PIERRE /DUPONT/\" into\n"
    "                                    \"1 NAME Jean-Pierre /Dupont/\" in famille.ged.txt\n";

Outcome RunCapital(const std::vector<std::string>& args, std::FILE* out, std::FILE*) {
  return RunTextTool("capital", kCapitalUsage, ProperNameCopy, args, out);
}

}  // namespace brimsel::cli
