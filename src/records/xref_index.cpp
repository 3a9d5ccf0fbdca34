// Record kinds and the compact index of cross-references.
#include "records/xref_index.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace brimsel {

RecordKind RecordKindOfTag(std::string_view tag) {
  // Every level-0 line comes here twice: the four-letter tags are compared as one word.
  if (tag.size() == 4) {
    const auto word = [](const char* t) {
      std::uint32_t w;
      std::memcpy(&w, t, 4);
      return w;
    };
    const std::uint32_t w = word(tag.data());
    struct Pair {
      const char* tag;
      RecordKind kind;
    };
    static constexpr Pair kPairs[] = {
        {"INDI", RecordKind::kPerson},     {"SOUR", RecordKind::kSource},
        {"REPO", RecordKind::kRepository}, {"OBJE", RecordKind::kMedia},
        {"NOTE", RecordKind::kNote},       {"SUBM", RecordKind::kSubmitter},
        {"SUBN", RecordKind::kSubmission}, {"HEAD", RecordKind::kHead},
        {"TRLR", RecordKind::kTrailer},
    };
    for (const Pair& p : kPairs) {
      if (word(p.tag) == w) return p.kind;
    }
    return RecordKind::kOther;
  }
  if (tag == "FAM") return RecordKind::kFamily;
  if (tag == "SNOTE") return RecordKind::kNote;
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

bool XrefIndex::SplitNumbered(std::string_view xref, std::string_view& prefix,
                              std::uint32_t& number) {
  std::size_t i = 0;
  while (i < xref.size() && ((xref[i] >= 'A' && xref[i] <= 'Z') ||
                             (xref[i] >= 'a' && xref[i] <= 'z') || xref[i] == '_'))
    ++i;
  const std::size_t digits = xref.size() - i;
  if (i == 0 || i > 7 || digits == 0 || digits > 9 || (xref[i] == '0' && digits > 1)) return false;
  std::uint32_t n = 0;
  for (std::size_t k = i; k < xref.size(); ++k) {
    if (xref[k] < '0' || xref[k] > '9') return false;
    n = n * 10 + static_cast<std::uint32_t>(xref[k] - '0');
  }
  prefix = xref.substr(0, i);
  number = n;
  return true;
}

const XrefIndex::Series* XrefIndex::SeriesOf(std::string_view prefix) const {
  for (const Series& s : series_) {
    if (s.prefix == prefix) return &s;
  }
  return nullptr;
}

XrefIndex::Numbered* XrefIndex::NumberedSlot(std::string_view prefix, std::uint32_t number,
                                             Series*& series) {
  series = nullptr;
  for (Series& s : series_) {
    if (s.prefix == prefix) series = &s;
  }
  if (series == nullptr) {
    if (series_.size() == kMostSeries) return nullptr;
    series = &series_.emplace_back();
    series->prefix = std::string(prefix);
  }
  std::vector<Numbered>& table = series->byNumber;
  if (number >= table.size()) {
    // The table grows to twice its size at least, and never far past the cross-references it
    // holds: a number far out goes to the hashed table.
    const std::size_t limit = 2 * (series->count + 1) + 4096;
    if (number >= limit) return nullptr;
    table.resize(std::min(std::max<std::size_t>(number + 1, 2 * table.size()), limit));
  }
  return &table[number];
}

bool XrefIndex::Insert(std::string_view xref, const XrefTarget& target) {
  constexpr std::uint64_t kLimit = std::numeric_limits<std::uint32_t>::max();
  // The compact tables hold 32-bit numbers; a file past them is beyond any memory this runs in.
  if (static_cast<std::uint64_t>(target.record) > kLimit ||
      static_cast<std::uint64_t>(target.rank) > kLimit) {
    throw std::bad_alloc();
  }
  XrefTarget found;
  std::string_view prefix;
  std::uint32_t number = 0;
  if (SplitNumbered(xref, prefix, number)) {
    Series* series = nullptr;
    if (Numbered* slot = NumberedSlot(prefix, number, series)) {
      // A number the table did not reach when it was first met went to the hashed table.
      if (slot->kind != RecordKind::kNone || FindHashed(xref, found)) return false;
      *slot = {static_cast<std::uint32_t>(target.record), static_cast<std::uint32_t>(target.rank),
               target.kind};
      ++series->count;
      ++size_;
      return true;
    }
  }
  if (FindHashed(xref, found)) return false;
  ++size_;
  return InsertHashed(xref, target);
}

bool XrefIndex::Find(std::string_view xref, XrefTarget& target) const {
  std::string_view prefix;
  std::uint32_t number = 0;
  if (SplitNumbered(xref, prefix, number)) {
    if (const Series* series = SeriesOf(prefix);
        series != nullptr && number < series->byNumber.size()) {
      const Numbered& n = series->byNumber[number];
      if (n.kind != RecordKind::kNone) {
        target = {n.record, n.rank, n.kind};
        return true;
      }
    }
  }
  return FindHashed(xref, target);
}

bool XrefIndex::InsertHashed(std::string_view xref, const XrefTarget& target) {
  constexpr std::uint64_t kLimit = std::numeric_limits<std::uint32_t>::max();
  if (texts_.size() + xref.size() > kLimit || entries_.size() >= kLimit / 2) throw std::bad_alloc();
  if (entries_.size() + 1 > MostEntries(slots_.size()))
    Resize(slots_.empty() ? 1024 : slots_.size() * 2);
  Entry e{static_cast<std::uint32_t>(target.record),
          static_cast<std::uint32_t>(target.rank),
          static_cast<std::uint32_t>(xref.size()),
          target.kind,
          {}};
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

bool XrefIndex::FindHashed(std::string_view xref, XrefTarget& target) const {
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

void XrefIndex::Resize(std::size_t size) {
  // The entries are placed again from their texts: the old table goes first, so that both
  // never take memory at once.
  slots_ = {};
  slots_.assign(size, 0);
  const std::size_t mask = size - 1;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    const std::uint64_t h = Hash(TextOf(entries_[i]));
    std::size_t at = static_cast<std::size_t>(h) & mask;
    while (slots_[at] != 0) at = (at + 1) & mask;
    slots_[at] = (h & 0xFFFFFFFF00000000ull) | (i + 1);
  }
}

}  // namespace brimsel
