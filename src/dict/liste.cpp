// The listing of a dictionary: the body of a code list, in alphabetical order.
#include "dict/arbre.h"
#include "export/table_file.h"

namespace brimsel {

int ArbreSSZ::Liste(TableFile& fichier, int options) const {
  const bool avecNbRef = (options & AVEC_NBREF) != 0;
  // The sorted order is a flat array: the walk needs no recursion, whatever the entries.
  for (int id : OrdreAlphabetique()) {
    const Noeud& n = Entree(id);
    fichier.Nombre(n.id + 1);
    fichier.Tab();
    if (avecNbRef) {
      fichier.Nombre(n.nbRef);
      fichier.Tab();
    }
    fichier.Cellule(std::string_view(n.texte, static_cast<std::size_t>(n.longueur)));
    fichier.FinLigne();
  }
  return 0;
}

}  // namespace brimsel
