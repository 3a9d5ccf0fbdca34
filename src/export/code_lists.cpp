// The code lists: one row per dictionary entry, in alphabetical order.
#include "export/code_lists.h"

namespace brimsel {

void WriteCodeList(TableFile& file, const Dictionary& dictionary, bool refCounts) {
  // The sorted order is a flat array: the walk needs no recursion, whatever the entries.
  for (int id : dictionary.AlphabeticalOrder()) {
    const DictionaryEntry& entry = dictionary.Entry(id);
    file.Number(entry.id + 1);
    file.Tab();
    if (refCounts) {
      file.Number(entry.refCount);
      file.Tab();
    }
    file.Cell(std::string_view(entry.text, static_cast<std::size_t>(entry.length)));
    file.EndRow();
  }
}

}  // namespace brimsel
