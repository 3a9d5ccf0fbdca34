// The kinds of GEDCOM records and the index of their cross-references, which turns a pointer
// into the ids of the record it names.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace brimsel {

// What a level-0 line opens. kNone: the lines before the first level-0 line.
enum class RecordKind : std::uint8_t {
  kNone,
  kHead,
  kPerson,
  kFamily,
  kSource,
  kRepository,
  kMedia,
  kNote,  // NOTE and GEDCOM 7's SNOTE
  kSubmitter,
  kSubmission,
  kTrailer,
  kOther,
};
inline constexpr std::size_t kRecordKindCount = static_cast<std::size_t>(RecordKind::kOther) + 1;

RecordKind RecordKindOfTag(std::string_view tag);
// The tag a pointer to this kind is expected to name, for messages: "INDI", "FAM", ...
const char* RecordKindName(RecordKind kind);

// The record a cross-reference names: its id in the record table, its kind, and its rank among
// the records of that kind (0 for the first), which is its id, less one, in the kind's table.
struct XrefTarget {
  std::int64_t record = 0;
  std::int64_t rank = 0;
  RecordKind kind = RecordKind::kNone;
};

// Cross-references to records, kept compactly. Those made of a few letters and a number
// ("I12", "F3": nearly all of them) sit in a table per prefix, indexed by the number: a lookup
// reads one 12-byte slot. The others sit in a table of 24-byte entries that hold short
// cross-references themselves (longer ones in a shared buffer), found through an open-addressed
// table of 8-byte slots. Filled by one thread; read by many once filled.
class XrefIndex {
 public:
  // Adds `xref`; false, with nothing changed, when it is already there (the first record that
  // has a cross-reference keeps it).
  bool Insert(std::string_view xref, const XrefTarget& target);
  // The record `xref` names, or false.
  bool Find(std::string_view xref, XrefTarget& target) const;
  std::size_t Size() const { return size_; }

 private:
  // Cross-references this long or shorter stay in their entry.
  static constexpr std::size_t kInline = 11;
  struct Entry {
    std::uint32_t record;
    std::uint32_t rank;
    std::uint32_t size;
    RecordKind kind;
    char text[kInline];  // the text, or for a longer one its offset in texts_
  };
  // The records of the cross-references of one prefix, by number; kind kNone where none.
  struct Numbered {
    std::uint32_t record = 0;
    std::uint32_t rank = 0;
    RecordKind kind = RecordKind::kNone;
  };
  struct Series {
    std::string prefix;
    std::vector<Numbered> byNumber;
    std::size_t count = 0;
  };
  static constexpr std::size_t kMostSeries = 32;
  // Splits a cross-reference into a prefix of one to seven letters or '_' and a number of one
  // to nine digits without a leading zero: each such text is the only one of its prefix and
  // number. False for any other text.
  static bool SplitNumbered(std::string_view xref, std::string_view& prefix, std::uint32_t& number);
  const Series* SeriesOf(std::string_view prefix) const;
  // The slot of `number` in its series, made when the table may grow to it, or null; `series`
  // receives the series.
  Numbered* NumberedSlot(std::string_view prefix, std::uint32_t number, Series*& series);
  bool InsertHashed(std::string_view xref, const XrefTarget& target);
  bool FindHashed(std::string_view xref, XrefTarget& target) const;
  static std::uint64_t Hash(std::string_view text);
  std::string_view TextOf(const Entry& e) const;
  // Fills a table of `size` free slots.
  void Resize(std::size_t size);
  // Most entries for a number of slots: seven tenths, where a lookup reads two slots or so.
  static std::size_t MostEntries(std::size_t slots) { return slots / 10 * 7; }

  std::size_t size_ = 0;
  std::vector<Series> series_;
  std::string texts_;
  std::vector<Entry> entries_;
  // Each slot: the hash's high 32 bits, then the entry's index plus one; 0 when free.
  std::vector<std::uint64_t> slots_;
};

}  // namespace brimsel
