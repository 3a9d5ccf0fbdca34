// The database export: rows inserted as a second thread makes them, indexes, safe replacement.
#include "export/sqlite_tables.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <random>
#include <system_error>
#include <thread>
#include <vector>

#include "export/code_lists.h"
#include "export/database_schema.h"
#include "export/row_batches.h"
#include "export/row_splitter.h"
#include "export/table_file.h"
#include "platform/code_page.h"
#include "platform/utf8.h"

namespace brimsel {
namespace {

// The system's reason for a failed call, or SQLite's own message.
std::string Cause(sqlite3* db, int rc) {
  const int primary = rc & 0xFF;
  // A short write is reported as a full disk without the system's error number.
  if (primary == SQLITE_FULL) return std::strerror(ENOSPC);
  if (db != nullptr &&
      (primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN || primary == SQLITE_READONLY)) {
    if (const int e = sqlite3_system_errno(db); e != 0) return std::strerror(e);
  }
  return db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
}

struct CloseConnection {
  void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
struct FinalizeStatement {
  void operator()(sqlite3_stmt* s) const { sqlite3_finalize(s); }
};
using Connection = std::unique_ptr<sqlite3, CloseConnection>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// A file named after `final` with a unique ending, in the same folder, created empty with the
// permissions a new file gets; removed when destroyed unless renamed over `final`.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& final) : final_(final) {
    // Created with O_EXCL under a random ending, so that the system applies the user's umask
    // as for any new file.
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<std::size_t> letter(0, sizeof kLetters - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string name = final + ".";
      for (int k = 0; k < 6; ++k) name += kLetters[letter(random)];
      const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
      if (fd >= 0) {
        ::close(fd);
        path_ = std::move(name);
        return;
      }
      error_ = errno;
      if (error_ != EEXIST) return;
    }
  }
  ~TemporaryFile() {
    if (!path_.empty()) ::unlink(path_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const std::string& Path() const { return path_; }
  int Error() const { return error_; }
  // Writes the file's data to the device, then renames it over the final name. False, with
  // the reason in Error(), when either fails; the file is then still removed.
  bool Replace() {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
      error_ = errno;
      if (fd >= 0) ::close(fd);
      return false;
    }
    ::close(fd);
    if (::rename(path_.c_str(), final_.c_str()) != 0) {
      error_ = errno;
      return false;
    }
    path_.clear();
    return true;
  }

 private:
  std::string final_;
  std::string path_;
  int error_ = 0;
};

struct CloseFile {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Feeds the file `path` to `sink` in large pieces.
bool ReadBack(const std::string& path, RowSplitter& sink, std::string& cause) {
  std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    if (cause.empty()) cause = path + ": " + std::strerror(errno);
    return false;
  }
  std::vector<char> buffer(std::size_t{1} << 20);
  for (;;) {
    const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), file.get());
    if (n != 0 && !sink.Write(buffer.data(), n)) return false;
    if (n < buffer.size()) break;
  }
  if (std::ferror(file.get())) {
    if (cause.empty()) cause = path + ": read error";
    return false;
  }
  return sink.Close(&cause);
}

// Rows inserted by statements of kGroupRows rows (one for the last few of a table): a third
// less work per row than one statement each.
constexpr int kGroupRows = 32;
static_assert(RowBatch::kRows % kGroupRows == 0);

// Individuals and unions from which a database gets 64 KiB pages.
constexpr std::int64_t kLargeRecords = 20000;
// Pages of the smallest run of an index sort: one megabyte of 64 KiB pages.
constexpr int kSortRunPages = 16;

// Builds the whole database in a file. Returns an empty text, or why it failed.
class DatabaseBuilder {
 public:
  DatabaseBuilder(GedcomModel& m, const DatabaseOptions& options, std::string base)
      : m_(m), options_(options), base_(std::move(base)), keys_(KeyRanges::Of(m)) {}

  std::string Build(const std::string& path) {
    // The index sorts spill runs of at least kSortRunPages pages; the page cache's size (two
    // megabytes below) sets the rest. Only possible before SQLite's first use in the process;
    // otherwise the runs are larger, and the sorts slower.
    static std::once_flag configured;
    std::call_once(configured, [] { sqlite3_config(SQLITE_CONFIG_PMASZ, kSortRunPages); });
    sqlite3* raw = nullptr;
    const int rc =
        sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    db_.reset(raw);
    if (rc != SQLITE_OK) return Cause(raw, rc);
    // Large pages for a large file: fewer pages to fill, split, walk and write (a tenth of the
    // time at a million individuals); a small file keeps the usual pages, so that each of its
    // eighteen tables and indexes does not take 64 KiB.
    const bool large = keys_.count[static_cast<std::size_t>(Table::kIndi)] +
                           keys_.count[static_cast<std::size_t>(Table::kFam)] >=
                       kLargeRecords;
    if (!Exec(large ? "PRAGMA page_size = 65536" : "PRAGMA page_size = 4096")) return cause_;
    // The file is new and is renamed into place only when complete: no journal and no syncs
    // until then. A small page cache keeps the index sorts in runs of two megabytes, spilled
    // to the system's temporary folder (in files unlinked as soon as they are opened): runs
    // that stay in the processor's caches, merged, cost a third of one sort in memory.
    for (const char* sql : {"PRAGMA journal_mode = OFF", "PRAGMA synchronous = OFF",
                            "PRAGMA locking_mode = EXCLUSIVE", "PRAGMA cache_size = -2000",
                            "PRAGMA mmap_size = 4294967296", "BEGIN"}) {
      if (!Exec(sql)) return cause_;
    }
    for (const DatabaseTable& t : DatabaseTables()) {
      if (!Exec(CreateTableSql(t))) return cause_;
    }
    if (!Exec(CreateConversionSql())) return cause_;
    for (std::size_t t = 0; t < kTableCount; ++t) {
      if (!Prepare(InsertSql(DatabaseTables()[t], kGroupRows), groups_[t]) ||
          !Prepare(InsertSql(DatabaseTables()[t], 1), singles_[t])) {
        return cause_;
      }
    }
    if (!InsertRows()) return cause_;
    for (std::size_t t = 0; t < kTableCount; ++t) {
      groups_[t].reset();
      singles_[t].reset();
    }
    if (!InsertConversion()) return cause_;
    // Indexes once the rows are in: one sort each rather than an update per row. A NULL
    // reference names no row, so only the others are indexed: a lookup by a reference (a
    // join, a foreign key check) never asks for NULL, and less is sorted.
    for (const std::string& sql : CreateIndexSql()) {
      if (!Exec(sql)) return cause_;
    }
    for (const char* sql : kCreateViewSql) {
      if (!Exec(sql)) return cause_;
    }
    if (!Exec("COMMIT")) return cause_;
    sqlite3* done = db_.release();
    if (const int crc = sqlite3_close(done); crc != SQLITE_OK) {
      std::string why = Cause(done, crc);
      sqlite3_close_v2(done);
      return why;
    }
    return {};
  }

 private:
  bool Exec(const std::string& sql) {
    const int rc = sqlite3_exec(db_.get(), sql.c_str(), nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) return true;
    if (cause_.empty()) cause_ = Cause(db_.get(), rc);
    return false;
  }

  bool Prepare(const std::string& sql, Statement& statement) {
    sqlite3_stmt* raw = nullptr;
    const int rc =
        sqlite3_prepare_v3(db_.get(), sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr);
    statement.reset(raw);
    if (rc == SQLITE_OK) return true;
    if (cause_.empty()) cause_ = Cause(db_.get(), rc);
    return false;
  }

  // Inserts the rows of a batch, kGroupRows at a time.
  bool Insert(RowBatch& b) {
    const auto t = static_cast<std::size_t>(b.table);
    const std::size_t columns = DatabaseTables()[t].columns.size();
    const BoundValue* v = b.values.data();
    for (std::size_t r = 0; r < b.rows;) {
      const bool group = b.rows - r >= static_cast<std::size_t>(kGroupRows);
      sqlite3_stmt* s = group ? groups_[t].get() : singles_[t].get();
      const std::size_t count = group ? kGroupRows * columns : columns;
      for (std::size_t k = 0; k < count; ++k, ++v) {
        const int p = static_cast<int>(k) + 1;
        switch (v->kind) {
          case BoundValue::kNull:
            sqlite3_bind_null(s, p);
            break;
          case BoundValue::kInteger:
            sqlite3_bind_int64(s, p, v->number);
            break;
          case BoundValue::kText:
            sqlite3_bind_text(s, p, b.text.data() + v->offset, static_cast<int>(v->length),
                              SQLITE_STATIC);
            break;
        }
      }
      const int rc = sqlite3_step(s);
      sqlite3_reset(s);
      if (rc != SQLITE_DONE) {
        if (cause_.empty()) cause_ = Cause(db_.get(), rc);
        return false;
      }
      r += group ? kGroupRows : 1;
    }
    return true;
  }

  // The rows are made by a second thread while this one inserts them; without a thread, they
  // are inserted as they are made.
  bool InsertRows() {
    BatchQueue threaded;
    BatchQueue direct([this](RowBatch& b) { return Insert(b); });
    std::thread maker;
    // However this function is left, the maker is stopped and waited for first.
    struct Stop {
      BatchQueue& queue;
      std::thread& thread;
      ~Stop() {
        if (!thread.joinable()) return;
        queue.Abort("stopped");
        thread.join();
      }
    } stop{threaded, maker};
    BatchQueue* queue = &threaded;
    bool made = false;
    auto make = [this, &made](BatchQueue& q) {
      try {
        made = options_.fromTables ? ReadTables(q) : WriteRows(q);
      } catch (const std::bad_alloc&) {
        q.Abort("out of memory");
      } catch (const std::exception& e) {
        q.Abort(e.what());
      }
      q.Finish();
    };
    try {
      maker = std::thread(make, std::ref(threaded));
    } catch (const std::system_error&) {
      queue = &direct;
      make(direct);
    }
    if (maker.joinable()) {
      while (std::unique_ptr<RowBatch> batch = threaded.Pop()) {
        const bool inserted = Insert(*batch);
        threaded.Give(std::move(batch));
        if (!inserted) {
          threaded.Abort(cause_);
          break;
        }
      }
      maker.join();
    }
    if (cause_.empty()) cause_ = queue->Cause();
    if (made && cause_.empty()) return true;
    if (cause_.empty()) cause_ = "rows not written";
    return false;
  }

  // A sink that splits a table's bytes into rows for the encoder of table `t`.
  std::unique_ptr<RowSplitter> Splitter(int t, BatchQueue& queue) {
    encoders_[static_cast<std::size_t>(t)] = std::make_unique<RowEncoder>(t, m_, keys_, queue);
    RowEncoder* encoder = encoders_[static_cast<std::size_t>(t)].get();
    return std::make_unique<RowSplitter>(
        [encoder](const RowSplitter::Cells& cells) { return encoder->Take(cells); });
  }

  bool FlushAll() {
    for (auto& e : encoders_) {
      if (e && !e->Flush()) return false;
    }
    return true;
  }

  // The rows of the tables just written, read back.
  bool ReadTables(BatchQueue& queue) {
    for (int t = 0; t < kTableCount; ++t) {
      std::unique_ptr<RowSplitter> sink = Splitter(t, queue);
      std::string why;
      if (!ReadBack(base_ + kTableSuffixes[t], *sink, why)) {
        queue.Abort(why.empty() ? base_ + kTableSuffixes[t] + ": rows not read" : why);
        return false;
      }
    }
    return FlushAll();
  }

  // The rows as the tables' writers make them, the dates normalised in place.
  bool WriteRows(BatchQueue& queue) {
    const auto& tables = DatabaseTables();
    const Dictionary* lists[3] = {m_.surnames.get(), m_.givenNames.get(), m_.places.get()};
    for (int t = 0; t < 3; ++t) {
      TableFile f;
      f.Open(Splitter(t, queue));
      f.Raw(HeaderLine(tables[static_cast<std::size_t>(t)]));
      if (lists[t] != nullptr) WriteCodeList(f, *lists[t], true);
      if (!f.Close()) return false;
    }
    std::array<TableFile, 4> rows;
    for (int k = 0; k < 4; ++k) {
      rows[static_cast<std::size_t>(k)].Open(Splitter(3 + k, queue));
      rows[static_cast<std::size_t>(k)].Raw(HeaderLine(tables[static_cast<std::size_t>(3 + k)]));
    }
    WriteTableRows(m_, rows[0], rows[1], rows[2], rows[3]);
    bool ok = true;
    for (TableFile& f : rows) ok = f.Close() && ok;
    return ok && FlushAll();
  }

  bool InsertConversion() {
    Statement insert;
    if (!Prepare(InsertConversionSql(), insert)) return false;
    sqlite3_stmt* s = insert.get();
    // The source's name as the user gave it: UTF-8 when it reads as such, else Windows-1252.
    std::string source = m_.sourcePath.value_or("");
    for (std::size_t i = 0; i < source.size();) {
      char32_t cp = 0;
      const std::size_t n = Utf8SequenceAt(std::string_view(source).substr(i), cp);
      if (n == 0) {
        source = Cp1252ToUtf8(source);
        break;
      }
      i += n;
    }
    char when[32] = {};
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm utc{};
    if (gmtime_r(&now, &utc) != nullptr)
      std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &utc);
    // A set chosen by name is recorded by ICU's name for it.
    const std::string charset = m_.charset.kind == Charset::kConverter
                                    ? m_.charset.converter
                                    : std::string(CharsetName(m_.charset.kind));
    const char* encoding = m_.tableEncoding == TableEncoding::kUtf8 ? "UTF-8" : "Windows-1252";
    int p = 0;
    sqlite3_bind_text(s, ++p, source.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(s, ++p, m_.sourceSize);
    sqlite3_bind_text(s, ++p, charset.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(s, ++p, encoding, -1, SQLITE_STATIC);
    sqlite3_bind_int(s, ++p, m_.readNotes ? 1 : 0);
    sqlite3_bind_int(s, ++p, m_.properNames ? 1 : 0);
    sqlite3_bind_int(s, ++p, options_.tables.refCounts ? 1 : 0);
    sqlite3_bind_int64(s, ++p, m_.indiBase);
    sqlite3_bind_int64(s, ++p, m_.famBase);
    sqlite3_bind_text(s, ++p, options_.version.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(s, ++p, when, -1, SQLITE_TRANSIENT);
    for (const CountColumn& c : kCountColumns) sqlite3_bind_int(s, ++p, m_.counts.*c.count);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_DONE) return true;
    if (cause_.empty()) cause_ = Cause(db_.get(), rc);
    return false;
  }

  GedcomModel& m_;
  const DatabaseOptions& options_;
  std::string base_;
  KeyRanges keys_;
  Connection db_;
  std::array<Statement, kTableCount> groups_;
  std::array<Statement, kTableCount> singles_;
  std::array<std::unique_ptr<RowEncoder>, kTableCount> encoders_;
  std::string cause_;
};

}  // namespace

DatabaseResult ExportDatabase(GedcomModel& m, const DatabaseOptions& options,
                              ProgressSink& progress) {
  DatabaseResult result;
  const std::optional<std::string> base =
      TableBaseName(m.sourcePath ? std::string_view(*m.sourcePath) : std::string_view(),
                    options.tables.outputDir);
  if (!base) {
    result.outcome = DatabaseOutcome::kNoName;
    return result;
  }
  result.file = *base + kDatabaseSuffix;
  auto fail = [&](std::string cause) {
    progress.Phase({});
    result.outcome = DatabaseOutcome::kWriteFailed;
    result.cause = std::move(cause);
    return result;
  };
  // A folder in the way would only show at the rename, after all the work.
  struct stat st {};
  if (::stat(result.file.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    return fail(std::strerror(EISDIR));
  if (options.tables.indiBase) m.indiBase = *options.tables.indiBase;
  if (options.tables.famBase) m.famBase = *options.tables.famBase;
  try {
    TemporaryFile temp(result.file);
    if (temp.Path().empty()) return fail(std::strerror(temp.Error()));
    progress.Phase("Base SQLite en cours!");
    {
      DatabaseBuilder builder(m, options, *base);
      std::string cause = builder.Build(temp.Path());
      if (!cause.empty()) return fail(std::move(cause));
    }
    if (::stat(temp.Path().c_str(), &st) == 0) result.bytesWritten = st.st_size;
    if (!temp.Replace()) return fail(std::strerror(temp.Error()));
  } catch (const std::bad_alloc&) {
    return fail("out of memory");
  } catch (const std::exception& e) {  // a system resource the standard library could not get
    return fail(e.what());
  }
  progress.Phase({});
  char line[64];
  std::snprintf(line, sizeof line, "Base SQLite %lld Kb",
                static_cast<long long>(result.bytesWritten / 1024));
  progress.Message(line);
  return result;
}

}  // namespace brimsel
