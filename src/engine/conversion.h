// The conversion: reads a GEDCOM file three times into the genealogy model.
#pragma once

#include <string>

#include "engine/gedcom.h"
#include "ui/dialog_services.h"

namespace brimsel {

class ByteSource;

// How a conversion ended, for the front-ends that report more than the panel does.
enum class FinConversion {
  kTerminee,        // completed: the model is loaded
  kAnnulee,         // the user cancelled the file choice
  kIllisible,       // the file could not be opened (detail says why)
  kAucunIndividu,   // "Aucun individu trouvé!"
  kMemoire,         // an allocation failed
  kErreurLecture,   // a read failed midway
  kFichierModifie,  // the file changed between two passes
};

struct ResultatConversion {
  FinConversion fin = FinConversion::kAnnulee;
  std::string detail;
  bool Terminee() const { return fin == FinConversion::kTerminee; }
};

// Options read from the panel when a conversion starts.
struct OptionsConversion {
  int optionsNoms = 0;    // Ajoute options of given names and surnames
  int optionsLieux = 0;   // Ajoute options of places
  bool notes = false;     // check box "inclure"
};

// The command "Fichier...": asks for a file, then converts it. Returns 1 when the conversion
// completed, 0 otherwise.
int LireGedcom(GedcomFichier& modele, DialogServices& dialogue);

// Converts the file named in dialogue.CurrentFileName() (the file choice already done).
ResultatConversion ConvertitFichier(GedcomFichier& modele, DialogServices& dialogue);

// Converts the bytes of `source`, which stands for the file named `chemin`: the reading passes,
// code resolution, the checks and the counts. Used by the above and directly by tests.
ResultatConversion ConvertitSource(GedcomFichier& modele, DialogServices& dialogue,
                                   ByteSource& source, const char* chemin);

}  // namespace brimsel
