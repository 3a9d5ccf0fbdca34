// Rows of a table formatted by several threads and written in order, byte for byte what one
// thread writes.
#pragma once

#include <cstddef>
#include <functional>

#include "export/table_file.h"

namespace brimsel {

// Rows formatted together by one thread.
inline constexpr std::size_t kRowsPerBlock = 4096;

// Writes rows 0 to count - 1 into `file` through writeRow(f, row), which writes row `row` into
// the TableFile `f` it is handed. With threads > 1, blocks of `rowsPerBlock` rows go in turn to
// this thread and to threads - 1 helpers: a helper formats its blocks into memory (at most two
// ahead of the writing) and this thread writes them in their place. writeRow must only touch
// what belongs to its row. Stops early once `file` has failed, and fails it when a helper runs
// out of memory; returns false then. Every helper has ended when it returns.
bool WriteRows(TableFile& file, std::size_t count, int threads,
               const std::function<void(TableFile&, std::size_t)>& writeRow,
               std::size_t rowsPerBlock = kRowsPerBlock);

}  // namespace brimsel
