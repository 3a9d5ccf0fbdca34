// The panel's commands: what "Fichier...", "Convertir...", "Capital..." and "Strip" do, each in
// three steps: read the controls into the operation's options, run the operation, show its
// result. The desktop program runs the middle step on a worker thread and the other two on the
// window's; the synchronous compositions below run all three in a row.
#pragma once

#include <optional>
#include <string>

#include "engine/conversion.h"
#include "engine/progress.h"
#include "export/export.h"
#include "tools/tool_files.h"
#include "ui/dialog_services.h"

namespace brimsel {

// The titles of the file dialogs that the commands open.
inline constexpr char kReadFileTitle[] = "FIchier source";
inline constexpr char kProperNameFileTitle[] = "FIchier Nom Propre";
inline constexpr char kStripFileTitle[] = "Strip TXT";
// The last line of the message list when the user stopped the work (Windows-1252).
inline constexpr char kStoppedLine[] = "Annul\xE9";

// Shows an operation's progress on the panel as it happens: the status line, the line counter
// and the message list. For the synchronous compositions, which run on the window's thread.
class DialogProgress final : public ProgressSink {
 public:
  explicit DialogProgress(DialogServices& dialog) : dialog_(dialog) {}
  void Phase(std::string_view name) override;
  void LineCount(int lines) override;
  void Message(std::string_view line) override;

 private:
  DialogServices& dialog_;
};

// The sets that the list "Jeu de caractères" offers after kAutomaticCharset: the label shown
// and the name that ChosenCharset gives for it.
struct CharsetChoice {
  const char* label;
  const char* name;
};
inline constexpr const char* kAutomaticCharset = "Automatique";
inline constexpr CharsetChoice kCharsetChoices[] = {
    {"UTF-8", "utf-8"},
    {"UTF-16LE", "utf-16le"},
    {"UTF-16BE", "utf-16be"},
    {"ANSEL", "ansel"},
    {"Windows-1252", "windows-1252"},
    {"Windows-1250", "windows-1250"},
    {"Windows-1251", "windows-1251"},
    {"ISO-8859-1", "iso-8859-1"},
    {"ISO-8859-2", "iso-8859-2"},
    {"CP437", "cp437"},
    {"CP850", "cp850"},
    {"CP852", "ibm-852"},
    {"Mac Roman", "macintosh"},
};

// The conversion options that the check boxes and the list say: "OEM => ANSI" ticked reads
// code page 850 whatever the list says; a name that names no usable set leaves the detection.
ConversionOptions ReadConversionOptions(DialogServices& dialog);

// Shows how a reading of the file `path` ended, once its message lines are in the list: the
// totals once the records were filled, "Erreur lecture" for a failed read, and for a completed
// reading the file's name and the other counts.
void ShowConversionResult(DialogServices& dialog, const ConversionResult& result,
                          const char* path);

// "Fichier..." in one go: asks for a GEDCOM file, then converts it. Returns 1 when the
// conversion completed, 0 otherwise.
int ReadGedcomCommand(GedcomModel& model, DialogServices& dialog);
// Converts the file named in dialog.CurrentFileName() (the file choice already done) with the
// options the controls say, filling the count fields and the message list. A file that cannot
// be opened changes nothing.
ConversionResult ConvertChosenFile(GedcomModel& model, DialogServices& dialog);
// The same with the file's bytes from `source`, which stands for the file named `path`.
ConversionResult ConvertChosenSource(GedcomModel& model, DialogServices& dialog,
                                     ByteSource& source, const char* path);

// The export options that the controls say: "nb ref", "SQLite" (the database besides the
// tables), "INDI+" and "FAM +". A number field whose text is not a plain number keeps the base
// that `last`, the last export's bases, has. The output folder and the threads are the caller's.
ExportOptions ReadExportOptions(DialogServices& dialog, const NumberingBases& last);

// Shows how an export ended: for a failure the status line goes back to idle and a message box
// names the output (ExportFailureBox); nothing for a stop or a success.
void ShowExportResult(DialogServices& dialog, const ExportResult& result);

// "Convertir..." in one go: writes the seven tables beside the source file, or into
// `outputDir`, with the options of ReadExportOptions, and with "SQLite" ticked the database too.
// Returns 1 when every output was written, 0 otherwise (a message box then says which file
// failed). `bases` holds the numbering bases of the last export and receives this one's.
// `threads` as ExportOptions::threads.
int ExportTablesCommand(const GedcomModel& model, DialogServices& dialog, NumberingBases& bases,
                        const std::string& outputDir = {}, int threads = 0);

// "Capital..." in one go: asks for a GEDCOM file (kProperNameFileTitle) and writes it, with its
// name lines rewritten, to the same name plus ".txt".
void ProperNameCommand(DialogServices& dialog);
// "Strip" in one go: asks for a file (kStripFileTitle) and strips it to the same name plus
// ".txt". Returns the output length, or -1 when nothing was written.
long StripCommand(DialogServices& dialog);

// The message box that reports a failed output, in one place for the panel's box and the
// console's error line.
struct FailureBox {
  const char* caption;  // "Erreur ouverture" or "Erreur écriture", in Windows-1252
  std::string text;     // the output's full name, as the file system has it
};
// The box of a text utility's failure: "Erreur ouverture" when its output cannot be named or
// created, "Erreur écriture" when writing it failed. Other failures have no box.
std::optional<FailureBox> OutputFailureBox(const ToolResult& result);
// The box of a failed export: "Erreur ouverture" with "fichierNom" when the tables cannot be
// named, "Erreur ouverture" with a table that cannot be created, "Erreur écriture" with the
// table or database that could not be written. None when everything was written.
std::optional<FailureBox> ExportFailureBox(const ExportResult& result);
// The box as the console says it, UTF-8: "caption: text".
std::string FailureLine(const FailureBox& box);

// Shows the message box of a failed text utility (OutputFailureBox), with the error icon.
void ReportOutputFailure(const ToolResult& result, DialogServices& dialog);

}  // namespace brimsel
