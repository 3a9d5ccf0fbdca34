// The code lists: the body of the given-name, surname and place tables, from a dictionary.
#pragma once

#include "dict/dictionary.h"
#include "export/table_file.h"

namespace brimsel {

// Writes one row per entry of `dictionary` in alphabetical order: the code (identifier + 1),
// with `refCounts` the reference count, then the text. Writes nothing for an empty dictionary.
void WriteCodeList(TableFile& file, const Dictionary& dictionary, bool refCounts);

}  // namespace brimsel
