// A new SQLite database filled with tables described by their schemas and typed rows.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/typed_rows.h"

struct sqlite3;
struct sqlite3_stmt;

namespace brimsel {

// Writes one database from start to end in one transaction: tables created from their schemas,
// rows inserted in blocks, then the indexes. Every call after a failure does nothing and returns
// false; Cause() says why the first one failed (the system's reason or SQLite's, in UTF-8).
class DatabaseWriter {
 public:
  DatabaseWriter();
  ~DatabaseWriter();
  DatabaseWriter(const DatabaseWriter&) = delete;
  DatabaseWriter& operator=(const DatabaseWriter&) = delete;

  // Opens the empty file `path` as a new database and begins its transaction. `largePages` for a
  // large file: fewer pages to fill, split, walk and write.
  bool Open(const std::string& path, bool largePages);
  // CREATE TABLE from each schema (a reference names the key of a table of this call or of an
  // earlier one), and the inserts of their rows. The schemas must outlive the writer.
  bool CreateTables(const std::vector<const TableSchema*>& tables);
  // Inserts the rows of a block of a table created before. Texts must be UTF-8.
  bool Insert(const RowBlock& rows);
  // The indexes of the table's indexed references, each over the rows where it is not NULL: a
  // lookup by a reference (a join, a foreign key check) never asks for NULL, and less is sorted.
  // `ascending` picks the references whose rows come in ascending order (made before the rows),
  // or the others (made after).
  bool CreateIndexes(const TableSchema& table, bool ascending = false);
  bool Execute(const std::string& sql);
  // Commits and closes the database.
  bool Finish();
  // Makes every statement that runs from now on stop soon after `stop` returns true; the call
  // then fails with Stopped() true.
  void StopWhen(std::function<bool()> stop);
  bool Stopped() const { return stopped_; }

  bool Failed() const { return !cause_.empty(); }
  const std::string& Cause() const { return cause_; }

  // The SQL of a table's CREATE TABLE and of its indexes, as the writer runs them; `keyOf` names
  // the key column of a referenced table.
  static std::string CreateTableSql(const TableSchema& table,
                                    const std::unordered_map<std::string, std::string>& keyOf);
  static std::vector<std::string> CreateIndexSql(const TableSchema& table, bool ascending = false);

 private:
  struct Inserts;
  bool Fail(int rc);
  bool Prepare(const std::string& sql, sqlite3_stmt** statement);

  sqlite3* db_ = nullptr;
  std::unordered_map<const TableSchema*, std::unique_ptr<Inserts>> inserts_;
  std::unordered_map<std::string, std::string> keyOf_;  // table name -> its key column
  std::string cause_;
  std::function<bool()> stop_;
  bool stopped_ = false;
};

}  // namespace brimsel
