// Fuzzes the complete reader on an arbitrary byte string, with the character set, the threads
// and the part size drawn from the first byte: every line must land in some record's text,
// every table's ids must run from 1 without a gap, every reference must name a row, and the
// rows must be those of one thread reading the whole file.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "platform/line_reader.h"
#include "platform/utf16_source.h"
#include "records/complete_rows.h"

namespace {

using brimsel::Charset;

// The lines of the text as the line reader hands them out, as the reader should count them.
std::int64_t CountLines(const std::string& text, Charset set) {
  brimsel::StringSource source(text);
  std::optional<brimsel::Utf16Source> utf16;
  std::optional<brimsel::SkipSource> skipped;
  brimsel::ByteSource* from = &source;
  if (brimsel::IsUtf16(set)) {
    from = &utf16.emplace(source, set == Charset::kUtf16Be);
  } else {
    from = &skipped.emplace(
        source, brimsel::OwnByteOrderMarkSize(set, std::string_view(text).substr(0, 4)));
  }
  brimsel::LineReader reader(*from);
  std::int64_t lines = 0;
  reader.ForEach([&](brimsel::Line&) {
    ++lines;
    return true;
  });
  return lines;
}

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static constexpr Charset kSets[] = {Charset::kUtf8, Charset::kWindows1252, Charset::kAnsel,
                                      Charset::kUtf16Le};
  const Charset set = kSets[data[0] & 3];
  const int threads = 1 + (data[0] >> 2) % 3;
  const std::int64_t partBytes = 1 + (data[0] >> 4) * 8;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

  const auto parts =
      brimsel::test::ReadRows(text, {.charset = set, .threads = threads, .partBytes = partBytes});
  Check(parts->result.Read());
  Check(parts->sink.duplicateIds.empty());
  const auto& tables = parts->sink.tables;

  // Every line in exactly one record's text.
  std::int64_t lines = 0;
  if (const auto records = tables.find("record"); records != tables.end()) {
    for (const auto& [id, row] : records->second)
      lines += 1 + static_cast<std::int64_t>(std::count(row[3].begin(), row[3].end(), '\n'));
  }
  Check(lines == parts->result.lines);
  Check(lines == CountLines(text, set));

  for (const brimsel::TableSchema& t : brimsel::CompleteTables()) {
    const auto rows = tables.find(t.name);
    if (rows == tables.end()) continue;
    // Ids from 1 to the number of rows.
    Check(rows->second.begin()->first == 1 &&
          rows->second.rbegin()->first == static_cast<std::int64_t>(rows->second.size()));
    for (std::size_t c = 0; c < t.columns.size(); ++c) {
      if (t.columns[c].role != brimsel::ColumnRole::kReference) continue;
      const auto target = tables.find(t.columns[c].references);
      for (const auto& [id, row] : rows->second) {
        if (row[c] == "NULL") continue;
        Check(target != tables.end() && target->second.count(std::stoll(row[c])) == 1);
      }
    }
  }

  const auto whole = brimsel::test::ReadRows(text, {.charset = set});
  Check(whole->sink.tables == tables);
  return 0;
}
