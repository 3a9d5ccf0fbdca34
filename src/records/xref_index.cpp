// Record kinds and the compact index of cross-references.
#include "records/xref_index.h"

#include <cstring>
#include <limits>
#include <new>

namespace brimsel {

RecordKind RecordKindOfTag(std::string_view tag) {
  struct Pair {
    std::string_view tag;
    RecordKind kind;
  };
  static constexpr Pair kPairs[] = {
      {"INDI", RecordKind::kPerson},     {"FAM", RecordKind::kFamily},
      {"SOUR", RecordKind::kSource},     {"REPO", RecordKind::kRepository},
      {"OBJE", RecordKind::kMedia},      {"NOTE", RecordKind::kNote},
      {"SNOTE", RecordKind::kNote},      {"SUBM", RecordKind::kSubmitter},
      {"SUBN", RecordKind::kSubmission}, {"HEAD", RecordKind::kHead},
      {"TRLR", RecordKind::kTrailer},
  };
  for (const Pair& p : kPairs) {
    if (p.tag == tag) return p.kind;
  }
  return RecordKind::kOther;
}

const char* RecordKindName(RecordKind kind) {
  switch (kind) {
    case RecordKind::kPerson:
      return "INDI";
    case RecordKind::kFamily:
      return "FAM";
    case RecordKind::kSource:
      return "SOUR";
    case RecordKind::kRepository:
      return "REPO";
    case RecordKind::kMedia:
      return "OBJE";
    case RecordKind::kNote:
      return "NOTE";
    case RecordKind::kSubmitter:
      return "SUBM";
    case RecordKind::kSubmission:
      return "SUBN";
    case RecordKind::kHead:
      return "HEAD";
    case RecordKind::kTrailer:
      return "TRLR";
    case RecordKind::kNone:
    case RecordKind::kOther:
      break;
  }
  return "other";
}

std::string_view XrefIndex::TextOf(const Entry& e) const {
  if (e.size <= kInline) return {e.text, e.size};
  std::uint32_t offset;
  std::memcpy(&offset, e.text, sizeof offset);
  return {texts_.data() + offset, e.size};
}

std::uint64_t XrefIndex::Hash(std::string_view text) {
  // FNV-1a, then a final mix so that the low bits (the slot) and the high bits (kept in the
  // slot) both depend on every byte.
  std::uint64_t h = 0xcbf29ce484222325ull;
  for (char c : text) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  h ^= h >> 33;
  return h;
}

bool XrefIndex::Insert(std::string_view xref, const XrefTarget& target) {
  constexpr std::uint64_t kLimit = std::numeric_limits<std::uint32_t>::max();
  if (XrefTarget found; Find(xref, found)) return false;
  // The compact entries hold 32-bit numbers; a file past them is beyond any memory this runs in.
  if (texts_.size() + xref.size() > kLimit || static_cast<std::uint64_t>(target.record) > kLimit ||
      static_cast<std::uint64_t>(target.rank) > kLimit || entries_.size() >= kLimit / 2) {
    throw std::bad_alloc();
  }
  if ((entries_.size() + 1) * 2 > slots_.size()) Grow();
  Entry e{static_cast<std::uint32_t>(target.record), static_cast<std::uint32_t>(target.rank),
          static_cast<std::uint32_t>(xref.size()), target.kind, {}};
  if (xref.size() <= kInline) {
    std::memcpy(e.text, xref.data(), xref.size());
  } else {
    const auto offset = static_cast<std::uint32_t>(texts_.size());
    std::memcpy(e.text, &offset, sizeof offset);
    texts_.append(xref);
  }
  entries_.push_back(e);
  const std::uint64_t h = Hash(xref);
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = static_cast<std::size_t>(h) & mask;
  while (slots_[at] != 0) at = (at + 1) & mask;
  slots_[at] = (h & 0xFFFFFFFF00000000ull) | entries_.size();
  return true;
}

bool XrefIndex::Find(std::string_view xref, XrefTarget& target) const {
  if (slots_.empty()) return false;
  const std::uint64_t h = Hash(xref);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = static_cast<std::size_t>(h) & mask;; at = (at + 1) & mask) {
    const std::uint64_t s = slots_[at];
    if (s == 0) return false;
    if ((s & 0xFFFFFFFF00000000ull) != (h & 0xFFFFFFFF00000000ull)) continue;
    const Entry& e = entries_[(s & 0xFFFFFFFFull) - 1];
    if (TextOf(e) == xref) {
      target = {e.record, e.rank, e.kind};
      return true;
    }
  }
}

void XrefIndex::Grow() {
  const std::size_t size = slots_.empty() ? 1024 : slots_.size() * 2;
  std::vector<std::uint64_t> slots(size, 0);
  const std::size_t mask = size - 1;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const std::uint64_t h = Hash(TextOf(entries_[i]));
    std::size_t at = static_cast<std::size_t>(h) & mask;
    while (slots[at] != 0) at = (at + 1) & mask;
    slots[at] = (h & 0xFFFFFFFF00000000ull) | (i + 1);
  }
  slots_ = std::move(slots);
}

}  // namespace brimsel
