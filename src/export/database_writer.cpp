// The database writer: schemas to SQL, rows bound to grouped inserts, one transaction.
#include "export/database_writer.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <mutex>

namespace brimsel {
namespace {

// Rows inserted by statements of kGroupRows rows (one for the last few of a block): a third
// less work per row than one statement each, and a tenth less than statements of 32 rows.
constexpr std::size_t kGroupRows = 128;
// Pages of the smallest run of an index sort: one megabyte of 64 KiB pages.
constexpr int kSortRunPages = 16;

// The system's reason for a failed call, or SQLite's own message.
std::string CauseOf(sqlite3* db, int rc) {
  const int primary = rc & 0xFF;
  // A short write is reported as a full disk without the system's error number.
  if (primary == SQLITE_FULL) return std::strerror(ENOSPC);
  if (db != nullptr &&
      (primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN || primary == SQLITE_READONLY)) {
    if (const int e = sqlite3_system_errno(db); e != 0) return std::strerror(e);
  }
  return db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
}

const char* TypeName(ColumnType type) {
  switch (type) {
    case ColumnType::kInteger:
      return "INTEGER";
    case ColumnType::kReal:
      return "REAL";
    case ColumnType::kText:
      return "TEXT";
  }
  return "";
}

std::string InsertSql(const TableSchema& table, std::size_t rows) {
  std::string row = "(?";
  for (std::size_t k = 1; k < table.columns.size(); ++k) row += ", ?";
  row += ")";
  std::string sql = std::string("INSERT INTO ") + table.name + " VALUES " + row;
  for (std::size_t r = 1; r < rows; ++r) sql += ", " + row;
  return sql;
}

}  // namespace

struct DatabaseWriter::Inserts {
  sqlite3_stmt* group = nullptr;
  sqlite3_stmt* single = nullptr;
  ~Inserts() {
    sqlite3_finalize(group);
    sqlite3_finalize(single);
  }
};

DatabaseWriter::DatabaseWriter() = default;

DatabaseWriter::~DatabaseWriter() {
  inserts_.clear();
  if (db_ != nullptr) sqlite3_close_v2(db_);
}

void DatabaseWriter::StopWhen(std::function<bool()> stop) {
  stop_ = std::move(stop);
  if (db_ == nullptr) return;
  // Asked every few thousand steps of the virtual machine: a few times a millisecond.
  sqlite3_progress_handler(
      db_, 4096,
      [](void* self) -> int {
        auto* writer = static_cast<DatabaseWriter*>(self);
        if (writer->stop_ && writer->stop_()) writer->stopped_ = true;
        return writer->stopped_ ? 1 : 0;
      },
      this);
}

bool DatabaseWriter::Fail(int rc) {
  if (cause_.empty()) cause_ = CauseOf(db_, rc);
  if (cause_.empty()) cause_ = "SQLite error";
  return false;
}

bool DatabaseWriter::Open(const std::string& path, bool largePages) {
  // The index sorts spill runs of at least kSortRunPages pages; the page cache's size (two
  // megabytes below) sets the rest. Only possible before SQLite's first use in the process;
  // otherwise the runs are larger, and the sorts slower.
  static std::once_flag configured;
  std::call_once(configured, [] { sqlite3_config(SQLITE_CONFIG_PMASZ, kSortRunPages); });
  const int rc =
      sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) return Fail(rc);
  if (!Execute(largePages ? "PRAGMA page_size = 65536" : "PRAGMA page_size = 4096")) return false;
  // The file is new and is renamed into place only when complete: no journal and no syncs
  // until then. A small page cache keeps the index sorts in runs of two megabytes, spilled to
  // the system's temporary folder (in files unlinked as soon as they are opened): runs that
  // stay in the processor's caches, merged, cost a third of one sort in memory.
  for (const char* sql : {"PRAGMA journal_mode = OFF", "PRAGMA synchronous = OFF",
                          "PRAGMA locking_mode = EXCLUSIVE", "PRAGMA cache_size = -2000",
                          "BEGIN"}) {
    if (!Execute(sql)) return false;
  }
  return true;
}

bool DatabaseWriter::Execute(const std::string& sql) {
  if (Failed()) return false;
  const int rc = sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
  return rc == SQLITE_OK || Fail(rc);
}

bool DatabaseWriter::Prepare(const std::string& sql, sqlite3_stmt** statement) {
  const int rc = sqlite3_prepare_v3(db_, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, statement,
                                    nullptr);
  return rc == SQLITE_OK || Fail(rc);
}

std::string DatabaseWriter::CreateTableSql(
    const TableSchema& table, const std::unordered_map<std::string, std::string>& keyOf) {
  std::string sql = std::string("CREATE TABLE ") + table.name + " (";
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    const ColumnSchema& column = table.columns[c];
    if (c != 0) sql += ", ";
    sql += column.name;
    sql += ' ';
    sql += TypeName(column.type);
    switch (column.role) {
      case ColumnRole::kKey:
        sql += " PRIMARY KEY";
        break;
      case ColumnRole::kRequired:
        sql += " NOT NULL";
        break;
      case ColumnRole::kOptional:
        break;
      case ColumnRole::kReference: {
        const auto key = keyOf.find(column.references);
        sql += std::string(" REFERENCES ") + column.references + "(" +
               (key != keyOf.end() ? key->second : std::string("id")) + ")";
        break;
      }
    }
  }
  return sql + ")";
}

std::vector<std::string> DatabaseWriter::CreateIndexSql(const TableSchema& table, bool ascending) {
  std::vector<std::string> statements;
  for (const ColumnSchema& c : table.columns) {
    if (c.role != ColumnRole::kReference || !c.indexed || c.ascending != ascending) continue;
    statements.push_back(std::string("CREATE INDEX ") + table.name + "_" + c.name + " ON " +
                         table.name + "(" + c.name + ") WHERE " + c.name + " IS NOT NULL");
  }
  return statements;
}

bool DatabaseWriter::CreateTables(const std::vector<const TableSchema*>& tables) {
  if (Failed()) return false;
  for (const TableSchema* table : tables) {
    if (const int key = table->KeyColumn(); key >= 0) {
      keyOf_[table->name] = table->columns[static_cast<std::size_t>(key)].name;
    }
  }
  for (const TableSchema* table : tables) {
    if (!Execute(CreateTableSql(*table, keyOf_))) return false;
    auto inserts = std::make_unique<Inserts>();
    if (!Prepare(InsertSql(*table, kGroupRows), &inserts->group) ||
        !Prepare(InsertSql(*table, 1), &inserts->single)) {
      return false;
    }
    inserts_[table] = std::move(inserts);
  }
  return true;
}

bool DatabaseWriter::Insert(const RowBlock& rows) {
  if (Failed()) return false;
  const auto found = inserts_.find(&rows.Table());
  if (found == inserts_.end()) {
    cause_ = std::string("no table ") + rows.Table().name;
    return false;
  }
  const std::size_t columns = rows.Columns();
  for (std::size_t r = 0; r < rows.Rows();) {
    const bool group = rows.Rows() - r >= kGroupRows;
    sqlite3_stmt* s = group ? found->second->group : found->second->single;
    const std::size_t count = group ? kGroupRows : 1;
    int p = 1;
    // Every parameter is NULL after the reset: only the others are bound (most of the complete
    // tables' columns are NULL in most rows).
    for (std::size_t row = r; row < r + count; ++row) {
      for (std::size_t c = 0; c < columns; ++c, ++p) {
        const Value v = rows.At(row, c);
        switch (v.kind) {
          case Value::kNull:
            break;
          case Value::kInteger:
            sqlite3_bind_int64(s, p, v.integer);
            break;
          case Value::kReal:
            sqlite3_bind_double(s, p, v.real);
            break;
          case Value::kText:
            sqlite3_bind_text(s, p, v.text.data(), static_cast<int>(v.text.size()),
                              SQLITE_STATIC);
            break;
        }
      }
    }
    const int rc = sqlite3_step(s);
    sqlite3_reset(s);
    sqlite3_clear_bindings(s);
    if (rc != SQLITE_DONE) return Fail(rc);
    r += count;
  }
  return true;
}

bool DatabaseWriter::CreateIndexes(const TableSchema& table, bool ascending) {
  for (const std::string& sql : CreateIndexSql(table, ascending)) {
    if (!Execute(sql)) return false;
  }
  return true;
}

bool DatabaseWriter::Finish() {
  if (!Execute("COMMIT")) return false;
  inserts_.clear();
  sqlite3* done = db_;
  db_ = nullptr;
  if (const int rc = sqlite3_close(done); rc != SQLITE_OK) {
    cause_ = CauseOf(done, rc);
    sqlite3_close_v2(done);
    return false;
  }
  return true;
}

}  // namespace brimsel
