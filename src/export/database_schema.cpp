// The database's schema as data, and the statements made from it.
#include "export/database_schema.h"

namespace brimsel {

const std::array<DatabaseTable, kTableCount>& DatabaseTables() {
  static const std::array<DatabaseTable, kTableCount> tables = {{
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
  return tables;
}

const char* const kCreateViewSql[2] = {
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

const std::array<CountColumn, 19> kCountColumns = {{
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
}};

namespace {

// The first eleven columns of "conversion": the source, the options, the version, the time.
constexpr const char* kConversionColumns =
    "source TEXT, source_size INTEGER, charset TEXT, table_encoding TEXT, notes INTEGER,"
    " proper_names INTEGER, nbref INTEGER, indi_base INTEGER, fam_base INTEGER, version TEXT,"
    " converted_at TEXT";
constexpr int kConversionHead = 11;

std::string Placeholders(std::size_t count) {
  std::string list = "(?";
  for (std::size_t k = 1; k < count; ++k) list += ", ?";
  return list + ")";
}

}  // namespace

std::string CreateTableSql(const DatabaseTable& table) {
  std::string sql = std::string("CREATE TABLE ") + table.name + " (";
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    const DatabaseColumn& column = table.columns[c];
    if (c != 0) sql += ", ";
    sql += column.name;
    switch (column.cell) {
      case Cell::kKey:
        sql += " INTEGER PRIMARY KEY";
        break;
      case Cell::kNumber:
      case Cell::kRefCount:
        sql += " INTEGER NOT NULL";
        break;
      case Cell::kReference:
      case Cell::kParents: {
        const DatabaseTable& target = DatabaseTables()[static_cast<std::size_t>(column.references)];
        sql +=
            std::string(" INTEGER REFERENCES ") + target.name + "(" + target.columns[0].name + ")";
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

std::string CreateConversionSql() {
  std::string sql = std::string("CREATE TABLE conversion (") + kConversionColumns;
  for (const CountColumn& c : kCountColumns) sql += std::string(", ") + c.name + " INTEGER";
  return sql + ")";
}

std::vector<std::string> CreateIndexSql() {
  std::vector<std::string> statements;
  for (const DatabaseTable& t : DatabaseTables()) {
    for (const DatabaseColumn& c : t.columns) {
      if (c.cell != Cell::kReference && c.cell != Cell::kParents) continue;
      statements.push_back(std::string("CREATE INDEX ") + t.name + "_" + c.name + " ON " + t.name +
                           "(" + c.name + ") WHERE " + c.name + " IS NOT NULL");
    }
  }
  return statements;
}

std::string InsertSql(const DatabaseTable& table, int rows) {
  const std::string row = Placeholders(table.columns.size());
  std::string sql = std::string("INSERT INTO ") + table.name + " VALUES " + row;
  for (int r = 1; r < rows; ++r) sql += ", " + row;
  return sql;
}

std::string InsertConversionSql() {
  return "INSERT INTO conversion VALUES " + Placeholders(kConversionHead + kCountColumns.size());
}

std::string HeaderLine(const DatabaseTable& table) {
  std::string line;
  for (const DatabaseColumn& c : table.columns) {
    if (c.cell == Cell::kSortable) continue;
    if (!line.empty()) line += '\t';
    line += c.name;
  }
  return line + "\n";
}

}  // namespace brimsel
