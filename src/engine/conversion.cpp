// The conversion: the three passes and their reports, in order.
#include "engine/conversion.h"

#include <cstdarg>
#include <new>

#include "dict/dictionary.h"
#include "engine/reading_state.h"
#include "platform/byte_source.h"

namespace brimsel {

void ReadingState::Message(const char* format, ...) {
  char line[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  progress.Message(line);
}

namespace {

ConversionResult Stop(ReadingState& state, ConversionOutcome outcome, std::string detail) {
  state.progress.Phase({});
  ConversionResult result;
  result.outcome = outcome;
  result.detail = std::move(detail);
  result.counts = state.model.counts;
  return result;
}

// Starts a pass: back to the first line, counter at 0.
bool Rewind(ReadingState& state) {
  state.lines = 0;
  state.linesBeforeShow = 100;
  return state.reader.Rewind();
}

// A pass that ended on a read error, or a file that changed under the reader, ends the
// conversion: nothing is reported as converted that was not read.
bool PassIncomplete(ReadingState& state, ConversionResult& result) {
  if (state.reader.Failed()) {
    result = Stop(state, ConversionOutcome::kReadError, "read error");
  } else if (state.fileChanged) {
    result = Stop(state, ConversionOutcome::kFileChanged, "the file changed while it was read");
  } else {
    return false;
  }
  return true;
}

}  // namespace

ConversionResult ConvertSource(GedcomModel& m, ByteSource& source, const char* path,
                               const ConversionOptions& options, ProgressSink& progress) {
  LineReader reader(source);
  ReadingState state{m, progress, reader};
  state.notes = options.notes;
  if (options.properNames) state.nameOptions |= kProperName;
  if (options.fromOem) {
    state.nameOptions |= kFromOem;
    state.placeOptions |= kFromOem;
  }
  ConversionResult result;
  try {
    m.Clear();
    const std::int64_t size = source.Size();
    m.sourceSize = size < 0 ? 0 : size;
    progress.Phase("Passe 1");
    progress.LineCount(ProgressSink::kNoLineCount);

    CountRecords(state);
    if (PassIncomplete(state, result)) return result;
    // Every pass must read the same file: as many lines, the same size.
    const int fileLines = state.lines;
    auto checkUnchanged = [&] {
      if (state.lines != fileLines || source.Size() != size) state.fileChanged = true;
    };
    if (m.counts.individuals == 0) {
      progress.Message("Aucun individu trouv\xE9!");
      return Stop(state, ConversionOutcome::kNoIndividual, "Aucun individu trouv\xE9!");
    }
    AllocateRecords(m);

    if (!Rewind(state)) return Stop(state, ConversionOutcome::kReadError, "cannot rewind");
    progress.LineCount(ProgressSink::kNoLineCount);
    progress.Phase("Passe 2");
    FillRecords(state);
    checkUnchanged();
    if (PassIncomplete(state, result)) return result;
    result.recordsFilled = true;

    ResolveCodes(state);
    if (!Rewind(state)) {
      result = Stop(state, ConversionOutcome::kReadError, "cannot rewind");
      result.recordsFilled = true;
      return result;
    }
    CheckLinks(state);
    checkUnchanged();
    if (PassIncomplete(state, result)) {
      result.recordsFilled = true;
      return result;
    }
    AddMissingSpouses(state);

    state.ShowLineCount(state.lines);
    progress.Phase({});
    m.sourcePath = path;
    state.Message("%d pr\xE9noms, %d noms, %d places.", m.givenNames->count, m.surnames->count,
                  m.places->count);
    result.outcome = ConversionOutcome::kCompleted;
    result.counts = m.counts;
    return result;
  } catch (const std::bad_alloc&) {
    m.sourcePath.reset();
    return Stop(state, ConversionOutcome::kOutOfMemory, "out of memory");
  }
}

ConversionResult ConvertFile(GedcomModel& model, const char* path,
                             const ConversionOptions& options, ProgressSink& progress) {
  std::string reason;
  auto source = FileSource::Open(path, &reason);
  if (!source) {
    ConversionResult result;
    result.outcome = ConversionOutcome::kUnreadable;
    result.detail = reason;
    return result;
  }
  return ConvertSource(model, *source, path, options, progress);
}

}  // namespace brimsel
