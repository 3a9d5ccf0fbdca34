// Fuzzes the dictionary insert: arbitrary texts and options; the dictionary's invariants hold
// after every insert.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "dict/dictionary.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckInvariants(const brimsel::Dictionary& d, long long inserted) {
  long long refs = 0;
  for (int id = 0; id < d.count; ++id) {
    const brimsel::DictionaryEntry& n = d.Entry(id);
    Check(n.id == id && n.refCount >= 1 && n.length >= 1);
    Check(static_cast<int>(std::strlen(n.text)) == n.length);
    Check(n.text[0] != ' ' && n.text[n.length - 1] != ' ');
    refs += n.refCount;
  }
  Check(refs == inserted);
  const std::vector<int>& order = d.AlphabeticalOrder();
  Check(order.size() == static_cast<std::size_t>(d.count));
  for (std::size_t i = 1; i < order.size(); ++i) {
    Check(brimsel::CompareIgnoringCase(d.Entry(order[i - 1]).text, d.Entry(order[i]).text) < 0);
  }
}

}  // namespace

// Input: records of one option byte, one length byte, then that many text bytes.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  brimsel::Dictionary d;
  long long inserted = 0;
  std::size_t i = 0;
  while (i + 2 <= size) {
    int options = data[i];
    std::size_t len = data[i + 1];
    i += 2;
    if (len > size - i) len = size - i;
    std::string text(reinterpret_cast<const char*>(data + i), len);
    i += len;
    std::string cut = text.substr(0, text.find('\0'));  // callers pass C strings
    std::vector<char> buffer(cut.begin(), cut.end());
    buffer.push_back('\0');
    int before = d.count;
    int id = d.Insert(buffer.data(), static_cast<int>(cut.size()), options);
    if (id >= 0) {
      ++inserted;
      Check(id < d.count && d.count <= before + 1);
      // The same text again finds the same entry.
      std::vector<char> again(cut.begin(), cut.end());
      again.push_back('\0');
      Check(d.Insert(again.data(), static_cast<int>(cut.size()), options) == id);
      ++inserted;
    } else {
      Check(id == -1 && d.count == before);
    }
    CheckInvariants(d, inserted);
  }
  return 0;
}
