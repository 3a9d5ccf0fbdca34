// The genealogy model: reset, text storage and record lookups.
#include "engine/model.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace brimsel {
GedcomModel::GedcomModel() = default;
GedcomModel::~GedcomModel() = default;

void GedcomModel::Clear() {
  sourcePath.reset();
  individuals = {};
  addedSexes = {};
  unions = {};
  individualNotes = {};
  unionNotes = {};
  texts.Release();
  individualIndex_ = {};
  unionIndex_ = {};
  counts = {};
  sourceSize = 0;
  UseTableEncoding(Charset::kWindows1252, TableEncoding::kWindows1252);
}

void GedcomModel::UseTableEncoding(const FileCharset& set, TableEncoding encoding) {
  charset = set;
  tableEncoding = encoding;
  givenNames = std::make_unique<Dictionary>(encoding);
  surnames = std::make_unique<Dictionary>(encoding);
  places = std::make_unique<Dictionary>(encoding);
}

char* ModelTexts::StoreDate(char* date, std::string_view text) {
  const std::size_t n = std::min(text.size(), kDateBufferSize - 1);
  // A buffer holds at least kMinDateRoom bytes and at least the text it holds.
  if (date == nullptr || n + 1 > std::max(std::strlen(date) + 1, kMinDateRoom)) {
    date = Place(std::max(n + 1, kMinDateRoom));
  }
  if (n != 0) std::memcpy(date, text.data(), n);
  date[n] = '\0';
  return date;
}

template <class Record>
void GedcomModel::BuildIndex(const HugeArray<Record>& records, int count, Index& index) {
  index.count = count;
  index.sorted.clear();
  index.direct.clear();
  index.ascending = true;
  for (int i = 1; i < count && index.ascending; ++i) {
    index.ascending = records[static_cast<std::size_t>(i - 1)].code <
                      records[static_cast<std::size_t>(i)].code;
  }
  index.unique = index.ascending;
  if (index.ascending) return;
  // Distinct numbers without large gaps, in another order: the usual case of a file whose
  // records are not in number order. The table by number is filled in one pass, and a number
  // met twice sends the index to the sorted pairs below.
  std::int64_t smallestCode = INT32_MAX;
  std::int64_t largestCode = INT32_MIN;
  std::int64_t presentCount = 0;
  for (int i = 0; i < count; ++i) {
    int code = records[static_cast<std::size_t>(i)].code;
    if (code == -1) continue;  // -1 is never looked up
    smallestCode = std::min<std::int64_t>(smallestCode, code);
    largestCode = std::max<std::int64_t>(largestCode, code);
    ++presentCount;
  }
  if (presentCount > 0 && largestCode - smallestCode + 1 <= 4 * presentCount + 1024) {
    index.direct.assign(static_cast<std::size_t>(largestCode - smallestCode + 1), -1);
    bool unique = true;
    for (int i = 0; i < count && unique; ++i) {
      int code = records[static_cast<std::size_t>(i)].code;
      if (code == -1) continue;
      int& place = index.direct[static_cast<std::size_t>(code - smallestCode)];
      unique = place == -1;
      place = i;
    }
    if (unique) {
      index.unique = true;
      index.smallest = static_cast<int>(smallestCode);
      return;
    }
    index.direct.clear();
    index.direct.shrink_to_fit();
  }
  index.sorted.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    int code = records[static_cast<std::size_t>(i)].code;
    if (code != -1) index.sorted.emplace_back(code, i);  // -1 is never looked up
  }
  std::sort(index.sorted.begin(), index.sorted.end());
  index.unique = std::adjacent_find(index.sorted.begin(), index.sorted.end(),
                                    [](const auto& a, const auto& b) {
                                      return a.first == b.first;
                                    }) == index.sorted.end();
}

template <class Record>
int GedcomModel::Find(const HugeArray<Record>& records, int count, int code, Index& index) {
  // -1 is the number of a missing or unreadable cross-reference: it names nobody.
  if (code == -1 || count <= 0) return -1;
  count = std::min<int>(count, static_cast<int>(records.size()));
  if (index.count != count) BuildIndex(records, count, index);
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

int GedcomModel::IndividualIndex(int code) const {
  return Find(individuals, counts.individuals, code, individualIndex_);
}

int GedcomModel::UnionIndex(int code) const {
  return Find(unions, counts.unions, code, unionIndex_);
}

}  // namespace brimsel
