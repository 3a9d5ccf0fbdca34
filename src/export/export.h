// The export: the seven tab-separated tables of a converted model, its SQLite database, or both,
// from rows made once.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/model.h"
#include "engine/progress.h"
#include "export/classic_rows.h"
#include "export/classic_tables.h"
#include "platform/byte_sink.h"

namespace brimsel {

// Capacity of a table's full name, terminator included.
inline constexpr std::size_t kTableNameCapacity = 512;
// File-name suffix of the database, appended to the tables' base name.
inline constexpr char kDatabaseSuffix[] = ".sqlite";

// What the database holds: the seven tables alone, or beside them the complete tables of every
// record of the file.
enum class DatabaseContent { kClassic, kComplete };

struct ExportOptions {
  std::string outputDir;  // empty: beside the source file; otherwise into this directory
  bool tables = true;     // the seven tables FILE_NAME.txt ... FILE_FAMnote.txt
  bool database = false;  // the database FILE.sqlite
  DatabaseContent content = DatabaseContent::kComplete;
  bool refCounts = false;  // the code lists' files get the reference-count column ("nb ref")
  NumberingBases bases;    // numbers of the first individual and union ("INDI+", "FAM +")
  // Threads that make the rows (ConversionOptions::threads); the outputs are the same for any.
  int threads = 0;
  std::string version;  // the program's version, recorded in the database
  // Where the bytes of a table go, given its temporary file's name; null: that file. Tests make
  // a write fail through it.
  std::function<std::unique_ptr<ByteSink>(const std::string& path)> tableSink;
};

enum class ExportOutcome {
  kWritten,
  kNoTableName,   // no source, or a table's name would not fit kTableNameCapacity bytes
  kOpenFailed,    // an output could not be created (`file`, `cause`)
  kWriteFailed,   // writing an output failed (`file`, `cause`)
  kStopped,       // the progress sink asked to stop
};

// How an export ended. On any failure nothing was replaced: every earlier table and database is
// as it was, and no temporary file is left.
struct ExportResult {
  ExportOutcome outcome = ExportOutcome::kWritten;
  std::string file;           // the output that failed: a table's or the database's final name
  std::string cause;          // why, in UTF-8 (the system's reason or SQLite's); may be empty
  bool databaseFailed = false;  // the failure was the database's
  std::int64_t tableBytes = 0;     // bytes of the seven tables written
  std::int64_t databaseBytes = 0;  // bytes of the database written
  bool Written() const { return outcome == ExportOutcome::kWritten; }
};

// The base that the seven suffixes are appended to: `source` without the extension of its
// file-name part (the last '.' after the last '/' or '\'; a file name without a '.' keeps the
// whole path). With a `directory`, the base is that directory followed by the file-name part.
// None when `source` is empty or a table name would not fit kTableNameCapacity bytes.
std::optional<std::string> TableBaseName(std::string_view source, std::string_view directory = {});

// Writes what `options` asks for of the model converted last, which it leaves as it is (the
// complete tables come from a reading of their own of the model's source file): each
// output under a temporary name beside its final one, all renamed into place once every one is
// complete. Reports how many rows are written (ProgressSink::Advance), and the sizes as message
// lines ("N Kb => N Kb (N%)" for the tables, "Base SQLite N Kb" for the database). Stops, writing
// nothing, when the progress sink asks it to.
ExportResult Export(const GedcomModel& model, const ExportOptions& options, ProgressSink& progress);

}  // namespace brimsel
