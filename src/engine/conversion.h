// The conversion: reads a GEDCOM file three times into the genealogy model.
#pragma once

#include <string>

#include "engine/model.h"
#include "engine/progress.h"

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
};

// What the front-end chose for this conversion.
struct ConversionOptions {
  bool notes = false;        // read the notes ("inclure")
  bool properNames = true;   // names written as proper names ("Nom Propre")
  bool fromOem = false;      // names and places are code page 850 ("OEM => ANSI")
};

struct ConversionResult {
  ConversionOutcome outcome = ConversionOutcome::kUnreadable;
  std::string detail;          // why it failed, for the console; empty on success
  bool recordsFilled = false;  // the second pass completed: the totals of INDI and FAM hold
  ConversionCounts counts;     // what the model's counts were when the conversion ended
  bool Completed() const { return outcome == ConversionOutcome::kCompleted; }
  // A read that failed or a file that changed under the reader: the front-ends say "Erreur
  // lecture" with the file's name.
  bool ReadFailed() const {
    return outcome == ConversionOutcome::kReadError || outcome == ConversionOutcome::kFileChanged;
  }
};

// Converts the bytes of `source`, which stands for the file named `path`: the reading passes,
// code resolution, the checks and the counts. Progress and message lines go to `progress`.
// On success the model is loaded and its sourcePath is `path`.
ConversionResult ConvertSource(GedcomModel& model, ByteSource& source, const char* path,
                               const ConversionOptions& options, ProgressSink& progress);

// Opens the file `path` and converts it; kUnreadable, with the model untouched, when it cannot
// be opened.
ConversionResult ConvertFile(GedcomModel& model, const char* path,
                             const ConversionOptions& options, ProgressSink& progress);

}  // namespace brimsel
