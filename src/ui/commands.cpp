// The panel's commands, between the dialog services and the operations.
#include "ui/commands.h"

#include <charconv>
#include <string>

#include "platform/byte_source.h"
#include "platform/icu_charset.h"
#include "tools/proper_name.h"
#include "tools/strip.h"
#include "ui/count_fields.h"

namespace brimsel {

constexpr char kOpenErrorCaption[] = "Erreur ouverture";
constexpr char kWriteErrorCaption[] = "Erreur \xE9\x63riture";

void DialogProgress::Phase(std::string_view name) {
  if (name.empty()) {
    dialog_.SetStatus(false, nullptr);
  } else {
    dialog_.SetStatus(true, std::string(name).c_str());
  }
}

void DialogProgress::LineCount(int lines) {
  if (lines == kNoLineCount) {
    dialog_.SetFieldText(ctl::kLineCounter, "");
    return;
  }
  char text[16];  // called every 100 lines, so without the printf machinery
  *std::to_chars(text, text + sizeof text - 1, lines).ptr = '\0';
  dialog_.SetFieldText(ctl::kLineCounter, text);
  dialog_.Repaint();
}

void DialogProgress::Message(std::string_view line) {
  dialog_.AddMessage(std::string(line).c_str());
}

ConversionOptions ReadConversionOptions(DialogServices& dialog) {
  ConversionOptions options;
  options.properNames = dialog.IsChecked(ctl::kProperNames);
  if (dialog.IsChecked(ctl::kOem)) {
    options.charset = Charset::kCp850;
  } else if (const std::string name = dialog.ChosenCharset(); !name.empty()) {
    const CharsetNameResult named = LookUpCharset(name);
    if (named.status == CharsetNameStatus::kFound) options.charset = named.charset;
  }
  options.notes = dialog.IsChecked(ctl::kIncludeNotes);
  return options;
}

ConversionResult ConvertChosenSource(GedcomModel& model, DialogServices& dialog,
                                     ByteSource& source, const char* path) {
  return ConvertChosenSource(model, dialog, source, path, ReadConversionOptions(dialog));
}

ConversionResult ConvertChosenSource(GedcomModel& model, DialogServices& dialog,
                                     ByteSource& source, const char* path,
                                     const ConversionOptions& options) {
  dialog.ResetDisplay();
  DialogProgress progress(dialog);
  ConversionResult result = ConvertSource(model, source, path, options, progress);
  if (result.recordsFilled) ShowTotals(dialog, result.counts);
  if (result.ReadFailed()) dialog.ShowMessageBox(path, "Erreur lecture", MessageIcon::kError);
  if (result.Completed()) {
    dialog.SetFieldText(ctl::kFileLabel, path);
    ShowCounts(dialog, result.counts);
  }
  return result;
}

ConversionResult ConvertChosenFile(GedcomModel& model, DialogServices& dialog) {
  return ConvertChosenFile(model, dialog, ReadConversionOptions(dialog));
}

ConversionResult ConvertChosenFile(GedcomModel& model, DialogServices& dialog,
                                   const ConversionOptions& options) {
  const std::string path = dialog.CurrentFileName();
  std::string reason;
  auto source = FileSource::Open(path.c_str(), &reason);
  if (!source) {
    ConversionResult unreadable;
    unreadable.outcome = ConversionOutcome::kUnreadable;
    unreadable.detail = reason;
    return unreadable;
  }
  return ConvertChosenSource(model, dialog, *source, path.c_str(), options);
}

int ReadGedcomCommand(GedcomModel& model, DialogServices& dialog) {
  if (!dialog.ChooseOpenFile("FIchier source")) return 0;
  return ConvertChosenFile(model, dialog).Completed() ? 1 : 0;
}

namespace {

// A numbering base from its field; none when the text is not a valid number.
std::optional<int> ReadBase(DialogServices& dialog, int id) {
  unsigned value = 0;
  if (!dialog.ReadNumber(id, &value)) return std::nullopt;
  return static_cast<int>(value);
}

// Shows the box of a failed export: the table or database that failed.
void ReportExportFailure(const ExportResult& result, DialogServices& dialog) {
  switch (result.outcome) {
    case ExportOutcome::kWritten:
      return;
    case ExportOutcome::kNoTableName:
      dialog.ShowMessageBox("fichierNom", kOpenErrorCaption, MessageIcon::kError);
      return;
    case ExportOutcome::kOpenFailed:
      if (!result.databaseFailed) {
        dialog.ShowMessageBox(result.file.c_str(), kOpenErrorCaption, MessageIcon::kError);
        return;
      }
      [[fallthrough]];
    case ExportOutcome::kWriteFailed:
      dialog.ShowMessageBox(result.file.c_str(), kWriteErrorCaption, MessageIcon::kError);
      dialog.SetStatus(false, "");
      return;
  }
}

}  // namespace

int ExportTablesCommand(const GedcomModel& model, DialogServices& dialog, NumberingBases& bases,
                        const std::string& outputDir, int threads) {
  return ExportCommand(model, dialog, bases, outputDir, {true, dialog.IsChecked(ctl::kSqlite)},
                       threads);
}

int ExportCommand(const GedcomModel& model, DialogServices& dialog, NumberingBases& bases,
                  const std::string& outputDir, ExportChoice choice, int threads,
                  std::string* cause) {
  ExportOptions options;
  options.outputDir = outputDir;
  options.threads = threads;
  options.tables = choice.tables;
  options.database = choice.database;
  options.refCounts = dialog.IsChecked(ctl::kRefCounts);
  options.version = BRIMSEL_VERSION;
  if (const std::optional<int> base = ReadBase(dialog, ctl::kIndiBase)) bases.individuals = *base;
  if (const std::optional<int> base = ReadBase(dialog, ctl::kFamBase)) bases.unions = *base;
  options.bases = bases;
  DialogProgress progress(dialog);
  const ExportResult result = Export(model, options, progress);
  if (result.Written()) return 1;
  ReportExportFailure(result, dialog);
  if (cause != nullptr && result.databaseFailed) *cause = result.cause;
  return 0;
}

void ReportOutputFailure(const ToolResult& result, DialogServices& dialog) {
  switch (result.status) {
    case ToolStatus::kOutputNameTooLong:
    case ToolStatus::kOutputNotCreated:
      dialog.ShowMessageBox(result.output.c_str(), kOpenErrorCaption, MessageIcon::kError);
      break;
    case ToolStatus::kWriteFailed:
      dialog.ShowMessageBox(result.output.c_str(), kWriteErrorCaption, MessageIcon::kError);
      break;
    default:
      break;
  }
}

void ProperNameCommand(DialogServices& dialog) {
  if (!dialog.ChooseOpenFile("FIchier Nom Propre")) return;
  const std::string input = dialog.CurrentFileName();
  ReportOutputFailure(ProperNameCopy(input.c_str()), dialog);
}

long StripCommand(DialogServices& dialog) {
  if (!dialog.ChooseOpenFile("Strip TXT")) return -1;
  const std::string input = dialog.CurrentFileName();
  ToolResult result = StripFile(input.c_str());
  if (!result.Done()) {
    ReportOutputFailure(result, dialog);
    return -1;
  }
  return static_cast<long>(result.length);
}

}  // namespace brimsel
