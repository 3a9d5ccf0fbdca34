// The complete reader's rows collected as texts, for the tests and the fuzzer: every table's
// rows by id, each cell a text ("NULL" for NULL).
#pragma once

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/byte_source.h"
#include "records/complete_reader.h"

namespace brimsel::test {

using Row = std::vector<std::string>;

inline std::string CellText(const Value& v) {
  switch (v.kind) {
    case Value::kNull:
      return "NULL";
    case Value::kInteger:
      return std::to_string(v.integer);
    case Value::kReal: {
      char text[32];
      std::snprintf(text, sizeof text, "%g", v.real);
      return text;
    }
    case Value::kText:
      return std::string(v.text);
  }
  return {};
}

// Keeps every row it is given, by table and id.
class CollectingSink final : public CompleteRowSink {
 public:
  bool Take(const RowBlock& rows) override {
    std::map<std::int64_t, Row>& table = tables[rows.Table().name];
    for (std::size_t r = 0; r < rows.Rows(); ++r) {
      Row row;
      for (std::size_t c = 0; c < rows.Columns(); ++c) row.push_back(CellText(rows.At(r, c)));
      const std::int64_t id = rows.At(r, 0).integer;
      if (!table.emplace(id, row).second)
        duplicateIds.push_back(std::string(rows.Table().name) + " " + row[0]);
    }
    return true;
  }
  std::map<std::string, std::map<std::int64_t, Row>> tables;
  std::vector<std::string> duplicateIds;
};

struct Database {
  CompleteReadResult result;
  CollectingSink sink;
  // The rows of `table`, each its `columns` joined by '|', by id.
  std::vector<std::string> Select(const std::string& table,
                                  const std::vector<std::string>& columns) const {
    std::vector<std::size_t> at;
    for (const TableSchema& t : CompleteTables()) {
      if (t.name != table) continue;
      for (const std::string& c : columns) {
        std::size_t i = 0;
        while (i < t.columns.size() && t.columns[i].name != c) ++i;
        at.push_back(i);
      }
    }
    std::vector<std::string> out;
    const auto found = sink.tables.find(table);
    if (found == sink.tables.end()) return out;
    for (const auto& [id, row] : found->second) {
      std::string line;
      for (std::size_t i = 0; i < at.size(); ++i) line += (i == 0 ? "" : "|") + row.at(at[i]);
      out.push_back(line);
    }
    return out;
  }
  std::size_t Count(const std::string& table) const {
    const auto found = sink.tables.find(table);
    return found == sink.tables.end() ? 0 : found->second.size();
  }
};

inline std::unique_ptr<Database> ReadRows(ByteSource& source, const CompleteReadOptions& options) {
  auto db = std::make_unique<Database>();
  db->result = ReadCompleteFile(source, options, db->sink);
  return db;
}

inline std::unique_ptr<Database> ReadRows(std::string gedcom, CompleteReadOptions options = {
                                                                  .charset = Charset::kUtf8}) {
  StringSource source(std::move(gedcom));
  return ReadRows(source, options);
}

}  // namespace brimsel::test
