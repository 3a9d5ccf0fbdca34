// brimsel-cli convert: reads a GEDCOM file, reports what the panel would show and writes the
// seven tables, the database, or both, from options built from its arguments.
#include <optional>
#include <string>

#include "engine/conversion.h"
#include "export/export.h"
#include "platform/icu_charset.h"
#include "ui/commands.h"
#include "ui/console/commands.h"
#include "ui/console/console_progress.h"
#include "ui/console/stop_signal.h"
#include "ui/count_fields.h"
#include "ui/dialog_services.h"

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
    "  --database complete|classic\n"
    "                       what the database holds: beside the seven tables, the complete\n"
    "                       tables of every record of the file (complete, the default), or\n"
    "                       the seven tables alone (classic)\n"
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

// What the command line asks for.
struct ConvertRequest {
  std::string file;
  ConversionOptions conversion;
  ExportOptions output;
  bool check = false;  // read and check only
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

// The outputs that --format names, "tsv", "sqlite" or both separated by a comma, into
// `output`. False when the text names anything else.
bool ParseFormats(const std::string& text, ExportOptions& output) {
  output.tables = false;
  output.database = false;
  std::size_t start = 0;
  for (;;) {
    const std::size_t comma = text.find(',', start);
    const std::string word =
        text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (word == "tsv") {
      output.tables = true;
    } else if (word == "sqlite") {
      output.database = true;
    } else {
      return false;
    }
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

// A numbering base as the panel's number fields read it; a text that is not a plain number
// leaves `base` as it is.
void ParseBase(const std::string& text, int& base) {
  unsigned value = 0;
  if (ParseFieldNumber(text.c_str(), &value)) base = static_cast<int>(value);
}

bool ParseArgs(const std::vector<std::string>& args, ConvertRequest& o, Outcome& bad) {
  std::string indiBase;
  std::string famBase;
  std::string encoding;
  std::string outputEncoding;
  std::string formats = "tsv";
  std::string content = "complete";
  std::string threads;
  bool encodingGiven = false;
  bool outputEncodingGiven = false;
  bool threadsGiven = false;
  bool oem = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string* value = nullptr;
    if (a == "--indi-base") {
      value = &indiBase;
    } else if (a == "--fam-base") {
      value = &famBase;
    } else if (a == "-o" || a == "--output-dir") {
      value = &o.output.outputDir;
    } else if (a == "--encoding") {
      value = &encoding;
      encodingGiven = true;
    } else if (a == "--format") {
      value = &formats;
    } else if (a == "--database") {
      value = &content;
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
      if (value == &o.output.outputDir && value->empty()) {
        bad = {kExitUsage, "convert: option '" + a + "' needs a directory", true};
        return false;
      }
    } else if (a == "--notes") {
      o.conversion.notes = true;
    } else if (a == "--oem") {
      oem = true;
    } else if (a == "--no-proper-names") {
      o.conversion.properNames = false;
    } else if (a == "--nbref") {
      o.output.refCounts = true;
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
    o.conversion.charset = named.charset;
    if (oem && o.conversion.charset != Charset::kCp850) {
      bad = {kExitUsage, "convert: --oem means code page 850 and cannot go with --encoding " +
                             encoding, true};
      return false;
    }
  }
  if (oem) o.conversion.charset = Charset::kCp850;
  if (content == "complete" || content == "classic") {
    o.output.content =
        content == "complete" ? DatabaseContent::kComplete : DatabaseContent::kClassic;
  } else {
    bad = {kExitUsage, "convert: --database takes complete or classic, not '" + content + "'",
           true};
    return false;
  }
  if (!ParseFormats(formats, o.output)) {
    bad = {kExitUsage, "convert: --format takes tsv, sqlite or tsv,sqlite, not '" + formats + "'",
           true};
    return false;
  }
  if (threadsGiven) {
    o.conversion.threads = ParseThreads(threads);
    if (o.conversion.threads == 0) {
      bad = {kExitUsage, "convert: --threads takes a number from 1 up, not '" + threads + "'", true};
      return false;
    }
    o.output.threads = o.conversion.threads;
  }
  if (outputEncodingGiven) {
    o.conversion.tableEncoding = TableEncodingFromOption(outputEncoding);
    if (!o.conversion.tableEncoding) {
      bad = {kExitUsage, "convert: --output-encoding takes utf-8 or windows-1252, not '" +
                             outputEncoding + "'", true};
      return false;
    }
  }
  ParseBase(indiBase, o.output.bases.individuals);
  ParseBase(famBase, o.output.bases.unions);
  o.output.version = BRIMSEL_VERSION;
  return true;
}

// The error line of a conversion that did not complete.
std::string ConversionFailure(const ConversionResult& r, const std::string& file) {
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

// The error line of an export that failed: the panel's box, then the cause.
std::string ExportFailure(const ExportResult& r, const std::string& file) {
  if (r.outcome == ExportOutcome::kNoTableName) {
    return "cannot name the tables after '" + file + "': a table path would be longer than " +
           std::to_string(kTableNameCapacity - 1) + " bytes";
  }
  std::string line = r.databaseFailed ? "database not written: " : "tables not written: ";
  if (const std::optional<FailureBox> box = ExportFailureBox(r)) line += FailureLine(*box);
  if (!r.cause.empty()) line += " (" + r.cause + ")";
  return line;
}

// The count fields as the panel shows them, after an empty line: identifier, label, text.
void PrintCounts(const ConversionCounts& counts, std::FILE* out) {
  std::fprintf(out, "\n");
  for (const CountField& field : kCountFields) {
    std::fprintf(out, "%d\t%s\t%s\n", field.id, field.label,
                 CountFieldText(field, counts).c_str());
  }
  std::fflush(out);
}

}  // namespace

Outcome RunConvert(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  for (const std::string& a : args) {
    if (a == "-h" || a == "--help") {
      std::fputs(kConvertUsage, out);
      return {};
    }
  }
  ConvertRequest request;
  Outcome bad;
  if (!ParseArgs(args, request, bad)) return bad;
  // The panel's file name holds kFileNameCapacity - 1 bytes: the console takes the same files.
  if (request.file.size() >= kFileNameCapacity) {
    return {kExitFailed, "'" + request.file + "': path longer than " +
                             std::to_string(kFileNameCapacity - 1) + " bytes"};
  }

  ConsoleProgress progress(out, err);
  GedcomModel model;
  const ConversionResult converted =
      ConvertFile(model, request.file.c_str(), request.conversion, progress);
  progress.EndProgress();
  if (const int signal = StopSignal(); signal != 0) return {StoppedStatus(signal), StoppedLine(signal)};
  // A file without any individual still gives the database of its records, the seven tables
  // empty; without a database it is a failure, as before.
  const bool noIndividual = converted.outcome == ConversionOutcome::kNoIndividual &&
                            request.output.database && !request.check;
  if (noIndividual) model.sourcePath = request.file;
  if (!converted.Completed() && !noIndividual) {
    return {kExitFailed, ConversionFailure(converted, request.file)};
  }
  if (!request.check) {
    const ExportResult exported = Export(model, request.output, progress);
    progress.EndProgress();
    if (const int signal = StopSignal(); signal != 0) {
      return {StoppedStatus(signal), StoppedLine(signal)};
    }
    if (!exported.Written()) return {kExitFailed, ExportFailure(exported, request.file)};
  }
  PrintCounts(converted.counts, out);
  return {};
}

}  // namespace brimsel::cli
