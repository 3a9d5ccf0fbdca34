// Date normalisation (to be written).
#include "export/date.h"

namespace brimsel {

int NormaliseDate(char* date) { return date ? 127 : 0; }

}  // namespace brimsel
