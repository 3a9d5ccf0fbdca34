// The listing of a dictionary: the body of a code list, in alphabetical order.
#include "dict/dictionary.h"
#include "export/table_file.h"

namespace brimsel {

int Dictionary::Liste(TableFile& fichier, int options) const {
  const bool avecNbRef = (options & kWithRefCounts) != 0;
  // The sorted order is a flat array: the walk needs no recursion, whatever the entries.
  for (int id : AlphabeticalOrder()) {
    const DictionaryEntry& n = Entry(id);
    fichier.Number(n.id + 1);
    fichier.Tab();
    if (avecNbRef) {
      fichier.Number(n.nbRef);
      fichier.Tab();
    }
    fichier.Cell(std::string_view(n.texte, static_cast<std::size_t>(n.longueur)));
    fichier.EndRow();
  }
  return 0;
}

}  // namespace brimsel
