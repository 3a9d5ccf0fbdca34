// The quote stripper: a quoted comma-separated file to tab-separated text.
#pragma once

#include "ui/dialog_services.h"

namespace brimsel {

// The command "Strip": asks for a file and writes it, stripped, to the same name plus ".txt".
// Returns the output length, or -1 when nothing was written.
long StripQuotes(DialogServices& dialogue);

}  // namespace brimsel
