// The table export: the seven tab-separated tables of a converted model.
#pragma once

#include "engine/gedcom.h"
#include "ui/dialog_services.h"

namespace brimsel {

// The command "Convertir...": writes the seven tables beside the source file. Returns 1 when
// every table was written, 0 otherwise.
int ExportTables(GedcomFichier& modele, DialogServices& dialogue);

}  // namespace brimsel
