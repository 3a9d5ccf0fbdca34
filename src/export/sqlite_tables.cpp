// The database export: the schema, rows taken from the tables' own row writers (or read back
// from the tables just written), and the replacement of FILE.sqlite once complete.
#include "export/sqlite_tables.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "export/code_lists.h"
#include "export/date.h"
#include "export/row_splitter.h"
#include "export/table_file.h"
#include "platform/code_page.h"
#include "platform/utf8.h"

namespace brimsel {
namespace {

// What a column of the database holds, and how its value comes from a table cell.
enum class Cell {
  kKey,         // the row's own number or code: INTEGER PRIMARY KEY
  kNumber,      // a number every row has (sex, quality code)
  kRefCount,    // NBREF: from the table when it has the column, else from the dictionary
  kReference,   // the number of a row of another table; NULL when it names none (code 0)
  kParents,     // INDI.FAM: the parents' union; NULL when the individual has none
  kText,        // a text; NULL when empty
  kSortable,    // not in the table: the ISO form of the date before it, by the code after it
};

struct Column {
  const char* name;
  Cell cell;
  Table references = Table::kName;  // the table a kReference or kParents column points into
};

struct Schema {
  const char* name;
  std::vector<Column> columns;
};

// The seven tables in the order of Table, with the tables' names and columns; the sortable
// dates stand beside their date.
const std::array<Schema, kTableCount>& Schemas() {
  static const std::array<Schema, kTableCount> schemas = {{
      {"NAME", {{"C_NAME", Cell::kKey}, {"NBREF", Cell::kRefCount}, {"NAME", Cell::kText}}},
      {"SURNAME",
       {{"C_SURNAME", Cell::kKey}, {"NBREF", Cell::kRefCount}, {"SURNAME", Cell::kText}}},
      {"PLAC", {{"C_PLAC", Cell::kKey}, {"NBREF", Cell::kRefCount}, {"PLAC", Cell::kText}}},
      {"INDI",
       {{"INDI", Cell::kKey},
        {"FAM", Cell::kParents, Table::kFam},
        {"S", Cell::kNumber},
        {"PRE", Cell::kReference, Table::kSurname},
        {"CNOM", Cell::kReference, Table::kName},
        {"DAT1", Cell::kText},
        {"DAT1_ISO", Cell::kSortable},
        {"QD1", Cell::kNumber},
        {"PL1", Cell::kReference, Table::kPlac},
        {"DAT2", Cell::kText},
        {"DAT2_ISO", Cell::kSortable},
        {"QD2", Cell::kNumber},
        {"PL2", Cell::kReference, Table::kPlac},
        {"OCCU", Cell::kText}}},
      {"FAM",
       {{"FAM", Cell::kKey},
        {"HUSB", Cell::kReference, Table::kIndi},
        {"WIFE", Cell::kReference, Table::kIndi},
        {"DAT", Cell::kText},
        {"DAT_ISO", Cell::kSortable},
        {"QD", Cell::kNumber},
        {"C_PLACSTART", Cell::kReference, Table::kPlac}}},
      {"INDInote", {{"INDI", Cell::kReference, Table::kIndi}, {"NOTE", Cell::kText}}},
      {"FAMnote", {{"FAM", Cell::kReference, Table::kFam}, {"NOTE", Cell::kText}}},
  }};
  return schemas;
}

// Two views that read like a family tree: names, dates and places as texts.
constexpr const char* kViews[] = {
    "CREATE VIEW individuals AS SELECT i.INDI AS number,"
    " CASE i.S WHEN 1 THEN 'M' WHEN 0 THEN 'F' END AS sex,"
    " g.SURNAME AS given_names, n.NAME AS surname,"
    " i.DAT1 AS birth_date, i.DAT1_ISO AS birth_iso, b.PLAC AS birth_place,"
    " i.DAT2 AS death_date, i.DAT2_ISO AS death_iso, d.PLAC AS death_place,"
    " i.OCCU AS occupation, f.HUSB AS father, f.WIFE AS mother"
    " FROM INDI i LEFT JOIN SURNAME g ON g.C_SURNAME = i.PRE LEFT JOIN NAME n ON n.C_NAME = i.CNOM"
    " LEFT JOIN PLAC b ON b.C_PLAC = i.PL1 LEFT JOIN PLAC d ON d.C_PLAC = i.PL2"
    " LEFT JOIN FAM f ON f.FAM = i.FAM",
    "CREATE VIEW unions AS SELECT u.FAM AS number,"
    " u.HUSB AS husband, hg.SURNAME AS husband_given_names, hn.NAME AS husband_surname,"
    " u.WIFE AS wife, wg.SURNAME AS wife_given_names, wn.NAME AS wife_surname,"
    " u.DAT AS marriage_date, u.DAT_ISO AS marriage_iso, p.PLAC AS marriage_place"
    " FROM FAM u LEFT JOIN INDI h ON h.INDI = u.HUSB"
    " LEFT JOIN SURNAME hg ON hg.C_SURNAME = h.PRE LEFT JOIN NAME hn ON hn.C_NAME = h.CNOM"
    " LEFT JOIN INDI w ON w.INDI = u.WIFE"
    " LEFT JOIN SURNAME wg ON wg.C_SURNAME = w.PRE LEFT JOIN NAME wn ON wn.C_NAME = w.CNOM"
    " LEFT JOIN PLAC p ON p.C_PLAC = u.C_PLACSTART",
};

// The conversion's counts, as columns of the table "conversion".
constexpr std::pair<const char*, int ConversionCounts::*> kCountColumns[] = {
    {"individuals", &ConversionCounts::individuals},
    {"unions", &ConversionCounts::unions},
    {"added", &ConversionCounts::added},
    {"birth_dates", &ConversionCounts::birthDates},
    {"birth_places", &ConversionCounts::birthPlaces},
    {"baptism_dates", &ConversionCounts::baptismDates},
    {"baptism_places", &ConversionCounts::baptismPlaces},
    {"death_dates", &ConversionCounts::deathDates},
    {"death_places", &ConversionCounts::deathPlaces},
    {"burial_dates", &ConversionCounts::burialDates},
    {"burial_places", &ConversionCounts::burialPlaces},
    {"marriage_dates", &ConversionCounts::marriageDates},
    {"marriage_places", &ConversionCounts::marriagePlaces},
    {"individual_notes", &ConversionCounts::individualNotes},
    {"union_notes", &ConversionCounts::unionNotes},
    {"parents", &ConversionCounts::parents},
    {"errors", &ConversionCounts::errors},
    {"quay", &ConversionCounts::quay},
    {"sources", &ConversionCounts::sources},
};

std::string CreateTableSql(const Schema& s) {
  std::string sql = std::string("CREATE TABLE ") + s.name + " (";
  for (std::size_t c = 0; c < s.columns.size(); ++c) {
    const Column& col = s.columns[c];
    if (c != 0) sql += ", ";
    sql += col.name;
    switch (col.cell) {
      case Cell::kKey:
        sql += " INTEGER PRIMARY KEY";
        break;
      case Cell::kNumber:
      case Cell::kRefCount:
        sql += " INTEGER NOT NULL";
        break;
      case Cell::kReference:
      case Cell::kParents: {
        const Schema& target = Schemas()[static_cast<std::size_t>(col.references)];
        sql += std::string(" INTEGER REFERENCES ") + target.name + "(" + target.columns[0].name + ")";
        break;
      }
      case Cell::kText:
      case Cell::kSortable:
        sql += " TEXT";
        break;
    }
  }
  return sql + ")";
}

std::string InsertSql(const Schema& s) {
  std::string sql = std::string("INSERT INTO ") + s.name + " VALUES (";
  for (std::size_t c = 0; c < s.columns.size(); ++c) sql += c == 0 ? "?" : ", ?";
  return sql + ")";
}

// The header line of a table with the NBREF column: what WriteCodeList writes with counts.
std::string HeaderLine(const Schema& s) {
  std::string line;
  for (const Column& c : s.columns) {
    if (c.cell == Cell::kSortable) continue;
    if (!line.empty()) line += '\t';
    line += c.name;
  }
  return line + "\n";
}

bool ParseNumber(std::string_view text, std::int64_t& value) {
  const bool negative = !text.empty() && text[0] == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty() || text.size() > 18) return false;
  std::int64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  value = negative ? -v : v;
  return true;
}

// UTF-8 bytes of each Windows-1252 byte.
struct Utf8Of {
  std::array<std::array<char, 4>, 256> bytes{};
  std::array<unsigned char, 256> length{};
  Utf8Of() {
    for (int b = 0; b < 256; ++b) {
      std::string s;
      AppendUtf8(s, Cp1252ToCodePoint(static_cast<unsigned char>(b)));
      length[static_cast<std::size_t>(b)] = static_cast<unsigned char>(s.size());
      std::memcpy(bytes[static_cast<std::size_t>(b)].data(), s.data(), s.size());
    }
  }
};

// The system's reason for a failed call, or SQLite's own message.
std::string Cause(sqlite3* db, int rc) {
  const int primary = rc & 0xFF;
  // A short write is reported as a full disk without the system's error number.
  if (primary == SQLITE_FULL) return std::strerror(ENOSPC);
  if (db != nullptr && (primary == SQLITE_IOERR || primary == SQLITE_FULL ||
                        primary == SQLITE_CANTOPEN || primary == SQLITE_READONLY)) {
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

// The rows of one table into its prepared insert. The first row handed in is the table's
// header, which must name the table's columns (NBREF may be missing).
class TableLoader {
 public:
  // `first`, `count`: the numbers each table's rows carry, for the references.
  TableLoader(const Schema& schema, sqlite3* db, sqlite3_stmt* insert, const GedcomModel& m,
              const Dictionary* dictionary, const std::array<std::int64_t, kTableCount>& first,
              const std::array<std::int64_t, kTableCount>& count, std::string& cause)
      : schema_(schema), db_(db), insert_(insert), model_(m), dictionary_(dictionary),
        first_(first), count_(count), cause_(cause), source_(schema.columns.size(), -1),
        text_(schema.columns.size()), sortable_(schema.columns.size()),
        individuals_(std::min(m.individuals.size(),
                              static_cast<std::size_t>(std::max(m.counts.individuals, 0)))) {}

  bool Take(const RowSplitter::Cells& cells) {
    return header_ ? Header(cells) : Row(cells);
  }

 private:
  bool Fail(std::string why) {
    if (cause_.empty()) cause_ = std::move(why);
    return false;
  }

  bool Header(const RowSplitter::Cells& cells) {
    header_ = false;
    std::size_t k = 0;
    for (std::size_t c = 0; c < schema_.columns.size(); ++c) {
      const Column& col = schema_.columns[c];
      if (col.cell == Cell::kSortable) continue;
      if (k < cells.size() && cells[k] == col.name) {
        source_[c] = static_cast<int>(k++);
      } else if (col.cell != Cell::kRefCount) {
        return Fail(std::string("table ") + schema_.name + ": unexpected header");
      }
    }
    if (k != cells.size()) return Fail(std::string("table ") + schema_.name + ": unexpected header");
    width_ = k;
    return true;
  }

  // The text of a cell in UTF-8, for a binding that lasts until the next row.
  std::string_view Utf8(std::size_t column, std::string_view text) {
    if (model_.tableEncoding == TableEncoding::kUtf8) return text;
    std::size_t high = 0;
    for (char c : text) high += static_cast<unsigned char>(c) >= 0x80;
    if (high == 0) return text;
    static const Utf8Of table;
    std::string& out = text_[column];
    out.resize(text.size() + 2 * high);
    char* p = out.data();
    for (char c : text) {
      const auto b = static_cast<unsigned char>(c);
      const unsigned char n = table.length[b];
      std::memcpy(p, table.bytes[b].data(), 4);
      p += n;
    }
    out.resize(static_cast<std::size_t>(p - out.data()));
    return out;
  }

  bool Row(const RowSplitter::Cells& cells) {
    if (cells.size() != width_) return Fail(std::string("table ") + schema_.name + ": unexpected row");
    std::int64_t own = 0;
    for (std::size_t c = 0; c < schema_.columns.size(); ++c) {
      const Column& col = schema_.columns[c];
      const int param = static_cast<int>(c) + 1;
      const std::string_view cell = source_[c] >= 0 ? cells[static_cast<std::size_t>(source_[c])]
                                                    : std::string_view();
      std::int64_t n = 0;
      int rc = SQLITE_OK;
      switch (col.cell) {
        case Cell::kKey:
        case Cell::kNumber:
          if (!ParseNumber(cell, n)) return BadCell(col);
          if (col.cell == Cell::kKey) own = n;
          rc = sqlite3_bind_int64(insert_, param, n);
          break;
        case Cell::kRefCount:
          if (source_[c] >= 0) {
            if (!ParseNumber(cell, n)) return BadCell(col);
          } else if (dictionary_ != nullptr && own >= 1 && own <= dictionary_->count) {
            n = dictionary_->Entry(static_cast<int>(own - 1)).refCount;
          }
          rc = sqlite3_bind_int64(insert_, param, n);
          break;
        case Cell::kReference:
        case Cell::kParents: {
          if (!ParseNumber(cell, n)) return BadCell(col);
          const auto t = static_cast<std::size_t>(col.references);
          bool none = n < first_[t] || n - first_[t] >= count_[t];
          if (col.cell == Cell::kParents) {
            // The parents' union from the model: the table writes 0 for none, which is also
            // the first union's number when the unions are numbered from 0.
            none = none || row_ >= individuals_ || model_.individuals[row_].famc < 0;
          }
          rc = none ? sqlite3_bind_null(insert_, param) : sqlite3_bind_int64(insert_, param, n);
          break;
        }
        case Cell::kText: {
          const std::string_view text = Utf8(c, cell);
          rc = text.empty() ? sqlite3_bind_null(insert_, param)
                            : sqlite3_bind_text(insert_, param, text.data(),
                                                static_cast<int>(text.size()), SQLITE_STATIC);
          break;
        }
        case Cell::kSortable: {
          // Between its date (the column before) and the date's code (the column after).
          std::int64_t quality = 0;
          const int date = source_[c - 1];
          const int code = source_[c + 1];
          std::size_t length = 0;
          if (date >= 0 && code >= 0 && ParseNumber(cells[static_cast<std::size_t>(code)], quality)) {
            length = SortableDate(cells[static_cast<std::size_t>(date)], static_cast<int>(quality),
                                  model_.tableEncoding, sortable_[c]);
          }
          rc = length == 0 ? sqlite3_bind_null(insert_, param)
                           : sqlite3_bind_text(insert_, param, sortable_[c].data(),
                                               static_cast<int>(length), SQLITE_STATIC);
          break;
        }
      }
      if (rc != SQLITE_OK) return Fail(Cause(db_, rc));
    }
    ++row_;
    const int rc = sqlite3_step(insert_);
    sqlite3_reset(insert_);
    if (rc != SQLITE_DONE) return Fail(Cause(db_, rc));
    return true;
  }

  bool BadCell(const Column& col) {
    return Fail(std::string("table ") + schema_.name + ": unexpected " + col.name + " in row " +
                std::to_string(row_ + 1));
  }

  const Schema& schema_;
  sqlite3* db_;
  sqlite3_stmt* insert_;
  const GedcomModel& model_;
  const Dictionary* dictionary_;
  const std::array<std::int64_t, kTableCount>& first_;
  const std::array<std::int64_t, kTableCount>& count_;
  std::string& cause_;
  std::vector<int> source_;        // the table cell of each column, -1 for none
  std::vector<std::string> text_;  // the UTF-8 form of each text column of the current row
  std::vector<SortableDateText> sortable_;  // the sortable dates of the row
  std::size_t individuals_;  // rows of the individual table that are the model's individuals
  std::size_t width_ = 0;    // cells in a row of the table
  std::size_t row_ = 0;    // rows after the header so far
  bool header_ = true;
};

// A file named after `final` with a unique ending, in the same folder, created empty with the
// permissions a new file gets; removed when destroyed unless renamed over `final`.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::string& final) : final_(final) {
    std::string pattern = final + ".XXXXXX";
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0) {
      error_ = errno;
      return;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    ::close(fd);
    path_ = std::move(pattern);
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

// Builds the whole database in `path`. Returns an empty text, or why it failed.
class DatabaseBuilder {
 public:
  DatabaseBuilder(GedcomModel& m, const DatabaseOptions& options, std::string base)
      : m_(m), options_(options), base_(std::move(base)) {}

  std::string Build(const std::string& path) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                                   nullptr);
    db_.reset(raw);
    if (rc != SQLITE_OK) return Cause(raw, rc);
    // The file is new and is renamed into place only when complete: no journal and no syncs
    // until then. The index sorts spill in runs of a few megabytes to the system's temporary
    // folder (files unlinked as soon as they are opened): sorting small runs that stay in the
    // processor's caches and merging them costs a third of one sort of the whole column in
    // memory. Each spilled run is sorted by a worker thread.
    for (const char* pragma :
         {"PRAGMA journal_mode = OFF", "PRAGMA synchronous = OFF",
          "PRAGMA locking_mode = EXCLUSIVE", "PRAGMA cache_size = -2000", "PRAGMA mmap_size = 4294967296", "PRAGMA threads = 0",
          "BEGIN"}) {
      if (!Exec(pragma)) return cause_;
    }
    for (const Schema& s : Schemas()) {
      if (!Exec(CreateTableSql(s).c_str())) return cause_;
    }
    if (!Exec(ConversionTableSql().c_str())) return cause_;

    Ranges();
    for (int t = 0; t < kTableCount; ++t) {
      sqlite3_stmt* raw_statement = nullptr;
      const std::string sql = InsertSql(Schemas()[static_cast<std::size_t>(t)]);
      const int prc = sqlite3_prepare_v3(db_.get(), sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT,
                                         &raw_statement, nullptr);
      inserts_[static_cast<std::size_t>(t)].reset(raw_statement);
      if (prc != SQLITE_OK) return Cause(db_.get(), prc);
    }
    if (!(options_.fromTables ? ReadTables() : WriteRows())) {
      return cause_.empty() ? "rows not written" : cause_;
    }
    for (auto& s : inserts_) s.reset();
    if (!InsertConversion()) return cause_;

    // Indexes once the rows are in: one sort each rather than an update per row.
    for (const Schema& s : Schemas()) {
      for (const Column& c : s.columns) {
        if (c.cell != Cell::kReference && c.cell != Cell::kParents) continue;
        const std::string sql = std::string("CREATE INDEX ") + s.name + "_" + c.name + " ON " +
                                s.name + "(" + c.name + ")";
        if (!Exec(sql.c_str())) return cause_;
      }
    }
    for (const char* view : kViews) {
      if (!Exec(view)) return cause_;
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
  bool Exec(const char* sql) {
    const int rc = sqlite3_exec(db_.get(), sql, nullptr, nullptr, nullptr);
    if (rc == SQLITE_OK) return true;
    if (cause_.empty()) cause_ = Cause(db_.get(), rc);
    return false;
  }

  static std::string ConversionTableSql() {
    std::string sql =
        "CREATE TABLE conversion (source TEXT, source_size INTEGER, charset TEXT,"
        " table_encoding TEXT, notes INTEGER, proper_names INTEGER, nbref INTEGER,"
        " indi_base INTEGER, fam_base INTEGER, version TEXT, converted_at TEXT";
    for (const auto& [name, member] : kCountColumns) sql += std::string(", ") + name + " INTEGER";
    return sql + ")";
  }

  // The numbers each table's rows carry, as WriteTableRows and WriteCodeList number them.
  void Ranges() {
    auto bounded = [](std::size_t size, int count) {
      return static_cast<std::int64_t>(std::min(size, static_cast<std::size_t>(std::max(count, 0))));
    };
    const Dictionary* lists[3] = {m_.surnames.get(), m_.givenNames.get(), m_.places.get()};
    for (int t = 0; t < 3; ++t) {
      first_[static_cast<std::size_t>(t)] = 1;
      count_[static_cast<std::size_t>(t)] = lists[t] != nullptr ? lists[t]->count : 0;
    }
    first_[3] = first_[5] = m_.indiBase;
    first_[4] = first_[6] = m_.famBase;
    count_[3] = count_[5] = bounded(m_.individuals.size(), m_.counts.individuals) +
                            bounded(m_.addedSexes.size(), m_.counts.added);
    count_[4] = count_[6] = bounded(m_.unions.size(), m_.counts.unions);
  }

  const Dictionary* DictionaryOf(int t) const {
    switch (t) {
      case 0:
        return m_.surnames.get();
      case 1:
        return m_.givenNames.get();
      case 2:
        return m_.places.get();
      default:
        return nullptr;
    }
  }

  std::unique_ptr<RowSplitter> Splitter(int t) {
    const auto k = static_cast<std::size_t>(t);
    loaders_[k].emplace(Schemas()[k], db_.get(), inserts_[k].get(), m_, DictionaryOf(t), first_,
                        count_, cause_);
    TableLoader* loader = &*loaders_[k];
    return std::make_unique<RowSplitter>(
        [loader](const RowSplitter::Cells& cells) { return loader->Take(cells); }, &lock_);
  }

  // The rows of the tables just written, read back.
  bool ReadTables() {
    for (int t = 0; t < kTableCount; ++t) {
      std::unique_ptr<RowSplitter> sink = Splitter(t);
      if (!ReadBack(base_ + kTableSuffixes[t], *sink, cause_)) return false;
    }
    return true;
  }

  // The rows as the tables' writers make them, straight into the database.
  bool WriteRows() {
    const Schema* schemas = Schemas().data();
    for (int t = 0; t < 3; ++t) {
      TableFile f;
      f.Open(Splitter(t));
      f.Raw(HeaderLine(schemas[t]));
      if (const Dictionary* d = DictionaryOf(t)) WriteCodeList(f, *d, true);
      if (!f.Close()) return false;
    }
    std::array<TableFile, 4> rows;
    for (int k = 0; k < 4; ++k) {
      rows[static_cast<std::size_t>(k)].Open(Splitter(3 + k));
      rows[static_cast<std::size_t>(k)].Raw(HeaderLine(schemas[3 + k]));
    }
    WriteTableRows(m_, rows[0], rows[1], rows[2], rows[3]);
    bool ok = true;
    for (TableFile& f : rows) ok = f.Close() && ok;
    return ok;
  }

  bool InsertConversion() {
    std::string sql = "INSERT INTO conversion VALUES (?";
    const int columns = 11 + static_cast<int>(std::size(kCountColumns));
    for (int c = 1; c < columns; ++c) sql += ", ?";
    sql += ")";
    sqlite3_stmt* raw = nullptr;
    int rc = sqlite3_prepare_v2(db_.get(), sql.c_str(), -1, &raw, nullptr);
    Statement insert(raw);
    if (rc != SQLITE_OK) {
      if (cause_.empty()) cause_ = Cause(db_.get(), rc);
      return false;
    }

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
    if (gmtime_r(&now, &utc) != nullptr) std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &utc);

    const std::string charset(CharsetName(m_.charset));
    const char* encoding = m_.tableEncoding == TableEncoding::kUtf8 ? "UTF-8" : "Windows-1252";
    int p = 0;
    sqlite3_bind_text(raw, ++p, source.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_int64(raw, ++p, m_.sourceSize);
    sqlite3_bind_text(raw, ++p, charset.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(raw, ++p, encoding, -1, SQLITE_STATIC);
    sqlite3_bind_int(raw, ++p, m_.readNotes ? 1 : 0);
    sqlite3_bind_int(raw, ++p, m_.properNames ? 1 : 0);
    sqlite3_bind_int(raw, ++p, options_.tables.refCounts ? 1 : 0);
    sqlite3_bind_int64(raw, ++p, m_.indiBase);
    sqlite3_bind_int64(raw, ++p, m_.famBase);
    sqlite3_bind_text(raw, ++p, options_.version.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(raw, ++p, when, -1, SQLITE_TRANSIENT);
    for (const auto& [name, member] : kCountColumns) sqlite3_bind_int(raw, ++p, m_.counts.*member);
    rc = sqlite3_step(raw);
    if (rc == SQLITE_DONE) return true;
    if (cause_.empty()) cause_ = Cause(db_.get(), rc);
    return false;
  }

  GedcomModel& m_;
  const DatabaseOptions& options_;
  std::string base_;
  Connection db_;
  std::array<Statement, kTableCount> inserts_;
  std::array<std::optional<TableLoader>, kTableCount> loaders_;
  std::array<std::int64_t, kTableCount> first_{};
  std::array<std::int64_t, kTableCount> count_{};
  std::mutex lock_;  // the connection is shared by the tables' sinks
  std::string cause_;
};

}  // namespace

std::size_t SortableDate(std::string_view date, int quality, TableEncoding encoding,
                         SortableDateText& text) {
  char* const out = text.data();
  // An odd code from 145 to 255 was normalised; one less is a standing-in event's.
  const int code = quality | 1;
  if (code < 145 || code > 255 || quality < 144) return 0;
  const int given = code - 145;
  if ((given & 8) == 0) return 0;  // no year: nothing to sort by
  // "day month year", as the normaliser writes it.
  const std::size_t first = date.find(' ');
  const std::size_t last = date.rfind(' ');
  if (first == std::string_view::npos || first == last || first == 0) return 0;
  const std::string_view dayText = date.substr(0, first);
  const std::string_view monthText = date.substr(first + 1, last - first - 1);
  const std::string_view yearText = date.substr(last + 1);
  std::int64_t day = 0, year = 0;
  if (!ParseNumber(dayText, day) || !ParseNumber(yearText, year) || dayText[0] == '-' ||
      yearText[0] == '-' || year > 9999999999) {
    return 0;
  }
  static const auto kNames = [] {
    std::array<std::array<std::string_view, 13>, 2> names{};
    for (int k = 1; k <= 12; ++k) {
      names[0][static_cast<std::size_t>(k)] = kMonthNames[k];
      names[1][static_cast<std::size_t>(k)] = kMonthNamesUtf8[k];
    }
    return names;
  }();
  const auto& names = kNames[encoding == TableEncoding::kUtf8 ? 1 : 0];
  int month = 0;
  for (int k = 1; k <= 12 && month == 0; ++k) {
    if (monthText == names[static_cast<std::size_t>(k)]) month = k;
  }
  if (month == 0 || day < 1 || day > 31) return 0;
  // The year with at least four digits, then the month and the day when given.
  char digits[12];
  int n = 0;
  for (std::int64_t y = year; y != 0 || n < 4; y /= 10) digits[n++] = static_cast<char>('0' + y % 10);
  std::size_t length = 0;
  while (n > 0) out[length++] = digits[--n];
  auto twoDigits = [&](int v) {
    out[length++] = '-';
    out[length++] = static_cast<char>('0' + v / 10);
    out[length++] = static_cast<char>('0' + v % 10);
  };
  if ((given & 4) != 0) {
    twoDigits(month);
    if ((given & 2) != 0) twoDigits(static_cast<int>(day));
  }
  return length;
}

DatabaseResult ExportDatabase(GedcomModel& m, const DatabaseOptions& options,
                              ProgressSink& progress) {
  DatabaseResult result;
  const std::optional<std::string> base = TableBaseName(
      m.sourcePath ? std::string_view(*m.sourcePath) : std::string_view(), options.tables.outputDir);
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
  struct stat st{};
  if (::stat(result.file.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return fail(std::strerror(EISDIR));

  TemporaryFile temp(result.file);
  if (temp.Path().empty()) return fail(std::strerror(temp.Error()));
  progress.Phase("Base SQLite en cours!");
  if (options.tables.indiBase) m.indiBase = *options.tables.indiBase;
  if (options.tables.famBase) m.famBase = *options.tables.famBase;
  {
    DatabaseBuilder builder(m, options, *base);
    std::string cause = builder.Build(temp.Path());
    if (!cause.empty()) return fail(std::move(cause));
  }
  if (::stat(temp.Path().c_str(), &st) == 0) result.bytesWritten = st.st_size;
  if (!temp.Replace()) return fail(std::strerror(temp.Error()));
  progress.Phase({});
  char line[64];
  std::snprintf(line, sizeof line, "Base SQLite %lld Kb",
                static_cast<long long>(result.bytesWritten / 1024));
  progress.Message(line);
  return result;
}

}  // namespace brimsel
