// The table export (to be written).
#include "export/tables.h"

namespace brimsel {

int ExportTables(GedcomFichier&, DialogServices&) { return 0; }

}  // namespace brimsel
