// The panel's commands, between the dialog services and the operations.
#include "ui/commands.h"

#include <charconv>
#include <string>

#include "platform/byte_source.h"
#include "platform/code_page.h"
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

void ShowConversionResult(DialogServices& dialog, const ConversionResult& result,
                          const char* path) {
  if (result.recordsFilled) ShowTotals(dialog, result.counts);
  if (result.ReadFailed()) dialog.ShowMessageBox(path, "Erreur lecture", MessageIcon::kError);
  if (result.Completed()) {
    dialog.SetFieldText(ctl::kFileLabel, path);
    ShowCounts(dialog, result.counts);
  }
}

ConversionResult ConvertChosenSource(GedcomModel& model, DialogServices& dialog,
                                     ByteSource& source, const char* path) {
  const ConversionOptions options = ReadConversionOptions(dialog);
  dialog.ResetDisplay();
  DialogProgress progress(dialog);
  ConversionResult result = ConvertSource(model, source, path, options, progress);
  ShowConversionResult(dialog, result, path);
  return result;
}

ConversionResult ConvertChosenFile(GedcomModel& model, DialogServices& dialog) {
  const std::string path = dialog.CurrentFileName();
  std::string reason;
  auto source = FileSource::Open(path.c_str(), &reason);
  if (!source) {
    ConversionResult unreadable;
    unreadable.outcome = ConversionOutcome::kUnreadable;
    unreadable.detail = reason;
    return unreadable;
  }
  return ConvertChosenSource(model, dialog, *source, path.c_str());
}

int ReadGedcomCommand(GedcomModel& model, DialogServices& dialog) {
  if (!dialog.ChooseOpenFile(kReadFileTitle)) return 0;
  return ConvertChosenFile(model, dialog).Completed() ? 1 : 0;
}

namespace {

// A numbering base from its field; none when the text is not a valid number.
std::optional<int> ReadBase(DialogServices& dialog, int id) {
  unsigned value = 0;
  if (!dialog.ReadNumber(id, &value)) return std::nullopt;
  return static_cast<int>(value);
}

}  // namespace

ExportOptions ReadExportOptions(DialogServices& dialog, const NumberingBases& last) {
  ExportOptions options;
  options.database = dialog.IsChecked(ctl::kSqlite);
  options.refCounts = dialog.IsChecked(ctl::kRefCounts);
  options.bases = last;
  if (const std::optional<int> base = ReadBase(dialog, ctl::kIndiBase)) {
    options.bases.individuals = *base;
  }
  if (const std::optional<int> base = ReadBase(dialog, ctl::kFamBase)) options.bases.unions = *base;
  options.version = BRIMSEL_VERSION;
  return options;
}

void ShowExportResult(DialogServices& dialog, const ExportResult& result) {
  const std::optional<FailureBox> box = ExportFailureBox(result);
  if (!box) return;
  // A write broke off a running phase: the status line goes back to idle under the box.
  if (result.outcome == ExportOutcome::kWriteFailed || result.databaseFailed) {
    dialog.SetStatus(false, "");
  }
  dialog.ShowMessageBox(box->text.c_str(), box->caption, MessageIcon::kError);
}

int ExportTablesCommand(const GedcomModel& model, DialogServices& dialog, NumberingBases& bases,
                        const std::string& outputDir, int threads) {
  ExportOptions options = ReadExportOptions(dialog, bases);
  options.outputDir = outputDir;
  options.threads = threads;
  bases = options.bases;
  DialogProgress progress(dialog);
  const ExportResult result = Export(model, options, progress);
  ShowExportResult(dialog, result);
  return result.Written() ? 1 : 0;
}

std::optional<FailureBox> OutputFailureBox(const ToolResult& result) {
  switch (result.status) {
    case ToolStatus::kOutputNameTooLong:
    case ToolStatus::kOutputNotCreated:
      return FailureBox{kOpenErrorCaption, result.output};
    case ToolStatus::kWriteFailed:
      return FailureBox{kWriteErrorCaption, result.output};
    default:
      return std::nullopt;
  }
}

std::optional<FailureBox> ExportFailureBox(const ExportResult& result) {
  switch (result.outcome) {
    case ExportOutcome::kWritten:
    case ExportOutcome::kStopped:  // the user knows: no box
      return std::nullopt;
    case ExportOutcome::kNoTableName:
      return FailureBox{kOpenErrorCaption, "fichierNom"};
    case ExportOutcome::kOpenFailed:
      // A database that cannot be made is reported as one that cannot be written.
      if (!result.databaseFailed) return FailureBox{kOpenErrorCaption, result.file};
      break;
    case ExportOutcome::kWriteFailed:
      break;
  }
  return FailureBox{kWriteErrorCaption, result.file};
}

std::string FailureLine(const FailureBox& box) {
  return Cp1252ToUtf8(box.caption) + ": " + box.text;
}

void ReportOutputFailure(const ToolResult& result, DialogServices& dialog) {
  if (const std::optional<FailureBox> box = OutputFailureBox(result)) {
    dialog.ShowMessageBox(box->text.c_str(), box->caption, MessageIcon::kError);
  }
}

void ProperNameCommand(DialogServices& dialog) {
  if (!dialog.ChooseOpenFile(kProperNameFileTitle)) return;
  const std::string input = dialog.CurrentFileName();
  ReportOutputFailure(ProperNameCopy(input.c_str()), dialog);
}

long StripCommand(DialogServices& dialog) {
  if (!dialog.ChooseOpenFile(kStripFileTitle)) return -1;
  const std::string input = dialog.CurrentFileName();
  ToolResult result = StripFile(input.c_str());
  if (!result.Done()) {
    ReportOutputFailure(result, dialog);
    return -1;
  }
  return static_cast<long>(result.length);
}

}  // namespace brimsel
