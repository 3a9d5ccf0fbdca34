// The record of the conversion and the views of the seven tables.
#include "export/classic_database.h"

#include <array>
#include <chrono>
#include <ctime>

#include "platform/code_page.h"
#include "platform/utf8.h"

namespace brimsel {
namespace {

// The counts of the conversion, as columns of "conversion" after its eleven first ones.
struct CountColumn {
  const char* name;
  int ConversionCounts::*count;
};
constexpr std::array<CountColumn, 19> kCountColumns = {{
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

// The source's name as the user gave it: UTF-8 when it reads as such, else Windows-1252.
std::string SourceNameInUtf8(const std::string& source) {
  for (std::size_t i = 0; i < source.size();) {
    char32_t cp = 0;
    const std::size_t n = Utf8SequenceAt(std::string_view(source).substr(i), cp);
    if (n == 0) return Cp1252ToUtf8(source);
    i += n;
  }
  return source;
}

}  // namespace

const TableSchema& ConversionTable() {
  static const TableSchema table = [] {
    constexpr auto kInteger = ColumnType::kInteger;
    constexpr auto kText = ColumnType::kText;
    TableSchema t{"conversion",
                  {{"source", kText},
                   {"source_size", kInteger},
                   {"charset", kText},
                   {"table_encoding", kText},
                   {"notes", kInteger},
                   {"proper_names", kInteger},
                   {"nbref", kInteger},
                   {"indi_base", kInteger},
                   {"fam_base", kInteger},
                   {"version", kText},
                   {"converted_at", kText}}};
    for (const CountColumn& c : kCountColumns) t.columns.push_back({c.name, kInteger});
    return t;
  }();
  return table;
}

RowBlock ConversionRow(const GedcomModel& model, bool refCounts, NumberingBases bases,
                       const std::string& version) {
  RowBlock row(ConversionTable());
  char when[32] = {};
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm utc{};
  if (gmtime_r(&now, &utc) != nullptr) std::strftime(when, sizeof when, "%Y-%m-%dT%H:%M:%SZ", &utc);
  // A set chosen by name is recorded by ICU's name for it.
  const std::string charset = model.charset.kind == Charset::kConverter
                                  ? model.charset.converter
                                  : std::string(CharsetName(model.charset.kind));
  row.Text(SourceNameInUtf8(model.sourcePath.value_or("")));
  row.Integer(model.sourceSize);
  row.Text(charset);
  row.Text(model.tableEncoding == TableEncoding::kUtf8 ? "UTF-8" : "Windows-1252");
  row.Integer(model.readNotes ? 1 : 0);
  row.Integer(model.properNames ? 1 : 0);
  row.Integer(refCounts ? 1 : 0);
  row.Integer(bases.individuals);
  row.Integer(bases.unions);
  row.Text(version);
  row.Text(when);
  for (const CountColumn& c : kCountColumns) row.Integer(model.counts.*c.count);
  return row;
}

const char* const kClassicViewSql[2] = {
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

}  // namespace brimsel
