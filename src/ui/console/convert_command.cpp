// brimsel-cli convert: reads a GEDCOM file and reports what the panel would show.
#include <cstring>

#include "engine/conversion.h"
#include "ui/console/commands.h"
#include "ui/console/console_services.h"

namespace brimsel::cli {

const char kConvertUsage[] =
    "Usage: brimsel-cli convert [OPTIONS] FILE\n"
    "\n"
    "Reads the GEDCOM file FILE, checks its cross-references and prints the message list,\n"
    "then the count fields (identifier, label, value).\n"
    "\n"
    "Options:\n"
    "  --notes            read the notes (\"inclure\")\n"
    "  --oem              names and places are in code page 850 (\"OEM => ANSI\")\n"
    "  --no-proper-names  keep names as written (\"Nom Propre\" not ticked)\n"
    "  --check            read and check only\n"
    "  -h, --help         show this help\n";

namespace {

struct ConvertOptions {
  bool notes = false;
  bool oem = false;
  bool properNames = true;
  bool check = false;
  std::string file;
};

bool ParseArgs(const std::vector<std::string>& args, ConvertOptions& o, Outcome& bad) {
  for (const std::string& a : args) {
    if (a == "--notes") {
      o.notes = true;
    } else if (a == "--oem") {
      o.oem = true;
    } else if (a == "--no-proper-names") {
      o.properNames = false;
    } else if (a == "--check") {
      o.check = true;
    } else if (a.size() > 1 && a[0] == '-') {
      bad = {kExitUsage, "convert: unknown option '" + a + "'", true};
      return false;
    } else if (o.file.empty()) {
      o.file = a;
    } else {
      bad = {kExitUsage, "convert: only one FILE may be given", true};
      return false;
    }
  }
  if (o.file.empty()) {
    bad = {kExitUsage, "convert: no FILE given", true};
    return false;
  }
  return true;
}

std::string FailureText(const ResultatConversion& r, const std::string& file) {
  switch (r.fin) {
    case FinConversion::kIllisible:
      return "cannot read '" + file + "': " + r.detail;
    case FinConversion::kAucunIndividu:
      return "Aucun individu trouvé!";
    case FinConversion::kMemoire:
      return "'" + file + "': out of memory";
    case FinConversion::kErreurLecture:
      return "'" + file + "': read error";
    case FinConversion::kFichierModifie:
      return "'" + file + "': the file changed while it was being read";
    default:
      return "'" + file + "': conversion not completed";
  }
}

}  // namespace

Outcome RunConvert(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  for (const std::string& a : args) {
    if (a == "-h" || a == "--help") {
      std::fputs(kConvertUsage, out);
      return {};
    }
  }
  ConvertOptions o;
  Outcome bad;
  if (!ParseArgs(args, o, bad)) return bad;
  if (!o.check) return {kExitUsage, "convert: only --check is available in this version", true};

  ConsoleServices services(o.file, out, err);
  services.SetChecked(ctl::kNoteInclure, o.notes);
  services.SetChecked(ctl::kOemAnsi, o.oem);
  services.SetChecked(ctl::kNomPropre, o.properNames);
  if (!services.ChooseOpenFile("FIchier source")) {
    return {kExitFailed, "'" + o.file + "': path longer than " +
                             std::to_string(kFileNameCapacity - 1) + " bytes"};
  }
  GedcomFichier modele;
  ResultatConversion r = ConvertitFichier(modele, services);
  services.EndProgress();
  if (!r.Terminee()) return {kExitFailed, FailureText(r, o.file)};
  services.PrintCounts();
  return {};
}

}  // namespace brimsel::cli
