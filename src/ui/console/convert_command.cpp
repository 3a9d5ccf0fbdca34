// brimsel-cli convert: reads a GEDCOM file, reports what the panel would show and writes the
// seven tables, the database, or both.
#include <cstring>
#include <optional>

#include "engine/conversion.h"
#include "export/export.h"
#include "platform/icu_charset.h"
#include "ui/commands.h"
#include "ui/console/commands.h"
#include "ui/console/console_services.h"

namespace brimsel::cli {

const char kConvertUsage[] =
    "Usage: brimsel-cli convert [OPTIONS] FILE\n"
    "\n"
    "Reads the GEDCOM file FILE, checks its cross-references and writes the seven tables\n"
    "FILE_NAME.txt, _SURNAME.txt, _PLAC.txt, _INDI.txt, _FAM.txt, _INDInote.txt and\n"
    "_FAMnote.txt (FILE without its extension, then the suffix) beside FILE. Prints the\n"
    "message list with the size report, then the count fields (identifier, label, value).\n"
    "\n"
    "Options:\n"
    "  --notes              read the notes (\"inclure\")\n"
    "  --oem                the file is in code page 850 (\"OEM => ANSI\"), as --encoding cp850\n"
    "  --encoding NAME      read the file in the character set NAME instead of detecting it:\n"
    "                       utf-8, utf-16le, utf-16be, ansel, windows-1252, cp437, cp850,\n"
    "                       macintosh, a CHAR value such as ANSI, IBMPC, MSDOS, or any set\n"
    "                       of ICU's converters by its name or an alias (windows-1250,\n"
    "                       ibm-852, iso-8859-2, koi8-r...; case ignored) in which the ASCII\n"
    "                       bytes mean ASCII; brimsel-cli --list-encodings lists them\n"
    "  --output-encoding utf-8|windows-1252\n"
    "                       the tables' encoding (default: Windows-1252 for the built-in\n"
    "                       single-byte sets, UTF-8 for the others)\n"
    "  --no-proper-names    keep names as written (\"Nom Propre\" not ticked)\n"
    "  --nbref              add the reference counts to the code lists (\"nb ref\")\n"
    "  --indi-base TEXT     number of the first individual (\"INDI+\", default 1)\n"
    "  --fam-base TEXT      number of the first union (\"FAM +\", default 1)\n"
    "  --format tsv|sqlite|tsv,sqlite\n"
    "                       what to write: the seven tables (tsv, the default), the database\n"
    "                       FILE.sqlite (sqlite), or both\n"
    "  -o, --output-dir DIR write the tables into DIR instead of beside FILE\n"
    "  --check              read and check only, write no table\n"
    "  --threads N          read with N threads (1: one thread; default: the machine's\n"
    "                       cores, as many as the file's size makes worth it); the\n"
    "                       output is the same for any N\n"
    "  -h, --help           show this help\n"
    "\n"
    "Without --encoding the character set is, in this order: the byte-order mark (UTF-8,\n"
    "UTF-16), UTF-8 for a GEDCOM 7 header, UTF-8 when every byte from 0x80 up belongs to a\n"
    "valid UTF-8 sequence, the HEAD record's CHAR value, and Windows-1252 otherwise. The\n"
    "message list then starts with \"Jeu de caractères NAME\" when the set is not\n"
    "Windows-1252.\n"
    "\n"
    "A base that is not a plain decimal number (digits only, at most 2147483647) is ignored\n"
    "and the base stays 1. Exit status 1 when FILE cannot be converted or a table or the\n"
    "database cannot be written. The database is built under a temporary name beside\n"
    "FILE.sqlite and takes its place only when complete.\n";

namespace {

struct ConvertOptions {
  bool notes = false;
  bool oem = false;
  bool properNames = true;
  bool check = false;
  bool refCount = false;
  std::string indiBase = "1";
  std::string famBase = "1";
  std::string outputDir;
  std::string file;
  std::optional<FileCharset> charset;
  std::optional<TableEncoding> tableEncoding;
  ExportChoice formats;
  int threads = 0;
};

// A thread count: a plain decimal number from 1 up; 0 for anything else.
int ParseThreads(const std::string& text) {
  if (text.empty() || text.size() > 6) return 0;
  int n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n;
}

// The outputs that --format names: "tsv", "sqlite", or both separated by a comma.
std::optional<ExportChoice> ParseFormats(const std::string& text) {
  ExportChoice choice{false, false};
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string word =
        text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (word == "tsv") {
      choice.tables = true;
    } else if (word == "sqlite") {
      choice.database = true;
    } else {
      return std::nullopt;
    }
    if (comma == std::string::npos) return choice;
    start = comma + 1;
  }
}

bool ParseArgs(const std::vector<std::string>& args, ConvertOptions& o, Outcome& bad) {
  std::string encoding;
  std::string outputEncoding;
  std::string formats = "tsv";
  std::string threads;
  bool encodingGiven = false;
  bool outputEncodingGiven = false;
  bool threadsGiven = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string* value = nullptr;
    if (a == "--indi-base") {
      value = &o.indiBase;
    } else if (a == "--fam-base") {
      value = &o.famBase;
    } else if (a == "-o" || a == "--output-dir") {
      value = &o.outputDir;
    } else if (a == "--encoding") {
      value = &encoding;
      encodingGiven = true;
    } else if (a == "--format") {
      value = &formats;
    } else if (a == "--output-encoding") {
      value = &outputEncoding;
      outputEncodingGiven = true;
    } else if (a == "--threads") {
      value = &threads;
      threadsGiven = true;
    }
    if (value != nullptr) {
      if (i + 1 == args.size()) {
        bad = {kExitUsage, "convert: option '" + a + "' needs a value", true};
        return false;
      }
      *value = args[++i];
      if (value == &o.outputDir && value->empty()) {
        bad = {kExitUsage, "convert: option '" + a + "' needs a directory", true};
        return false;
      }
    } else if (a == "--notes") {
      o.notes = true;
    } else if (a == "--oem") {
      o.oem = true;
    } else if (a == "--no-proper-names") {
      o.properNames = false;
    } else if (a == "--nbref") {
      o.refCount = true;
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
  if (encodingGiven) {
    const CharsetNameResult named = LookUpCharset(encoding);
    if (named.status == CharsetNameStatus::kUnknown) {
      bad = {kExitUsage, "convert: unknown character set '" + encoding +
                             "' (brimsel-cli --list-encodings lists the names)"};
      return false;
    }
    if (named.status == CharsetNameStatus::kRefused) {
      bad = {kExitUsage, "convert: the character set '" + encoding +
                             "' cannot be used, as the GEDCOM lines are read on the file's "
                             "bytes: " +
                             named.reason};
      return false;
    }
    o.charset = named.charset;
    if (o.oem && o.charset != Charset::kCp850) {
      bad = {kExitUsage, "convert: --oem means code page 850 and cannot go with --encoding " +
                             encoding, true};
      return false;
    }
  }
  if (o.oem) o.charset = Charset::kCp850;
  if (const std::optional<ExportChoice> choice = ParseFormats(formats)) {
    o.formats = *choice;
  } else {
    bad = {kExitUsage, "convert: --format takes tsv, sqlite or tsv,sqlite, not '" + formats + "'",
           true};
    return false;
  }
  if (threadsGiven) {
    o.threads = ParseThreads(threads);
    if (o.threads == 0) {
      bad = {kExitUsage, "convert: --threads takes a number from 1 up, not '" + threads + "'", true};
      return false;
    }
  }
  if (outputEncodingGiven) {
    o.tableEncoding = TableEncodingFromOption(outputEncoding);
    if (!o.tableEncoding) {
      bad = {kExitUsage, "convert: --output-encoding takes utf-8 or windows-1252, not '" +
                             outputEncoding + "'", true};
      return false;
    }
  }
  return true;
}

std::string FailureText(const ConversionResult& r, const std::string& file) {
  switch (r.outcome) {
    case ConversionOutcome::kUnreadable:
      return "cannot read '" + file + "': " + r.detail;
    case ConversionOutcome::kNoIndividual:
      return "Aucun individu trouvé!";
    case ConversionOutcome::kOutOfMemory:
      return "'" + file + "': out of memory";
    case ConversionOutcome::kReadError:
      return "'" + file + "': read error";
    case ConversionOutcome::kFileChanged:
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

  ConsoleServices services(o.file, out, err);
  services.SetChecked(ctl::kIncludeNotes, o.notes);
  services.SetChecked(ctl::kOem, o.oem);
  services.SetChecked(ctl::kProperNames, o.properNames);
  services.SetChecked(ctl::kRefCounts, o.refCount);
  services.SetFieldForInput(ctl::kIndiBase, o.indiBase);
  services.SetFieldForInput(ctl::kFamBase, o.famBase);
  if (!services.ChooseOpenFile("FIchier source")) {
    return {kExitFailed, "'" + o.file + "': path longer than " +
                             std::to_string(kFileNameCapacity - 1) + " bytes"};
  }
  GedcomModel model;
  ConversionOptions options = ReadConversionOptions(services);
  options.charset = o.charset;
  options.tableEncoding = o.tableEncoding;
  options.threads = o.threads;
  ConversionResult r = ConvertChosenFile(model, services, options);
  services.EndProgress();
  if (!r.Completed()) return {kExitFailed, FailureText(r, o.file)};
  std::string cause;
  NumberingBases bases;
  if (!o.check &&
      ExportCommand(model, services, bases, o.outputDir, o.formats, o.threads, &cause) != 1) {
    services.EndProgress();
    if (!TableBaseName(services.CurrentFileName(), o.outputDir)) {
      return {kExitFailed,
              "cannot name the tables after '" + o.file + "': a table path would be longer than " +
                  std::to_string(kFileNameCapacity - 1) + " bytes (" + services.LastError() + ")"};
    }
    if (!cause.empty()) {
      return {kExitFailed, "database not written: " + services.LastError() + " (" + cause + ")"};
    }
    return {kExitFailed, "tables not written: " + services.LastError()};
  }
  services.EndProgress();
  services.PrintCounts();
  return {};
}

}  // namespace brimsel::cli
