// The conversion: reads a GEDCOM file three times into the genealogy model.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "engine/model.h"
#include "engine/progress.h"
#include "platform/charset.h"
#include "platform/text_decoder.h"

namespace brimsel {

class ByteSource;

// How a conversion ended.
enum class ConversionOutcome {
  kCompleted,     // the model is loaded
  kUnreadable,    // the file could not be opened (detail says why)
  kNoIndividual,  // "Aucun individu trouvé!"
  kOutOfMemory,   // an allocation failed
  kReadError,     // a read failed midway
  kFileChanged,   // the file changed between two passes
  kFailed,        // anything else stopped it (detail says what)
  kStopped,       // the progress sink asked to stop
};

// What the front-end chose for this conversion.
struct ConversionOptions {
  bool notes = false;        // read the notes ("inclure")
  bool properNames = true;   // names written as proper names ("Nom Propre")
  // The set the file is read in; none: what its byte-order mark, its HEAD record and its bytes
  // say ("OEM => ANSI" chooses code page 850). A converter's set gives no message line.
  std::optional<FileCharset> charset;
  // The tables' encoding; none: UTF-8 for UTF-8, UTF-16, ANSEL and converters' files, else
  // Windows-1252.
  std::optional<TableEncoding> tableEncoding;
  // Threads that read parts of the file side by side: 1 reads it in one; 0 takes as many as
  // the machine has cores and the file's size makes worth it. Any number gives the same result.
  int threads = 0;
};

// The threads a conversion of a text of `size` bytes uses for `requested` (ConversionOptions::
// threads).
int ConversionThreads(int requested, std::int64_t size);

struct ConversionResult {
  ConversionOutcome outcome = ConversionOutcome::kUnreadable;
  std::string detail;          // why it failed, for the console; empty on success
  bool recordsFilled = false;  // the second pass completed: the totals of INDI and FAM hold
  ConversionCounts counts;     // what the model's counts were when the conversion ended
  DecodeCounts decoded;        // characters written '?', bytes of UTF-8 text read as Windows-1252
  int parts = 1;               // parts of the file read side by side in passes 2 and 3
  bool Completed() const { return outcome == ConversionOutcome::kCompleted; }
  // A read that failed or a file that changed under the reader: the front-ends say "Erreur
  // lecture" with the file's name.
  bool ReadFailed() const {
    return outcome == ConversionOutcome::kReadError || outcome == ConversionOutcome::kFileChanged;
  }
};

// Converts the bytes of `source`, which stands for the file named `path`: the reading passes,
// code resolution, the checks and the counts. Progress and message lines go to `progress`.
// On success the model is loaded and its sourcePath is `path`. Throws nothing: whatever a
// source or a helper thread throws ends the conversion with kOutOfMemory or kFailed.
ConversionResult ConvertSource(GedcomModel& model, ByteSource& source, const char* path,
                               const ConversionOptions& options, ProgressSink& progress);

// Opens the file `path` and converts it; kUnreadable, with the model untouched, when it cannot
// be opened.
ConversionResult ConvertFile(GedcomModel& model, const char* path,
                             const ConversionOptions& options, ProgressSink& progress);

}  // namespace brimsel
