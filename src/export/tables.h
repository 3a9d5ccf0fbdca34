// The table export: the seven tab-separated tables of a converted model.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/model.h"
#include "export/table_file.h"
#include "ui/dialog_services.h"

namespace brimsel {

// The seven tables, in the order they are written.
enum class Table { kName, kSurname, kPlac, kIndi, kFam, kIndiNote, kFamNote };
inline constexpr int kTableCount = 7;
// File-name suffix of each table, indexed by Table.
extern const char* const kTableSuffixes[kTableCount];

// Where the tables go.
struct ExportOptions {
  std::string outputDir;  // empty: beside the source file; otherwise into this directory
};

// The base that the seven suffixes are appended to: `source` without the extension of its
// file-name part (the last '.' after the last '/' or '\'; a file name without a '.' keeps the
// whole path). With a `dossier`, the base is that directory followed by the file-name part.
// None when `source` is empty or a table name would not fit kFileNameCapacity bytes.
std::optional<std::string> TableBaseName(std::string_view source, std::string_view dossier = {});

// The command "Convertir...": writes the seven tables beside the source file. Returns 1 when
// every table was written, 0 otherwise (a message box then says which file failed).
int ExportTables(GedcomModel& modele, DialogServices& dialogue);
// The same, with the tables written where `options` says.
int ExportTables(GedcomModel& modele, DialogServices& dialogue, const ExportOptions& options);

// Reads the numbering bases from fields 400 and 401 into the model, then writes every row of
// the individual, union and note tables (whose headers are already written), normalising the
// dates in place. Stops early and returns false as soon as one of the files has failed.
bool WriteTableRows(GedcomModel& modele, DialogServices& dialogue, TableFile& indi,
                    TableFile& fam, TableFile& individualNotes, TableFile& unionNotes);

}  // namespace brimsel
