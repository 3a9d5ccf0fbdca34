// The panel's commands: what "Fichier...", "Convertir...", "Capital..." and "Strip" do. Each
// reads the check boxes and fields it needs, runs its operation and shows the outcome.
#pragma once

#include <string>

#include "engine/conversion.h"
#include "engine/progress.h"
#include "export/export.h"
#include "tools/tool_files.h"
#include "ui/dialog_services.h"

namespace brimsel {

// Shows an operation's progress on the panel: the status line, the line counter (repainting
// the panel, as the event loop does not run during a command) and the message list.
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

// "Fichier...": asks for a GEDCOM file, then converts it. Returns 1 when the conversion
// completed, 0 otherwise.
int ReadGedcomCommand(GedcomModel& model, DialogServices& dialog);
// Converts the file named in dialog.CurrentFileName() (the file choice already done), filling
// the count fields and the message list.
ConversionResult ConvertChosenFile(GedcomModel& model, DialogServices& dialog);
// The same with options the caller has completed (a character set chosen by name).
ConversionResult ConvertChosenFile(GedcomModel& model, DialogServices& dialog,
                                   const ConversionOptions& options);
// The same with the file's bytes from `source`, which stands for the file named `path`.
ConversionResult ConvertChosenSource(GedcomModel& model, DialogServices& dialog,
                                     ByteSource& source, const char* path);
ConversionResult ConvertChosenSource(GedcomModel& model, DialogServices& dialog,
                                     ByteSource& source, const char* path,
                                     const ConversionOptions& options);

// "Convertir...": writes the seven tables beside the source file, or into `outputDir`,
// reading "nb ref", "INDI+" and "FAM +", and with "SQLite" ticked the database too. Returns 1
// when every table was written, 0 otherwise (a message box then says which file failed).
// `bases` holds the numbering bases of the last export: a field that is not a plain number
// leaves its base as it was. `threads` as ExportOptions::threads.
int ExportTablesCommand(const GedcomModel& model, DialogServices& dialog, NumberingBases& bases,
                        const std::string& outputDir = {}, int threads = 0);

// What an export writes: the seven tables, the database FILE.sqlite, or both.
struct ExportChoice {
  bool tables = true;
  bool database = false;
};

// The export with the outputs chosen by the caller; the tables come first. When the database
// fails, its message box is that of a failed table ("Erreur \xE9criture" with its name) and
// `cause`, when given, receives the reason (UTF-8).
int ExportCommand(const GedcomModel& model, DialogServices& dialog, NumberingBases& bases,
                  const std::string& outputDir, ExportChoice choice, int threads = 0,
                  std::string* cause = nullptr);

// "Capital...": asks for a GEDCOM file (title "FIchier Nom Propre") and writes it, with its
// name lines rewritten, to the same name plus ".txt".
void ProperNameCommand(DialogServices& dialog);
// "Strip": asks for a file (title "Strip TXT") and strips it to the same name plus ".txt".
// Returns the output length, or -1 when nothing was written.
long StripCommand(DialogServices& dialog);

// Shows the message box of a failed output: its full name as the text, "Erreur ouverture" when
// it cannot be created, "Erreur écriture" when writing failed, the error icon. Other failures
// have no message of their own.
void ReportOutputFailure(const ToolResult& result, DialogServices& dialog);

}  // namespace brimsel
