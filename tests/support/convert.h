// Converts a GEDCOM text or source and keeps the model, what was reported and the result.
#pragma once

#include <memory>
#include <string>

#include "engine/conversion.h"
#include "platform/byte_source.h"
#include "support/recording_progress.h"

namespace brimsel::test {

struct Converted {
  GedcomModel m;
  RecordingProgress p;
  ConversionResult r;
};

inline std::unique_ptr<Converted> Convert(ByteSource& source, ConversionOptions options = {},
                                          const char* path = "/tmp/test.ged") {
  auto run = std::make_unique<Converted>();
  run->r = ConvertSource(run->m, source, path, options, run->p);
  return run;
}

inline std::unique_ptr<Converted> Convert(std::string text, ConversionOptions options = {},
                                          const char* path = "/tmp/test.ged") {
  StringSource source(std::move(text));
  return Convert(source, options, path);
}

}  // namespace brimsel::test
