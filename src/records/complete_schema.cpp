// The complete database's tables as data, and its views.
#include "records/complete_schema.h"

namespace brimsel {
namespace {

constexpr ColumnType kInt = ColumnType::kInteger;
constexpr ColumnType kText = ColumnType::kText;
constexpr ColumnType kReal = ColumnType::kReal;

ColumnSchema Key() {
  return {"id", kInt, ColumnRole::kKey};
}
ColumnSchema Required(const char* name, ColumnType type) {
  return {name, type, ColumnRole::kRequired};
}
ColumnSchema Optional(const char* name, ColumnType type = kText) {
  return {name, type};
}
ColumnSchema Reference(const char* name, const char* table, bool indexed = false) {
  return {name, kInt, ColumnRole::kReference, table, indexed};
}
// An indexed reference whose values the reader hands out in ascending order: the rows of a
// record's structures come in file order, and so do their owners.
ColumnSchema Ascending(const char* name, const char* table) {
  return {name, kInt, ColumnRole::kReference, table, true, true};
}

// Restriction, change and creation, which every typed record carries.
void AddRecordTail(TableSchema& t) {
  t.columns.push_back(Optional("restriction"));
  t.columns.push_back(Optional("changed"));
  t.columns.push_back(Optional("created"));
}

// What a date column set holds, after the DATE text itself.
void AddDateColumns(TableSchema& t) {
  t.columns.push_back(Optional("date"));
  t.columns.push_back(Optional("date_from"));
  t.columns.push_back(Optional("date_to"));
  t.columns.push_back(Optional("date_qualifier"));
  t.columns.push_back(Optional("calendar"));
  t.columns.push_back(Optional("sort_day", kInt));
  t.columns.push_back(Optional("date_phrase"));
}

std::vector<TableSchema> MakeTables() {
  std::vector<TableSchema> t(kCompleteTableCount);
  const auto at = [&](CompleteTable table) -> TableSchema& {
    return t[static_cast<std::size_t>(table)];
  };

  at(CompleteTable::kRecord) = {
      "record",
      {Key(), Optional("tag"), Optional("xref"), Required("text", kText), Required("line", kInt)}};
  at(CompleteTable::kPerson) = {
      "person", {Key(), Reference("record", "record"), Optional("xref"), Optional("sex")}};
  AddRecordTail(at(CompleteTable::kPerson));
  at(CompleteTable::kFamily) = {
      "family",
      {Key(), Reference("record", "record"), Optional("xref"), Reference("husband", "person", true),
       Reference("wife", "person", true)}};
  AddRecordTail(at(CompleteTable::kFamily));
  at(CompleteTable::kSource) = {"source",
                                {Key(), Reference("record", "record"), Optional("xref"),
                                 Optional("title"), Optional("author"), Optional("publication"),
                                 Optional("abbreviation"), Optional("text"), Optional("agency")}};
  AddRecordTail(at(CompleteTable::kSource));
  at(CompleteTable::kRepository) = {
      "repository",
      {Key(), Reference("record", "record"), Optional("xref"), Optional("name"),
       Optional("address"), Optional("phone"), Optional("email"), Optional("website")}};
  AddRecordTail(at(CompleteTable::kRepository));
  at(CompleteTable::kMedia) = {
      "media",
      {Key(), Reference("record", "record"), Optional("xref"), Optional("file"), Optional("format"),
       Optional("medium"), Optional("title")}};
  AddRecordTail(at(CompleteTable::kMedia));
  at(CompleteTable::kSubmitter) = {"submitter",
                                   {Key(), Reference("record", "record"), Optional("xref"),
                                    Optional("name"), Optional("address"), Optional("phone"),
                                    Optional("email"), Optional("website"), Optional("language")}};
  AddRecordTail(at(CompleteTable::kSubmitter));
  at(CompleteTable::kNote) = {"note",
                              {Key(), Reference("record", "record"), Optional("xref"),
                               Required("text", kText), Optional("mime"), Optional("language")}};
  AddRecordTail(at(CompleteTable::kNote));
  at(CompleteTable::kPlace) = {"place",
                               {Key(), Required("name", kText), Reference("parent", "place", true),
                                Optional("latitude", kReal), Optional("longitude", kReal)}};
  at(CompleteTable::kPersonName) = {
      "person_name",
      {Key(), Ascending("person", "person"), Required("seq", kInt), Optional("value"),
       Optional("given"), Optional("surname"), Optional("type"), Optional("prefix"),
       Optional("suffix"), Optional("nickname"), Optional("surname_prefix")}};
  at(CompleteTable::kPersonFamily) = {
      "person_family",
      {Key(), Ascending("person", "person"), Reference("family", "family"),
       Required("tag", kText), Required("seq", kInt), Optional("pedigree"), Optional("status")}};
  at(CompleteTable::kFamilyChild) = {
      "family_child",
      {Key(), Ascending("family", "family"), Reference("child", "person", true),
       Required("seq", kInt), Optional("pedigree")}};
  TableSchema& event = at(CompleteTable::kEvent);
  event = {"event",
           {Key(), Ascending("person", "person"), Ascending("family", "family"),
            Required("seq", kInt), Required("tag", kText), Optional("type"), Optional("value")}};
  AddDateColumns(event);
  for (ColumnSchema c :
       {Optional("sort_date"), Reference("place", "place", true), Optional("age"),
        Optional("husband_age"), Optional("wife_age"), Optional("cause"), Optional("agency"),
        Optional("religion"), Optional("address"), Optional("restriction"), Optional("temple"),
        Optional("status"), Reference("child_of", "family"), Optional("adopted_by")}) {
    event.columns.push_back(c);
  }
  at(CompleteTable::kAssociation) = {
      "association",
      {Key(), Reference("associate", "person", true), Optional("relation"), Optional("phrase"),
       Reference("record", "record"), Reference("person", "person", true),
       Reference("family", "family"), Reference("event", "event")}};
  TableSchema& citation = at(CompleteTable::kCitation);
  citation = {
      "citation",
      {Key(), Reference("source", "source", true), Optional("page"), Optional("quality", kInt)}};
  AddDateColumns(citation);
  for (ColumnSchema c : {Optional("text"), Optional("description"), Optional("event_type"),
                         Optional("role"), Reference("record", "record"),
                         Reference("person", "person"), Reference("family", "family"),
                         Ascending("event", "event"), Reference("person_name", "person_name"),
                         Reference("association", "association"), Reference("note", "note")}) {
    citation.columns.push_back(c);
  }
  at(CompleteTable::kNoteLink) = {
      "note_link",
      {Key(), Reference("note", "note", true), Reference("record", "record"),
       Ascending("person", "person"), Ascending("family", "family"),
       Reference("source", "source"), Reference("media", "media"),
       Ascending("event", "event"), Reference("person_name", "person_name"),
       Reference("citation", "citation"), Reference("association", "association")}};
  at(CompleteTable::kMediaLink) = {
      "media_link",
      {Key(), Reference("media", "media", true), Optional("file"), Optional("format"),
       Optional("title"), Reference("record", "record"), Reference("person", "person", true),
       Reference("family", "family", true), Reference("source", "source"),
       Reference("event", "event"), Reference("citation", "citation")}};
  at(CompleteTable::kSourceRepository) = {
      "source_repository",
      {Key(), Reference("source", "source", true), Reference("repository", "repository", true),
       Optional("call_number"), Optional("medium")}};
  at(CompleteTable::kIdentifier) = {
      "identifier",
      {Key(), Required("tag", kText), Optional("value"), Optional("type"),
       Reference("record", "record", true), Reference("person", "person"),
       Reference("family", "family"), Reference("event", "event")}};
  at(CompleteTable::kPlaceLink) = {"place_link",
                                   {Key(), Reference("place", "place", true), Optional("tag"),
                                    Reference("record", "record"), Reference("person", "person"),
                                    Reference("family", "family"), Reference("source", "source")}};
  at(CompleteTable::kTranslation) = {
      "translation",
      {Key(), Optional("value"), Optional("language"), Optional("mime"),
       Reference("record", "record"), Reference("person_name", "person_name"),
       Reference("note", "note"), Reference("place", "place"), Reference("media", "media")}};
  at(CompleteTable::kImportIssue) = {
      "import_issue",
      {Key(), Required("line", kInt), Reference("record", "record"), Required("message", kText)}};
  return t;
}

}  // namespace

const std::vector<TableSchema>& CompleteTables() {
  static const std::vector<TableSchema> tables = MakeTables();
  return tables;
}

// The first NAME and the first birth (else christening or baptism), death (else burial) and
// marriage by their order in the record; the parents from the person's first FAMC, else the
// first family that names the person a child.
const char* const kCompleteViewSql[kCompleteViewCount] = {
    "CREATE VIEW person_summary AS SELECT p.id AS person, p.xref AS xref,"
    " n.value AS name, n.given AS given, n.surname AS surname, p.sex AS sex,"
    " b.date AS birth_date, bp.name AS birth_place, d.date AS death_date, dp.name AS death_place,"
    " f.husband AS father, fn.value AS father_name, f.wife AS mother, mn.value AS mother_name"
    " FROM person p"
    " LEFT JOIN person_name n ON n.id ="
    " (SELECT x.id FROM person_name x WHERE x.person = p.id ORDER BY x.seq LIMIT 1)"
    " LEFT JOIN event b ON b.id = (SELECT x.id FROM event x WHERE x.person = p.id"
    " AND x.tag IN ('BIRT', 'CHR', 'BAPM') ORDER BY x.tag <> 'BIRT', x.seq LIMIT 1)"
    " LEFT JOIN place bp ON bp.id = b.place"
    " LEFT JOIN event d ON d.id = (SELECT x.id FROM event x WHERE x.person = p.id"
    " AND x.tag IN ('DEAT', 'BURI') ORDER BY x.tag <> 'DEAT', x.seq LIMIT 1)"
    " LEFT JOIN place dp ON dp.id = d.place"
    " LEFT JOIN family f ON f.id = COALESCE("
    "(SELECT x.family FROM person_family x WHERE x.person = p.id AND x.tag = 'FAMC'"
    " ORDER BY x.seq LIMIT 1),"
    " (SELECT x.family FROM family_child x WHERE x.child = p.id ORDER BY x.id LIMIT 1))"
    " LEFT JOIN person_name fn ON fn.id ="
    " (SELECT x.id FROM person_name x WHERE x.person = f.husband ORDER BY x.seq LIMIT 1)"
    " LEFT JOIN person_name mn ON mn.id ="
    " (SELECT x.id FROM person_name x WHERE x.person = f.wife ORDER BY x.seq LIMIT 1)",
    "CREATE VIEW family_summary AS SELECT f.id AS family, f.xref AS xref,"
    " f.husband AS husband, hn.value AS husband_name, f.wife AS wife, wn.value AS wife_name,"
    " m.date AS marriage_date, mp.name AS marriage_place,"
    " (SELECT COUNT(*) FROM family_child x WHERE x.family = f.id) AS children"
    " FROM family f"
    " LEFT JOIN person_name hn ON hn.id ="
    " (SELECT x.id FROM person_name x WHERE x.person = f.husband ORDER BY x.seq LIMIT 1)"
    " LEFT JOIN person_name wn ON wn.id ="
    " (SELECT x.id FROM person_name x WHERE x.person = f.wife ORDER BY x.seq LIMIT 1)"
    " LEFT JOIN event m ON m.id = (SELECT x.id FROM event x WHERE x.family = f.id"
    " AND x.tag = 'MARR' ORDER BY x.seq LIMIT 1)"
    " LEFT JOIN place mp ON mp.id = m.place",
};

}  // namespace brimsel
