// The rows of one part of a GEDCOM file: its records parsed line by line into the complete
// database's tables, with ids that the reader of the whole file completes.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/charset.h"
#include "platform/text_decoder.h"
#include "platform/typed_rows.h"
#include "records/complete_schema.h"
#include "records/xref_index.h"

namespace brimsel {

// What the first pass over the file learnt for the second: the records' cross-references, and
// the records whose cross-reference an earlier record has.
struct FileIndex {
  struct Duplicate {
    std::int64_t record;  // the record that repeats a cross-reference
    std::int64_t first;   // the record that has it first
  };
  XrefIndex xrefs;
  std::vector<Duplicate> duplicates;  // by record
};

// Where a part stands in the file, as the first pass over the file found.
struct PartStart {
  std::int64_t firstLine = 1;  // the file's line number of the part's first line
  std::int64_t records = 0;    // records before the part
  std::array<std::int64_t, kRecordKindCount> kinds{};  // records of each kind before the part
};

// A place text met in a part (in PartRows::placeNames), with the coordinates of its first
// occurrence that has them.
struct LocalPlace {
  std::size_t offset;
  std::size_t size;
  std::optional<double> latitude;
  std::optional<double> longitude;
};

// A CHIL line that names a person: its family, the person and its rank among the family's.
struct ChildLink {
  std::int64_t family;
  std::int64_t child;
  std::int64_t seq;
};

// The PEDI of a person's FAMC line: index into PartRows::pedigreeTexts.
struct PedigreeLink {
  std::int64_t child;
  std::int64_t family;
  std::uint32_t text;
};

// The rows one part gives. The records and the tables of their kinds (record, person, family,
// source, repository, media, submitter) carry their final ids. The other tables number their
// rows from 1 in the part (keys, and references between such tables); places are numbered by
// `places`; the reader adds each table's rows before the part.
struct PartRows {
  PartRows();
  // Empties the rows, keeping their memory for the next part.
  void Clear();

  std::array<RowBlock, kCompleteTableCount> blocks;
  std::array<std::int64_t, kCompleteTableCount> localIds{};  // ids numbered in the part
  // note_link rows whose `note` is the rank (from 0) of a NOTE or SNOTE record.
  RowBlock noteRecordLinks;
  // For each NOTE or SNOTE record of the part: its rank among them and its part's note id.
  std::vector<std::pair<std::int64_t, std::int64_t>> noteRecords;
  // family_child rows, numbered in the part by their order here.
  std::vector<ChildLink> children;
  std::vector<PedigreeLink> pedigrees;
  std::vector<std::string> pedigreeTexts;
  std::vector<LocalPlace> places;  // the part's place k is places[k - 1]
  std::string placeNames;          // their texts, one after the other
  std::string_view PlaceName(const LocalPlace& p) const {
    return std::string_view(placeNames).substr(p.offset, p.size);
  }
  std::int64_t lines = 0;
  std::int64_t records = 0;
  DecodeCounts decoded;
};

// Reads the lines of parts, one part after the other, into rows. Pointers are looked up in
// `index`, which no thread changes while parts are parsed. A parser keeps its buffers (and its
// text decoder) from part to part.
class RecordParser {
 public:
  RecordParser(const FileIndex& index, const FileCharset& charset);
  ~RecordParser();
  RecordParser(const RecordParser&) = delete;
  RecordParser& operator=(const RecordParser&) = delete;

  // Starts a part that begins at `start`; its rows go to `out` (cleared). Both must outlive
  // the part's lines.
  void Begin(const PartStart& start, PartRows& out);
  // One line, its line end excluded.
  void Line(std::string_view text);
  // Ends the last record.
  void Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace brimsel
