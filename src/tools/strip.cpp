// The quote stripper (to be written).
#include "tools/strip.h"

namespace brimsel {

long StripQuotes(DialogServices&) { return -1; }

}  // namespace brimsel
