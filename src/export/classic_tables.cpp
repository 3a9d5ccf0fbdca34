// The descriptions of the seven tables.
#include "export/classic_tables.h"

namespace brimsel {
namespace {

constexpr auto kInteger = ColumnType::kInteger;
constexpr auto kText = ColumnType::kText;
constexpr auto kKey = ColumnRole::kKey;
constexpr auto kRequired = ColumnRole::kRequired;
constexpr auto kOptional = ColumnRole::kOptional;
constexpr auto kReference = ColumnRole::kReference;
constexpr auto kAlways = TsvColumn::kAlways;

// A code list: its code, the reference count, the text.
ClassicTableDescription CodeListTable(ClassicTable table, const char* suffix, CodeList list,
                                      const char* name, const char* key) {
  return {table,
          suffix,
          list,
          {name, {{key, kInteger, kKey}, {"NBREF", kInteger, kRequired}, {name, kText, kOptional}}},
          {kAlways, TsvColumn::kWithRefCounts, kAlways}};
}

// A reference to the table `target`, indexed where it is not NULL.
ColumnSchema Reference(const char* name, const char* target) {
  return {name, kInteger, kReference, target, true};
}

}  // namespace

const char* const kTableSuffixes[kClassicTableCount] = {
    "_NAME.txt", "_SURNAME.txt",  "_PLAC.txt",    "_INDI.txt",
    "_FAM.txt",  "_INDInote.txt", "_FAMnote.txt",
};

const std::array<ClassicTableDescription, kClassicTableCount>& ClassicTables() {
  static const std::array<ClassicTableDescription, kClassicTableCount> tables = {{
      CodeListTable(ClassicTable::kFamilyNames, kTableSuffixes[0], CodeList::kFamilyNames,
                    "NAME", "C_NAME"),
      CodeListTable(ClassicTable::kGivenNames, kTableSuffixes[1], CodeList::kGivenNames,
                    "SURNAME", "C_SURNAME"),
      CodeListTable(ClassicTable::kPlaces, kTableSuffixes[2], CodeList::kPlaces, "PLAC",
                    "C_PLAC"),
      {ClassicTable::kIndividuals,
       kTableSuffixes[3],
       CodeList::kNone,
       {"INDI",
        {{"INDI", kInteger, kKey},
         Reference("FAM", "FAM"),
         {"S", kInteger, kRequired},
         Reference("PRE", "SURNAME"),
         Reference("CNOM", "NAME"),
         {"DAT1", kText, kOptional},
         {"DAT1_ISO", kText, kOptional},
         {"QD1", kInteger, kRequired},
         Reference("PL1", "PLAC"),
         {"DAT2", kText, kOptional},
         {"DAT2_ISO", kText, kOptional},
         {"QD2", kInteger, kRequired},
         Reference("PL2", "PLAC"),
         {"OCCU", kText, kOptional}}},
       {kAlways, kAlways, kAlways, kAlways, kAlways, kAlways, TsvColumn::kNever, kAlways,
        kAlways, kAlways, TsvColumn::kNever, kAlways, kAlways, kAlways}},
      {ClassicTable::kUnions,
       kTableSuffixes[4],
       CodeList::kNone,
       {"FAM",
        {{"FAM", kInteger, kKey},
         Reference("HUSB", "INDI"),
         Reference("WIFE", "INDI"),
         {"DAT", kText, kOptional},
         {"DAT_ISO", kText, kOptional},
         {"QD", kInteger, kRequired},
         Reference("C_PLACSTART", "PLAC")}},
       {kAlways, kAlways, kAlways, kAlways, TsvColumn::kNever, kAlways, kAlways}},
      {ClassicTable::kIndividualNotes,
       kTableSuffixes[5],
       CodeList::kNone,
       {"INDInote", {Reference("INDI", "INDI"), {"NOTE", kText, kOptional}}},
       {kAlways, kAlways}},
      {ClassicTable::kUnionNotes,
       kTableSuffixes[6],
       CodeList::kNone,
       {"FAMnote", {Reference("FAM", "FAM"), {"NOTE", kText, kOptional}}},
       {kAlways, kAlways}},
  }};
  return tables;
}

std::string TsvHeader(const ClassicTableDescription& table, bool refCounts) {
  std::string line;
  for (std::size_t c = 0; c < table.schema.columns.size(); ++c) {
    const TsvColumn where = table.tsv[c];
    if (where == TsvColumn::kNever || (where == TsvColumn::kWithRefCounts && !refCounts)) continue;
    if (!line.empty()) line += '\t';
    line += table.schema.columns[c].name;
  }
  return line + "\n";
}

}  // namespace brimsel
