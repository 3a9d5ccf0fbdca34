// The database export: the seven tables, two views and the conversion's record in FILE.sqlite.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "engine/model.h"
#include "engine/progress.h"
#include "export/tables.h"

namespace brimsel {

// File-name suffix of the database, appended to the tables' base name.
inline constexpr char kDatabaseSuffix[] = ".sqlite";

struct DatabaseOptions {
  // Where (beside the source or in outputDir) and with which numbering bases; refCounts says
  // whether the tables carry NBREF (the database always does).
  ExportOptions tables;
  // The tables have just been written with the same options: their rows are read back, so that
  // the dates are not normalised a second time. Otherwise the rows are made here, through the
  // tables' own row writers, and the model's dates are normalised in place.
  bool fromTables = false;
  std::string version;  // the program's version, recorded in the table "conversion"
};

enum class DatabaseOutcome {
  kWritten,
  kNoName,       // no source, or the name would not fit kTableNameCapacity bytes
  kWriteFailed,  // the database could not be made (`cause` says why); any earlier one is intact
};

struct DatabaseResult {
  DatabaseOutcome outcome = DatabaseOutcome::kWritten;
  std::string file;   // the database's name (also on failure)
  std::string cause;  // why it failed, in UTF-8
  std::int64_t bytesWritten = 0;
  bool Written() const { return outcome == DatabaseOutcome::kWritten; }
};

// Writes the database of the model converted last under a temporary name in the same folder
// and renames it over FILE.sqlite once complete. On any failure the temporary file is removed
// and an earlier FILE.sqlite is left as it was. Reports its size as a message line.
DatabaseResult ExportDatabase(GedcomModel& model, const DatabaseOptions& options,
                              ProgressSink& progress);

// Capacity of a sortable date: a year of up to ten digits, "-MM-DD", the terminator.
inline constexpr std::size_t kSortableDateCapacity = 20;
using SortableDateText = std::array<char, kSortableDateCapacity>;

// The ISO 8601 form of a normalised date ("12 mar 1841", in `encoding`) with its quality code,
// holding only the parts the code says were given: "1841", "1841-03" or "1841-03-12" (a year
// below 1000 with leading zeros). Writes it into `out` and returns its length; 0, writing
// nothing, for no date, an unreadable one, one without a year, or a text that is not a
// normalised date.
std::size_t SortableDate(std::string_view date, int quality, TableEncoding encoding,
                         SortableDateText& out);

}  // namespace brimsel
