// The proper-name normaliser: rewrites the NAME lines of a GEDCOM file.
#pragma once

#include "ui/dialog_services.h"

namespace brimsel {

// Rewrites `text` in place: first letter capital, a capital after each hyphen, the rest small.
void CapitaliseProperName(char* text);

// The command "Capital...": asks for a GEDCOM file and writes it, with its name lines
// rewritten, to the same name plus ".txt".
void ProperNameFile(DialogServices& dialogue);

}  // namespace brimsel
