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

// Cross-references to records, kept compactly: a table of 24-byte entries that hold short
// cross-references themselves (longer ones in a shared buffer), and an open-addressed table of
// 8-byte slots. A lookup reads one slot and one entry. Filled by one thread; read by many once
// filled.
class XrefIndex {
 public:
  // Adds `xref`; false, with nothing changed, when it is already there (the first record that
  // has a cross-reference keeps it).
  bool Insert(std::string_view xref, const XrefTarget& target);
  // The record `xref` names, or false.
  bool Find(std::string_view xref, XrefTarget& target) const;
  std::size_t Size() const { return entries_.size(); }

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
  static std::uint64_t Hash(std::string_view text);
  std::string_view TextOf(const Entry& e) const;
  void Grow();

  std::string texts_;
  std::vector<Entry> entries_;
  // Each slot: the hash's high 32 bits, then the entry's index plus one; 0 when free.
  std::vector<std::uint64_t> slots_;
};

}  // namespace brimsel
