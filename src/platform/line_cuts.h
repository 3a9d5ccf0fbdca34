// Where a text can be cut into parts that readers take side by side: level-0 lines near equal
// offsets.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/byte_source.h"

namespace brimsel {

// Offsets in the text (after the first `skip` bytes of `source`) near k / parts of its `size`
// for k from 1, ascending, where a part may start: each the first line there that every reader
// takes for a level-0 line of six characters or more, found in a window read after the target
// (none where the window holds no such line). Empty when the source cannot serve ranges.
std::vector<std::int64_t> FindCuts(ByteSource& source, std::int64_t skip, std::int64_t size,
                                   int parts);

}  // namespace brimsel
