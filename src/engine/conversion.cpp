// The conversion: the three passes and their reports, in order.
#include "engine/conversion.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <exception>
#include <new>
#include <thread>
#include <vector>

#include "dict/dictionary.h"
#include "engine/reading_state.h"
#include "platform/byte_source.h"
#include "platform/utf16_source.h"
#include "platform/utf8.h"

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

// The result of a conversion that ends before its last pass, on a failure or an exception: the
// model is not loaded, and the front-end goes back to idle.
ConversionResult EndedEarly(GedcomModel& model, ProgressSink& progress, ConversionOutcome outcome,
                            const char* detail) {
  model.sourcePath.reset();
  progress.Phase({});
  ConversionResult result;
  result.outcome = outcome;
  result.counts = model.counts;
  try {
    result.detail = detail;
  } catch (const std::bad_alloc&) {
    // The outcome says enough.
  }
  return result;
}

// Starts a pass: back to the first line, counter at 0.
bool Rewind(ReadingState& state) {
  state.lines = 0;
  state.linesBeforeShow = kShowCountEvery;
  return state.reader.Rewind();
}

// A pass that ended on a read error, or a file that changed under the reader, ends the
// conversion: nothing is reported as converted that was not read.
bool ReadingFailed(ReadingState& state, ConversionResult& result) {
  if (state.reader.Failed() || state.rangeReadFailed) {
    result = EndedEarly(state.model, state.progress, ConversionOutcome::kReadError, "read error");
  } else if (state.fileChanged) {
    result = EndedEarly(state.model, state.progress, ConversionOutcome::kFileChanged,
                        "the file changed while it was read");
  } else {
    return false;
  }
  return true;
}

// Serves a source whose first bytes (a byte-order mark, if any) were read ahead: they come
// first, then the rest, so that looking at them costs no extra read of the file.
class PeekedSource final : public ByteSource {
 public:
  explicit PeekedSource(ByteSource& inner) : inner_(inner) {
    while (size_ < sizeof first_) {
      const std::ptrdiff_t got = inner_.Read(first_ + size_, sizeof first_ - size_);
      if (got <= 0) {
        failed_ = got < 0;
        break;
      }
      size_ += static_cast<std::size_t>(got);
    }
  }
  std::string_view First() const { return {first_, size_}; }
  std::ptrdiff_t Read(char* buffer, std::size_t capacity) override {
    if (failed_) return -1;
    if (pos_ < size_) {
      const std::size_t n = std::min(capacity, size_ - pos_);
      std::memcpy(buffer, first_ + pos_, n);
      pos_ += n;
      return static_cast<std::ptrdiff_t>(n);
    }
    return inner_.Read(buffer, capacity);
  }
  bool Rewind() override {
    // Served again from the source itself, which may have changed meanwhile.
    pos_ = size_ = 0;
    failed_ = false;
    return inner_.Rewind();
  }
  std::int64_t Size() override { return inner_.Size(); }

 private:
  ByteSource& inner_;
  char first_[4] = {};
  std::size_t size_ = 0;
  std::size_t pos_ = 0;
  bool failed_ = false;
};

// Feeds the detector the lines of `source` from its start until the outcome is known.
bool FeedDetector(ByteSource& source, CharsetDetector& detector) {
  if (!source.Rewind()) return false;
  LineReader reader(source);
  reader.ForEach([&](Line& line) {
    detector.Feed(line.View(), line.hasEnd);
    return !detector.Done();
  });
  return !reader.Failed() && source.Rewind();
}

// Most threads a conversion takes by itself, and the least text each of them must have to be
// worth its start and its share of the merge.
constexpr int kMaxDefaultThreads = 4;
constexpr std::int64_t kMinBytesPerThread = std::int64_t{4} << 20;
// Most parts a file is cut into whatever is asked.
constexpr int kMaxThreads = 64;

}  // namespace

int ConversionThreads(int requested, std::int64_t size) {
  if (requested > 0) return std::min(requested, kMaxThreads);
  const int cores = static_cast<int>(std::thread::hardware_concurrency());
  const std::int64_t worth = std::max<std::int64_t>(size / kMinBytesPerThread, 1);
  return static_cast<int>(std::min<std::int64_t>({std::max(cores, 1), kMaxDefaultThreads, worth}));
}

namespace {

// The conversion itself; a failure that throws goes through to ConvertSource.
ConversionResult ReadPasses(GedcomModel& model, ByteSource& source, const char* path,
                            const ConversionOptions& options, ProgressSink& progress) {
  // The set is the user's, or the byte-order mark's; otherwise the HEAD record and the bytes
  // decide it once pass 1 has read the file (pass 1 reads only the file's structure).
  PeekedSource peeked(source);
  const std::string firstBytes(peeked.First());
  std::optional<CharsetDecision> decision;
  std::optional<ByteOrderMark> mark;
  if (options.charset) {
    decision = DecideCharset(options.charset->kind, firstBytes, CharsetDetector(false));
  } else {
    mark = SniffByteOrderMark(firstBytes);
  }
  const Charset readAs = decision ? decision->charset : mark ? mark->charset : Charset::kWindows1252;
  const std::size_t skip = decision ? decision->skip : mark ? mark->size : 0;
  std::optional<Utf16Source> utf16;
  std::optional<SkipSource> skipped;
  ByteSource* text = &peeked;
  if (IsUtf16(readAs)) {
    text = &utf16.emplace(peeked, readAs == Charset::kUtf16Be);
  } else if (skip != 0) {
    text = &skipped.emplace(peeked, skip);
  }
  CheckingSource tap(*text, !decision && !mark);

  LineReader reader(tap);
  ReadingState state(model, progress, reader);
  state.notes = options.notes;
  if (options.properNames) state.nameOptions |= kProperName;
  std::optional<TextDecoder> decoder;
  ConversionResult result;
  model.Clear();
  const std::int64_t size = source.Size();
  model.sourceSize = size < 0 ? 0 : size;
  progress.Phase("Passe 1");
  progress.LineCount(ProgressSink::kNoLineCount);
  // The passes may read parts of the text side by side: pass 1 finds where they start, or
  // notes places near the targets as it reads. The text of a UTF-16 file is made as it is
  // read, and is read whole.
  std::vector<std::int64_t> cuts;
  std::vector<std::int64_t> targets;
  const std::int64_t textSize =
      std::max<std::int64_t>(model.sourceSize - static_cast<std::int64_t>(skip), 0);
  // How far a reading is goes by the bytes of text read: those of the file, or the UTF-8 that a
  // UTF-16 file makes (about half its bytes for the ASCII that GEDCOM lines are mostly made of).
  state.textBytes = std::max<std::int64_t>(IsUtf16(readAs) ? textSize / 2 : textSize, 1);
  if (!IsUtf16(readAs)) {
    const int parts = ConversionThreads(options.threads, textSize);
    for (int k = 1; k < parts; ++k) targets.push_back(textSize * k / parts);
    if (parts > 1) cuts = FindCuts(source, static_cast<std::int64_t>(skip), textSize, parts);
  }
  std::optional<Utf8Check> bytes;
  if (!CountInRanges(state, source, static_cast<std::int64_t>(skip), cuts, bytes)) {
    state.cutTargets = targets;
    CountRecords(state);
    bytes = tap.Check();
  }
  if (ReadingFailed(state, result)) return result;
  progress.Advance(state.textBytes, state.textBytes);
  // Every pass must read the same file: as many lines, the same size.
  const int fileLines = state.lines;
  auto checkUnchanged = [&] {
    if (state.lines != fileLines || source.Size() != size) state.fileChanged = true;
  };
  if (!decision) {
    // The HEAD record from the first lines; the bytes were checked as pass 1 read them,
    // unless the parts of pass 1 could not tell (then the lines are read again).
    CharsetDetector detector(!mark && !bytes);
    if (!FeedDetector(*text, detector)) {
      return EndedEarly(model, progress, ConversionOutcome::kReadError, "read error");
    }
    if (!mark && bytes) detector.TakeByteCheck(*bytes);
    decision = DecideCharset(std::nullopt, firstBytes, detector);
  }
  if (!decision->message.empty()) progress.Message(decision->message);
  const TableEncoding encoding =
      options.tableEncoding.value_or(DefaultTableEncoding(decision->charset));
  const FileCharset used = options.charset ? *options.charset : FileCharset(decision->charset);
  model.UseTableEncoding(used, encoding);
  if (used != Charset::kWindows1252 || encoding != TableEncoding::kWindows1252) {
    state.decoder = &decoder.emplace(used, encoding);
  }
  if (model.counts.individuals == 0) {
    progress.Message("Aucun individu trouv\xE9!");
    return EndedEarly(model, progress, ConversionOutcome::kNoIndividual,
                      "Aucun individu trouv\xE9!");
  }
  if (progress.StopRequested()) throw StopReading();
  AllocateRecords(model);

  if (!Rewind(state)) {
    return EndedEarly(model, progress, ConversionOutcome::kReadError, "cannot rewind");
  }
  progress.LineCount(ProgressSink::kNoLineCount);
  progress.Phase("Passe 2");
  int parts = 1;
  if (FillInRanges(state, source, static_cast<std::int64_t>(skip))) {
    parts = static_cast<int>(state.starts.size()) + 1;
  } else {
    FillRecords(state);
  }
  checkUnchanged();
  if (ReadingFailed(state, result)) return result;
  progress.Advance(state.textBytes, state.textBytes);
  result.recordsFilled = true;

  if (progress.StopRequested()) throw StopReading();
  // Every number is known now: the lookups learn them once, before any thread reads them.
  const RecordLookup lookup(model);
  ResolveCodes(state, lookup);
  if (!Rewind(state)) {
    result = EndedEarly(model, progress, ConversionOutcome::kReadError, "cannot rewind");
    result.recordsFilled = true;
    return result;
  }
  progress.Phase("Passe 3");
  if (!CheckInRanges(state, source, static_cast<std::int64_t>(skip), lookup)) {
    CheckLinks(state, lookup);
  }
  checkUnchanged();
  if (ReadingFailed(state, result)) {
    result.recordsFilled = true;
    return result;
  }
  AddMissingSpouses(state);

  state.ShowLineCount(state.lines);
  progress.Advance(state.textBytes, state.textBytes);
  progress.Phase({});
  model.sourcePath = path;
  model.readNotes = options.notes;
  model.properNames = options.properNames;
  state.Message("%d pr\xE9noms, %d noms, %d places.", model.givenNames->count,
                model.surnames->count, model.places->count);
  if (state.decoded.replaced != 0) {
    state.Message("%llu caract\xE8res remplac\xE9s par ?",
                  static_cast<unsigned long long>(state.decoded.replaced));
  }
  if (state.decoded.readAsCp1252 != 0) {
    state.Message("%llu octets lus en Windows-1252",
                  static_cast<unsigned long long>(state.decoded.readAsCp1252));
  }
  result.outcome = ConversionOutcome::kCompleted;
  result.parts = parts;
  result.counts = model.counts;
  result.decoded = state.decoded;
  return result;
}

}  // namespace

ConversionResult ConvertSource(GedcomModel& model, ByteSource& source, const char* path,
                               const ConversionOptions& options, ProgressSink& progress) {
  // Whatever a pass, a source or a helper thread throws ends here, as the conversion's result.
  try {
    return ReadPasses(model, source, path, options, progress);
  } catch (const StopReading&) {
    return EndedEarly(model, progress, ConversionOutcome::kStopped, "stopped");
  } catch (const std::bad_alloc&) {
    return EndedEarly(model, progress, ConversionOutcome::kOutOfMemory, "out of memory");
  } catch (const std::exception& error) {
    return EndedEarly(model, progress, ConversionOutcome::kFailed, error.what());
  } catch (...) {
    return EndedEarly(model, progress, ConversionOutcome::kFailed, "unknown error");
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
