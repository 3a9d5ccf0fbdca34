// Record lookup by cross-reference number: the index built once, then searches that only read.
#include "engine/record_lookup.h"

#include <algorithm>
#include <cstdint>

namespace brimsel {

namespace {

// The records a lookup covers: those the model counted, at most those its array holds.
template <class Record>
int Covered(const HugeArray<Record>& records, int counted) {
  return std::clamp<int>(counted, 0,
                         static_cast<int>(std::min<std::size_t>(records.size(), INT32_MAX)));
}

}  // namespace

RecordLookup::RecordLookup(const GedcomModel& model)
    : model_(model),
      individuals_(Build(model.individuals, Covered(model.individuals, model.counts.individuals))),
      unions_(Build(model.unions, Covered(model.unions, model.counts.unions))) {}

int RecordLookup::IndividualIndex(int code) const {
  return Find(model_.individuals, individuals_, code);
}

int RecordLookup::UnionIndex(int code) const {
  return Find(model_.unions, unions_, code);
}

template <class Record>
RecordLookup::Index RecordLookup::Build(const HugeArray<Record>& records, int count) {
  Index index;
  index.count = count;
  index.ascending = true;
  for (int i = 1; i < count && index.ascending; ++i) {
    index.ascending =
        records[static_cast<std::size_t>(i - 1)].code < records[static_cast<std::size_t>(i)].code;
  }
  index.unique = index.ascending;
  if (index.ascending) return index;
  // Distinct numbers without large gaps, in another order: the usual case of a file whose
  // records are not in number order. The table by number is filled in one pass, and a number
  // met twice sends the index to the sorted pairs below.
  std::int64_t smallestCode = INT32_MAX;
  std::int64_t largestCode = INT32_MIN;
  std::int64_t presentCount = 0;
  for (int i = 0; i < count; ++i) {
    const int code = records[static_cast<std::size_t>(i)].code;
    if (code == -1) continue;  // -1 is never looked up
    smallestCode = std::min<std::int64_t>(smallestCode, code);
    largestCode = std::max<std::int64_t>(largestCode, code);
    ++presentCount;
  }
  if (presentCount > 0 && largestCode - smallestCode + 1 <= 4 * presentCount + 1024) {
    index.direct.assign(static_cast<std::size_t>(largestCode - smallestCode + 1), -1);
    bool unique = true;
    for (int i = 0; i < count && unique; ++i) {
      const int code = records[static_cast<std::size_t>(i)].code;
      if (code == -1) continue;
      int& place = index.direct[static_cast<std::size_t>(code - smallestCode)];
      unique = place == -1;
      place = i;
    }
    if (unique) {
      index.unique = true;
      index.smallest = static_cast<int>(smallestCode);
      return index;
    }
    index.direct.clear();
    index.direct.shrink_to_fit();
  }
  index.sorted.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    const int code = records[static_cast<std::size_t>(i)].code;
    if (code != -1) index.sorted.emplace_back(code, i);  // -1 is never looked up
  }
  std::sort(index.sorted.begin(), index.sorted.end());
  index.unique = std::adjacent_find(index.sorted.begin(), index.sorted.end(),
                                    [](const auto& a, const auto& b) {
                                      return a.first == b.first;
                                    }) == index.sorted.end();
  return index;
}

template <class Record>
int RecordLookup::Find(const HugeArray<Record>& records, const Index& index, int code) {
  // -1 is the number of a missing or unreadable cross-reference: it names nobody.
  const int count = index.count;
  if (code == -1 || count <= 0) return -1;
  auto first = [&]() {
    auto it = std::lower_bound(index.sorted.begin(), index.sorted.end(), std::make_pair(code, -1));
    return (it != index.sorted.end() && it->first == code) ? it->second : -1;
  };
  auto has = [&](int i) { return records[static_cast<std::size_t>(i)].code == code; };
  if (index.ascending) {
    // Numbering without gaps puts a number exactly where it is guessed.
    std::int64_t guess = static_cast<std::int64_t>(code) - records[0].code;
    if (guess >= 0 && guess < count && has(static_cast<int>(guess))) return static_cast<int>(guess);
  } else if (index.unique) {
    if (index.direct.empty()) return first();
    std::int64_t k = static_cast<std::int64_t>(code) - index.smallest;
    return (k >= 0 && k < static_cast<std::int64_t>(index.direct.size()))
               ? index.direct[static_cast<std::size_t>(k)]
               : -1;
  }
  // The search exactly as it goes, which returns the first record holding the number that it
  // probes (in ascending order, the only one).
  int found = -1;
  if (count == 1) {
    found = has(0) ? 0 : -1;
  } else {
    int lo = 0;
    int hi = count - 1;
    for (;;) {
      if (lo >= hi) {
        found = (lo == hi && has(lo)) ? lo : -1;
        break;
      }
      int mid = lo + (hi - lo) / 2;
      if (has(mid)) {
        found = mid;
        break;
      }
      if (mid == lo) {
        found = has(hi) ? hi : -1;
        break;
      }
      if (code > records[static_cast<std::size_t>(mid)].code) {
        lo = mid + 1;
      } else {
        hi = mid - 1;
      }
    }
  }
  // When it misses (records out of ascending order), the first record in file order.
  return (found >= 0 || index.ascending) ? found : first();
}

}  // namespace brimsel
