// The proper-name normaliser (to be written).
#include "tools/proper_name.h"

namespace brimsel {

void CapitaliseProperName(char*) {}
void ProperNameFile(DialogServices&) {}

}  // namespace brimsel
