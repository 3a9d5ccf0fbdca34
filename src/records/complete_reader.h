// The complete reader: every record of a GEDCOM file read into the rows of the complete
// database's tables, apart from the genealogy model of the classic tables.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/byte_source.h"
#include "platform/charset.h"
#include "platform/text_decoder.h"
#include "platform/typed_rows.h"
#include "records/complete_schema.h"

namespace brimsel {

struct CompleteReadOptions {
  // The set the conversion decided. The reader skips this set's own byte-order mark and reads
  // a UTF-16 file as the UTF-8 text it stands for, in one part.
  FileCharset charset;
  // Threads that read parts side by side; 0 takes the machine's (at most 4, fewer for a small
  // file). The rows are the same for any number.
  int threads = 1;
  // Polled between parts and while waiting for them; true stops the reading.
  std::function<bool()> stopRequested;
  // Bytes read so far over both passes, and their total, on the calling thread.
  std::function<void(std::int64_t done, std::int64_t total)> progress;
  // Bytes of text per part; 0 takes the default of a few megabytes. Tests make it small so
  // that small files are read in many parts.
  std::int64_t partBytes = 0;
};

// Receives the rows, on the thread that called ReadCompleteFile. Every row of a table comes in
// some block of that table; a block never holds rows of two tables. Rows reach the sink in file
// order within each part, but a row may come after rows that name it: places, the children of
// families and the links to NOTE records come last.
class CompleteRowSink {
 public:
  virtual ~CompleteRowSink() = default;
  // False stops the reading (the writer failed).
  virtual bool Take(const RowBlock& rows) = 0;
};

enum class CompleteReadOutcome {
  kRead,         // every line was read and its rows handed out
  kReadError,    // the file could not be read to its end
  kFileChanged,  // the file changed between the two passes
  kStopped,      // stopRequested said so
  kSinkFailed,   // the sink refused a block
  kOutOfMemory,
};

struct CompleteReadResult {
  CompleteReadOutcome outcome = CompleteReadOutcome::kRead;
  std::string detail;  // what went wrong, in English; empty when read
  std::array<std::int64_t, kCompleteTableCount> rows{};  // rows handed out, per table
  std::int64_t lines = 0;                                // lines read
  DecodeCounts decoded;                                  // what decoding had to change in the texts
  bool Read() const { return outcome == CompleteReadOutcome::kRead; }
};

// Reads `source` (the file as it is on disk, byte-order mark included) into `sink`. Never
// throws; a failure is told by the outcome.
CompleteReadResult ReadCompleteFile(ByteSource& source, const CompleteReadOptions& options,
                                    CompleteRowSink& sink);

}  // namespace brimsel
