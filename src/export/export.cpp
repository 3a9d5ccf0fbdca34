// The export: output names, rows made once by several threads and written in order into the
// tables' files and the database, every output renamed into place only when all are complete.
#include "export/export.h"

#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

#include "engine/conversion.h"
#include "export/classic_database.h"
#include "export/database_writer.h"
#include "export/table_file.h"
#include "export/tsv_rows.h"
#include "platform/ordered_parallel.h"
#include "records/complete_reader.h"
#include "platform/byte_source.h"
#include "platform/temporary_file.h"

namespace brimsel {
namespace {

// Rows made together by one thread.
constexpr std::size_t kRowsPerBlock = 4096;
// Individuals and unions from which a database gets 64 KiB pages.
constexpr std::size_t kLargeRecords = 20000;

bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

std::size_t LongestSuffix() {
  std::size_t n = 0;
  for (const char* s : kTableSuffixes) n = std::max(n, std::strlen(s));
  return n;
}

// Appends what a TableFile writes to a block of formatted rows.
class BlockSink final : public ByteSink {
 public:
  explicit BlockSink(std::string& block) : block_(block) {}
  bool Write(const char* data, std::size_t size) override {
    block_.append(data, size);
    return true;
  }
  bool Close(std::string* = nullptr) override { return true; }

 private:
  std::string& block_;
};

// A range of rows of one table, made by one thread.
struct RowRange {
  ClassicTable table;
  std::size_t begin;
  std::size_t end;
};

// What a thread made of a range: its rows, its lines in the table's file, its rows in the
// database.
struct MadeRows {
  RowBlock rows;
  std::string lines;
  RowBlock database;
};

// The MadeRows written, kept for the ranges still to make: a block's memory is taken once
// rather than at every block (each new megabyte also costs the kernel the zeroing of its pages).
class MadeRowsPool {
 public:
  // A kept MadeRows, or a new one.
  std::unique_ptr<MadeRows> Spare() {
    std::lock_guard hold(lock_);
    if (spare_.empty()) return std::make_unique<MadeRows>();
    std::unique_ptr<MadeRows> made = std::move(spare_.back());
    spare_.pop_back();
    return made;
  }
  // Keeps `made`, written, for a later range.
  void Recycle(std::unique_ptr<MadeRows> made) {
    std::lock_guard hold(lock_);
    spare_.push_back(std::move(made));
  }

 private:
  std::mutex lock_;
  std::vector<std::unique_ptr<MadeRows>> spare_;
};

// The size report: source and tables in kilobytes, and the saving. An empty source has no
// meaningful saving; it is reported as 0 per cent.
void ReportSizes(ProgressSink& progress, std::int64_t source, std::int64_t written) {
  const double saving =
      source == 0 ? 0.0 : static_cast<double>(source - written) * 100.0 / static_cast<double>(source);
  char line[96];
  std::snprintf(line, sizeof line, "%lld Kb => %lld Kb (%.0f%%)",
                static_cast<long long>(source / 1024), static_cast<long long>(written / 1024),
                saving);
  progress.Message(line);
}

// One export from start to end. Owns the temporary outputs: whatever ends the run before
// Commit, they are removed when it is destroyed.
class ExportRun {
 public:
  ExportRun(const GedcomModel& model, const ExportOptions& options, ProgressSink& progress,
            std::string base)
      : model_(model), options_(options), progress_(progress), base_(std::move(base)),
        rows_(model, options.bases, options.database) {}

  ExportResult Run() {
    if (options_.tables && !OpenTables()) return result_;
    if (options_.database && !OpenDatabase()) return result_;
    progress_.Phase(options_.tables ? "Conversion en cours!" : "Base SQLite en cours!");
    if (!WriteRows() || !CloseTables() || !CompleteDatabase() || !Commit()) {
      progress_.Phase({});
      return result_;
    }
    progress_.Phase({});
    if (options_.tables) ReportSizes(progress_, model_.sourceSize, result_.tableBytes);
    if (options_.database) {
      char line[64];
      std::snprintf(line, sizeof line, "Base SQLite %lld Kb",
                    static_cast<long long>(result_.databaseBytes / 1024));
      progress_.Message(line);
    }
    return result_;
  }

 private:
  bool Fail(ExportOutcome outcome, std::string file, std::string cause, bool database) {
    if (result_.Written()) {
      result_.outcome = outcome;
      result_.file = std::move(file);
      result_.cause = std::move(cause);
      result_.databaseFailed = database;
    }
    return false;
  }
  bool FailTable(ExportOutcome outcome, int table, int error) {
    return Fail(outcome, base_ + kTableSuffixes[table], error != 0 ? std::strerror(error) : "",
                false);
  }
  bool FailDatabase(std::string cause) {
    if (database_ && database_->Stopped()) return Stop();
    return Fail(ExportOutcome::kWriteFailed, base_ + kDatabaseSuffix, std::move(cause), true);
  }
  bool Stop() { return Fail(ExportOutcome::kStopped, {}, {}, false); }

  // Every table's temporary file, each with its header: nothing is written when one of them
  // cannot be made.
  bool OpenTables() {
    for (int t = 0; t < kClassicTableCount; ++t) {
      const std::string final = base_ + kTableSuffixes[t];
      if (const int blocked = FinalNameBlocked(final); blocked != 0) {
        return FailTable(ExportOutcome::kOpenFailed, t, blocked);
      }
      tableTemps_[t].emplace(final);
      if (tableTemps_[t]->Path().empty()) {
        return FailTable(ExportOutcome::kOpenFailed, t, tableTemps_[t]->Error());
      }
      if (options_.tableSink) {
        files_[t].Open(options_.tableSink(tableTemps_[t]->Path()));
      } else if (std::string cause; !files_[t].Open(tableTemps_[t]->Path().c_str(), &cause)) {
        return Fail(ExportOutcome::kOpenFailed, final, cause, false);
      }
    }
    for (int t = 0; t < kClassicTableCount; ++t) {
      files_[t].Raw(TsvHeader(ClassicTables()[t], options_.refCounts));
    }
    return true;
  }

  bool OpenDatabase() {
    const std::string final = base_ + kDatabaseSuffix;
    if (const int blocked = FinalNameBlocked(final); blocked != 0) {
      return FailDatabase(std::strerror(blocked));
    }
    databaseTemp_.emplace(final);
    if (databaseTemp_->Path().empty()) return FailDatabase(std::strerror(databaseTemp_->Error()));
    const bool large = rows_.RowCount(ClassicTable::kIndividuals) +
                           rows_.RowCount(ClassicTable::kUnions) >=
                       kLargeRecords;
    database_.emplace();
    std::vector<const TableSchema*> tables;
    for (const ClassicTableDescription& t : ClassicTables()) tables.push_back(&t.schema);
    tables.push_back(&ConversionTable());
    if (Complete()) {
      for (const TableSchema& t : CompleteTables()) tables.push_back(&t);
    }
    if (!database_->Open(databaseTemp_->Path(), large)) return FailDatabase(database_->Cause());
    database_->StopWhen([this] { return progress_.StopRequested(); });
    return database_->CreateTables(tables) || FailDatabase(database_->Cause());
  }

  // The rows of every table, in blocks made side by side and written in order.
  bool WriteRows() {
    std::vector<RowRange> ranges;
    for (const ClassicTableDescription& t : ClassicTables()) {
      const std::size_t count = rows_.RowCount(t.table);
      for (std::size_t begin = 0; begin < count; begin += kRowsPerBlock) {
        ranges.push_back({t.table, begin, std::min(count, begin + kRowsPerBlock)});
      }
    }
    const TableEncoding encoding = model_.tableEncoding;
    std::size_t total = 0;
    for (const RowRange& range : ranges) total += range.end - range.begin;
    std::size_t done = 0;
    bool written = true;
    MadeRowsPool pool;
    RunOrdered(
        ranges.size(), {.threads = ConversionThreads(options_.threads, model_.sourceSize)},
        [&](std::size_t k) {
          const RowRange& range = ranges[k];
          const ClassicTableDescription& table = Describe(range.table);
          std::unique_ptr<MadeRows> made = pool.Spare();
          made->rows.Reset(table.schema);
          rows_.Fill(range.table, range.begin, range.end, made->rows);
          if (options_.tables) {
            made->lines.clear();
            TableFile lines;
            lines.Open(std::make_unique<BlockSink>(made->lines));
            WriteTsvRows(table, made->rows, options_.refCounts, lines);
            lines.Close();
          }
          if (options_.database) RowsForDatabase(made->rows, rows_, encoding, made->database);
          return made;
        },
        [&](std::size_t k, std::unique_ptr<MadeRows> made) {
          const int t = static_cast<int>(ranges[k].table);
          const struct RecycleWhenDone {
            MadeRowsPool& pool;
            std::unique_ptr<MadeRows>& made;
            ~RecycleWhenDone() { pool.Recycle(std::move(made)); }
          } recycle{pool, made};
          if (options_.tables) {
            files_[t].Formatted(made->lines);
            if (files_[t].Failed()) {
              std::string cause;
              files_[t].Close(&cause);
              written = Fail(ExportOutcome::kWriteFailed, base_ + kTableSuffixes[t], cause, false);
              return false;
            }
          }
          if (options_.database && !database_->Insert(made->database)) {
            written = FailDatabase(database_->Cause());
            return false;
          }
          done += ranges[k].end - ranges[k].begin;
          progress_.Advance(static_cast<std::int64_t>(done), static_cast<std::int64_t>(total));
          if (progress_.StopRequested()) {
            written = Stop();
            return false;
          }
          return true;
        });
    return written;
  }

  // Closes every table; the first failure in table order is the one reported.
  bool CloseTables() {
    if (!options_.tables) return true;
    bool closed = true;
    for (int t = 0; t < kClassicTableCount; ++t) {
      result_.tableBytes += files_[t].BytesWritten();
      std::string cause;
      if (!files_[t].Close(&cause) && closed) {
        closed = Fail(ExportOutcome::kWriteFailed, base_ + kTableSuffixes[t], cause, false);
      }
    }
    return closed;
  }

  bool Complete() const { return options_.content == DatabaseContent::kComplete; }

  // The complete tables, from their own reading of the source file, inserted as they come.
  bool WriteCompleteTables() {
    struct Inserter final : CompleteRowSink {
      explicit Inserter(DatabaseWriter& db) : db(db) {}
      bool Take(const RowBlock& rows) override { return db.Insert(rows); }
      DatabaseWriter& db;
    } inserter(*database_);
    std::string reason;
    std::unique_ptr<FileSource> source = FileSource::Open(model_.sourcePath->c_str(), &reason);
    if (!source) return FailDatabase(*model_.sourcePath + ": " + reason);
    CompleteReadOptions read;
    read.charset = model_.charset;
    read.threads = ConversionThreads(options_.threads, model_.sourceSize);
    read.stopRequested = [this] { return progress_.StopRequested(); };
    read.progress = [this](std::int64_t done, std::int64_t total) { progress_.Advance(done, total); };
    const CompleteReadResult got = ReadCompleteFile(*source, read, inserter);
    switch (got.outcome) {
      case CompleteReadOutcome::kRead:
        return true;
      case CompleteReadOutcome::kStopped:
        return Stop();
      case CompleteReadOutcome::kSinkFailed:
        return FailDatabase(database_->Cause());
      default:
        return FailDatabase(*model_.sourcePath + ": " + got.detail);
    }
  }

  bool CompleteDatabase() {
    if (!options_.database) return true;
    DatabaseWriter& db = *database_;
    bool done = db.Insert(ConversionRow(model_, options_.refCounts, options_.bases, options_.version));
    if (done && Complete()) {
      for (const TableSchema& t : CompleteTables()) done = done && db.CreateIndexes(t, true);
      progress_.Phase("Base compl\xE8te en cours!");
      if (!done || !WriteCompleteTables()) return FailDatabase(db.Cause());
    }
    if (options_.tables || Complete()) progress_.Phase("Base SQLite en cours!");
    // Indexes once the rows are in: one sort each rather than an update per row.
    for (const ClassicTableDescription& t : ClassicTables()) done = done && db.CreateIndexes(t.schema);
    for (const char* sql : kClassicViewSql) done = done && db.Execute(sql);
    if (Complete()) {
      for (const TableSchema& t : CompleteTables()) done = done && db.CreateIndexes(t);
      for (const char* sql : kCompleteViewSql) done = done && db.Execute(sql);
    }
    done = done && db.Finish();
    if (!done) return FailDatabase(db.Cause());
    struct stat st {};
    if (::stat(databaseTemp_->Path().c_str(), &st) == 0) result_.databaseBytes = st.st_size;
    return true;
  }

  // The database is synced and renamed first, then the tables: a failure before any rename
  // leaves every earlier output as it was.
  bool Commit() {
    if (progress_.StopRequested()) return Stop();
    if (options_.database && !databaseTemp_->Commit(true)) {
      return FailDatabase(std::strerror(databaseTemp_->Error()));
    }
    if (options_.tables) {
      for (int t = 0; t < kClassicTableCount; ++t) {
        if (!tableTemps_[t]->Commit(false)) {
          return FailTable(ExportOutcome::kWriteFailed, t, tableTemps_[t]->Error());
        }
      }
    }
    return true;
  }

  const GedcomModel& model_;
  const ExportOptions& options_;
  ProgressSink& progress_;
  std::string base_;
  ClassicRows rows_;
  ExportResult result_;
  // Declared before the files, so that each file is closed before its temporary name goes.
  std::array<std::optional<TemporaryFile>, kClassicTableCount> tableTemps_;
  std::array<TableFile, kClassicTableCount> files_;
  std::optional<TemporaryFile> databaseTemp_;
  std::optional<DatabaseWriter> database_;
};

}  // namespace

std::optional<std::string> TableBaseName(std::string_view source, std::string_view directory) {
  if (source.empty()) return std::nullopt;
  std::size_t nameStart = 0;
  for (std::size_t i = 0; i < source.size(); ++i) {
    if (IsSeparator(source[i])) nameStart = i + 1;
  }
  std::size_t end = source.size();
  const std::size_t dot = source.rfind('.');
  if (dot != std::string_view::npos && dot >= nameStart) end = dot;

  std::string base;
  if (directory.empty()) {
    base.assign(source.substr(0, end));
  } else {
    base.assign(directory);
    if (!IsSeparator(base.back())) base += '/';
    base.append(source.substr(nameStart, end - nameStart));
  }
  if (base.size() + LongestSuffix() + 1 > kTableNameCapacity) return std::nullopt;
  return base;
}

ExportResult Export(const GedcomModel& model, const ExportOptions& options, ProgressSink& progress) {
  ExportResult result;
  const std::optional<std::string> base = TableBaseName(
      model.sourcePath ? std::string_view(*model.sourcePath) : std::string_view(), options.outputDir);
  if (!base) {
    result.outcome = ExportOutcome::kNoTableName;
    return result;
  }
  // The outputs' file names come from the base; every other failure is reported by the run.
  try {
    ExportRun run(model, options, progress, *base);
    return run.Run();
  } catch (const std::bad_alloc&) {
    result.cause = "out of memory";
  } catch (const std::exception& e) {
    result.cause = e.what();
  }
  progress.Phase({});
  result.outcome = ExportOutcome::kWriteFailed;
  result.databaseFailed = options.database && !options.tables;
  result.file = *base + (result.databaseFailed ? std::string(kDatabaseSuffix) : std::string(kTableSuffixes[0]));
  return result;
}

}  // namespace brimsel
