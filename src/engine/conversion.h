// The conversion: reads a GEDCOM file three times into the genealogy model.
#pragma once

#include <string>

#include "engine/model.h"
#include "ui/dialog_services.h"

namespace brimsel {

class ByteSource;

// How a conversion ended, for the front-ends that report more than the panel does.
enum class ConversionOutcome {
  kCompleted,        // completed: the model is loaded
  kCancelled,         // the user cancelled the file choice
  kUnreadable,       // the file could not be opened (detail says why)
  kNoIndividual,   // "Aucun individu trouvé!"
  kOutOfMemory,         // an allocation failed
  kReadError,   // a read failed midway
  kFileChanged,  // the file changed between two passes
};

struct ConversionResult {
  ConversionOutcome fin = ConversionOutcome::kCancelled;
  std::string detail;
  bool Completed() const { return fin == ConversionOutcome::kCompleted; }
};

// Options read from the panel when a conversion starts.
struct ConversionOptions {
  int optionsNoms = 0;    // Insert options of given names and surnames
  int optionsLieux = 0;   // Insert options of places
  bool notes = false;     // check box "inclure"
};

// The command "Fichier...": asks for a file, then converts it. Returns 1 when the conversion
// completed, 0 otherwise.
int ReadGedcomCommand(GedcomModel& modele, DialogServices& dialogue);

// Converts the file named in dialogue.CurrentFileName() (the file choice already done).
ConversionResult ConvertFile(GedcomModel& modele, DialogServices& dialogue);

// Converts the bytes of `source`, which stands for the file named `chemin`: the reading passes,
// code resolution, the checks and the counts. Used by the above and directly by tests.
ConversionResult ConvertSource(GedcomModel& modele, DialogServices& dialogue,
                                   ByteSource& source, const char* chemin);

}  // namespace brimsel
