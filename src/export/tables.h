// The table export: the seven tab-separated tables of a converted model.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "engine/model.h"
#include "engine/progress.h"
#include "export/table_file.h"

namespace brimsel {

// The seven tables, in the order they are written.
enum class Table { kName, kSurname, kPlac, kIndi, kFam, kIndiNote, kFamNote };
inline constexpr int kTableCount = 7;
// File-name suffix of each table, indexed by Table.
extern const char* const kTableSuffixes[kTableCount];

// Capacity of a table's full name, terminator included.
inline constexpr std::size_t kTableNameCapacity = 512;

struct ExportOptions {
  std::string outputDir;      // empty: beside the source file; otherwise into this directory
  bool refCounts = false;     // the code lists get the reference-count column ("nb ref")
  std::optional<int> indiBase;  // number of the first individual; none: the model's stays
  std::optional<int> famBase;   // number of the first union; none: the model's stays
  // Threads that format the rows (ConversionOptions::threads); the tables are the same for any.
  int threads = 0;
};

enum class ExportOutcome {
  kWritten,
  kNoTableName,  // no source, or a table's name would not fit kTableNameCapacity bytes
  kOpenFailed,   // a table could not be created (`file` names it)
  kWriteFailed,  // writing or closing a table failed (`file` names the first in table order)
};

struct ExportResult {
  ExportOutcome outcome = ExportOutcome::kWritten;
  std::string file;              // the table that failed
  std::int64_t bytesWritten = 0;  // bytes of the tables written
  bool Written() const { return outcome == ExportOutcome::kWritten; }
};

// The base that the seven suffixes are appended to: `source` without the extension of its
// file-name part (the last '.' after the last '/' or '\'; a file name without a '.' keeps the
// whole path). With a `directory`, the base is that directory followed by the file-name part.
// None when `source` is empty or a table name would not fit kTableNameCapacity bytes.
std::optional<std::string> TableBaseName(std::string_view source, std::string_view directory = {});

// Writes the seven tables of the model converted last, normalising its dates in place, and
// reports the sizes as a message line ("N Kb => N Kb (N%)").
ExportResult ExportTables(GedcomModel& model, const ExportOptions& options,
                          ProgressSink& progress);

// Writes every row of the individual, union and note tables (whose headers are already
// written) with the model's numbering bases, normalising the dates in place, the rows formatted
// by `threads` threads. Stops early and returns false as soon as one of the files has failed.
bool WriteTableRows(GedcomModel& model, TableFile& indi, TableFile& fam, TableFile& indiNotes,
                    TableFile& famNotes, int threads = 1);

}  // namespace brimsel
