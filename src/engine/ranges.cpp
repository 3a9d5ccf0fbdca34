// Passes 1, 2 and 3 over parts of the file read side by side by helper threads, merged in file
// order by the calling thread, so that the model, the counts and the message lines are those of
// one reader going through the whole file.
//
// Who owns what while the parts are read (RunOrdered: produce reads part k on a helper thread,
// consume merges it on the calling thread, in file order):
// - A part's Part (its range of the source, held progress, dictionaries, texts and counts)
//   belongs to the reader of that part until the part is merged, then to the calling thread.
// - The records between a part's first and end (in the model's arrays, which never move while
//   the parts run) are written by the reader of that part alone; the merge then recodes them.
// - In passes 2 and 3 the first part's reader writes straight into the model's dictionaries,
//   texts and counts, as a single reader would: nothing else touches them until that part has
//   been merged, and the later parts are merged after it.
// - Everything else the readers use is only read while the parts run: the settings of the file's
//   reading (notes, options, the model's character set and encoding), the counts of pass 1, the
//   record lookup of pass 3.
// - The ProgressSink, the counters of the file's reading and the model's counts outside the first
//   part belong to the calling thread: the readers' message lines are held in their parts and
//   shown when the part is merged, and the line counter is shown from the parts' counters while
//   the calling thread waits.
#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "dict/dictionary.h"
#include "engine/reading_state.h"
#include "platform/byte_source.h"
#include "platform/ordered_parallel.h"

namespace brimsel {

namespace {

// What a part's reader tells the front-end, held for the calling thread: the message lines in
// order, and the lines and bytes read so far, which the calling thread reads while it waits. A
// request to stop is the front-end's, asked from the reader's thread.
class HeldProgress final : public ProgressSink {
 public:
  void Phase(std::string_view) override {}
  void LineCount(int lines) override { linesRead.store(lines, std::memory_order_relaxed); }
  void Message(std::string_view line) override { messages.emplace_back(line); }
  void Advance(std::int64_t done, std::int64_t) override {
    bytesRead.store(done, std::memory_order_relaxed);
  }
  bool StopRequested() const override { return front != nullptr && front->StopRequested(); }
  std::vector<std::string> messages;
  std::atomic<int> linesRead{0};
  std::atomic<std::int64_t> bytesRead{0};
  const ProgressSink* front = nullptr;
};

// One part of the file, and the store its reader fills.
struct Part {
  std::unique_ptr<ByteSource> source;
  RangeStart first;
  RangeStart end{-1, -1, -1, -1, -1};
  HeldProgress progress;
  std::unique_ptr<Dictionary> givenNames;
  std::unique_ptr<Dictionary> surnames;
  std::unique_ptr<Dictionary> places;
  ModelTexts texts;
  ConversionCounts counts;
};

// What reading a part gave besides its records and store.
struct PartRead {
  int lines = 0;
  bool readFailed = false;
  bool changed = false;
  bool stopped = false;  // a byte 26 ended the part's input
  DecodeCounts decoded;
  Utf8Check bytes;  // the UTF-8 byte check of the part's text (pass 1)
};

// Reads the parts with one helper thread each and hands each part's PartRead, in file order, to
// merge(k, read) on the calling thread; merge returning false ends the run. The line counter
// shows the lines the parts have read while the calling thread waits. An exception of a reader
// or of merge reaches the caller once every thread has ended.
template <class Read, class Merge>
void RunParts(ReadingState& fileState, std::vector<Part>& parts, Read&& read, Merge&& merge) {
  int shown = -1;
  for (Part& part : parts) part.progress.front = &fileState.progress;
  const auto showLines = [&fileState, &parts, &shown] {
    int lines = 0;
    std::int64_t bytes = 0;
    for (const Part& part : parts) {
      lines += part.progress.linesRead.load(std::memory_order_relaxed);
      bytes += part.progress.bytesRead.load(std::memory_order_relaxed);
    }
    if (lines != shown) fileState.progress.LineCount(shown = lines);
    if (fileState.textBytes > 0) {
      fileState.progress.Advance(std::min(bytes, fileState.textBytes), fileState.textBytes);
    }
  };
  RunOrdered(
      parts.size(), {.threads = static_cast<int>(parts.size()), .whileWaiting = showLines},
      [&](std::size_t k) { return read(k, parts[k]); },
      [&](std::size_t k, PartRead got) {
        for (const std::string& line : parts[k].progress.messages) fileState.progress.Message(line);
        parts[k].progress.messages = {};
        return merge(k, got);
      });
}

// Passes 2 and 3: the reader of one part, with the settings of the file's reading. The first
// part reads into the model's store, every other into its own.
template <class Pass>
PartRead ReadPart(const ReadingState& fileState, Part& part, bool first, bool fill, Pass&& pass) {
  LineReader reader(*part.source);
  ReadingState state{fileState.model, part.progress, reader};
  state.notes = fileState.notes;
  state.textBytes = fileState.textBytes;
  state.nameOptions = fileState.nameOptions;
  state.placeOptions = fileState.placeOptions;
  std::optional<TextDecoder> decoder;
  if (fileState.decoder) {
    state.decoder = &decoder.emplace(fileState.model.charset, fileState.model.tableEncoding);
  }
  state.first = part.first;
  state.end = part.end;
  if (!first) {
    state.store.counts = &part.counts;
    if (fill) {
      const TableEncoding encoding = fileState.model.tableEncoding;
      part.givenNames = std::make_unique<Dictionary>(encoding);
      part.surnames = std::make_unique<Dictionary>(encoding);
      part.places = std::make_unique<Dictionary>(encoding);
      state.store = {part.givenNames.get(), part.surnames.get(), part.places.get(), &part.texts,
                     &part.counts};
    }
  }
  pass(state);
  return {.lines = state.lines,
          .readFailed = reader.Failed(),
          .changed = state.fileChanged,
          .decoded = state.decoded};
}

// Pass 1 over one part: its counts go to the part.
PartRead CountPart(const ReadingState& fileState, Part& part) {
  CheckingSource tap(*part.source, true);
  LineReader reader(tap);
  ReadingState state(fileState.model, part.progress, reader);
  state.notes = fileState.notes;
  state.textBytes = fileState.textBytes;
  state.store.counts = &part.counts;
  CountRecords(state);
  return {.lines = state.lines,
          .readFailed = reader.Failed(),
          .stopped = reader.Stopped(),
          .bytes = tap.Check()};
}

void AddCounts(ConversionCounts& to, const ConversionCounts& from) {
  to.birthDates += from.birthDates;
  to.birthPlaces += from.birthPlaces;
  to.deathDates += from.deathDates;
  to.deathPlaces += from.deathPlaces;
  to.baptismDates += from.baptismDates;
  to.baptismPlaces += from.baptismPlaces;
  to.marriageDates += from.marriageDates;
  to.marriagePlaces += from.marriagePlaces;
  to.burialDates += from.burialDates;
  to.burialPlaces += from.burialPlaces;
  to.quay += from.quay;
  to.sources += from.sources;
  to.errors += from.errors;
}

// Gives the part's codes of one dictionary their codes in the model's.
void Recode(int& code, const std::vector<int>& codes) {
  if (code >= 0 && static_cast<std::size_t>(code) < codes.size()) {
    code = codes[static_cast<std::size_t>(code)];
  }
}

// Merges the part read after everything merged so far: its texts join the model's, its texts of
// names and places take the model's codes (or the next free ones, in the part's order of first
// appearance), and its records are given them.
void MergeFilledPart(GedcomModel& model, Part& part) {
  model.texts.Adopt(part.texts);
  const std::vector<int> givenNames = model.givenNames->Absorb(*part.givenNames);
  const std::vector<int> surnames = model.surnames->Absorb(*part.surnames);
  const std::vector<int> places = model.places->Absorb(*part.places);
  part.givenNames.reset();
  part.surnames.reset();
  part.places.reset();
  const auto individualEnd = std::min<std::size_t>(static_cast<std::size_t>(part.end.individuals),
                                                   model.individuals.size());
  for (std::size_t i = static_cast<std::size_t>(part.first.individuals); i < individualEnd; ++i) {
    Individual& individual = model.individuals[i];
    Recode(individual.givenName, givenNames);
    Recode(individual.surname, surnames);
    Recode(individual.birthPlace, places);
    Recode(individual.baptismPlace, places);
    Recode(individual.deathPlace, places);
    Recode(individual.burialPlace, places);
  }
  const auto unionEnd =
      std::min<std::size_t>(static_cast<std::size_t>(part.end.unions), model.unions.size());
  for (std::size_t i = static_cast<std::size_t>(part.first.unions); i < unionEnd; ++i) {
    Recode(model.unions[i].marriagePlace, places);
  }
}

// Forgets the records, whose texts may have gone with a part that was never merged, and whose
// names and places may still carry a part's codes.
void DropRecords(GedcomModel& model) {
  model.individuals = {};
  model.unions = {};
  model.individualNotes = {};
  model.unionNotes = {};
}

// Pass 2 or 3 over the parts that fileState.starts cuts; `pass` reads one part.
template <class Pass>
bool ReadInRanges(ReadingState& fileState, ByteSource& source, std::int64_t skip, bool fill,
                  Pass&& pass) {
  const std::vector<RangeStart>& starts = fileState.starts;
  if (starts.empty()) return false;
  std::vector<Part> parts(starts.size() + 1);
  // Counts that End() reads from the model stay as pass 1 left them while the parts run.
  const RangeStart totals = fileState.End();
  for (std::size_t k = 0; k < parts.size(); ++k) {
    Part& part = parts[k];
    if (k > 0) part.first = starts[k - 1];
    part.end = k < starts.size() ? starts[k] : totals;
    part.source =
        source.Range(skip + part.first.offset, k < starts.size() ? skip + part.end.offset : -1);
    if (!part.source) return false;
  }
  GedcomModel& model = fileState.model;
  int lines = 0;
  try {
    RunParts(
        fileState, parts,
        [&](std::size_t k, Part& part) { return ReadPart(fileState, part, k == 0, fill, pass); },
        [&](std::size_t k, const PartRead& got) {
          lines += got.lines;
          fileState.rangeReadFailed = fileState.rangeReadFailed || got.readFailed;
          fileState.fileChanged = fileState.fileChanged || got.changed;
          fileState.decoded.replaced += got.decoded.replaced;
          fileState.decoded.readAsCp1252 += got.decoded.readAsCp1252;
          if (k > 0) {
            AddCounts(model.counts, parts[k].counts);
            if (fill) MergeFilledPart(model, parts[k]);
          }
          return true;
        });
  } catch (...) {
    if (fill) DropRecords(model);
    throw;
  }
  fileState.lines = lines;
  return true;
}

}  // namespace

bool CountInRanges(ReadingState& fileState, ByteSource& source, std::int64_t skip,
                   const std::vector<std::int64_t>& cuts, std::optional<Utf8Check>& bytes) {
  if (cuts.empty()) return false;
  std::vector<Part> parts(cuts.size() + 1);
  for (std::size_t k = 0; k < parts.size(); ++k) {
    const std::int64_t begin = k == 0 ? 0 : cuts[k - 1];
    parts[k].source = source.Range(skip + begin, k < cuts.size() ? skip + cuts[k] : -1);
    if (!parts[k].source) return false;
  }
  ConversionCounts& counts = fileState.model.counts;
  fileState.starts.clear();
  bytes = Utf8Check{};
  bool bytesDecided = false;
  int lines = 0;
  RunParts(
      fileState, parts, [&](std::size_t, Part& part) { return CountPart(fileState, part); },
      [&](std::size_t k, const PartRead& got) {
        if (k > 0) {
          fileState.starts.push_back({cuts[k - 1], counts.individuals, counts.unions,
                                      counts.individualNotes, counts.unionNotes});
        }
        const ConversionCounts& partCounts = parts[k].counts;
        counts.individuals += partCounts.individuals;
        counts.unions += partCounts.unions;
        counts.individualNotes += partCounts.individualNotes;
        counts.unionNotes += partCounts.unionNotes;
        lines += got.lines;
        fileState.rangeReadFailed = fileState.rangeReadFailed || got.readFailed;
        // A part that a byte 26 ended ends the input: the parts after it are never read.
        const bool last = got.stopped || k + 1 == parts.size();
        // Each part starts at a level-0 line with nothing open, so the parts' byte checks add
        // up, unless a sequence is still open where a part ends (a "0 CONC" line could continue
        // it).
        if (!bytesDecided) {
          const Utf8Check& partBytes = got.bytes;
          if (partBytes.need != 0 && !last && !partBytes.invalid) {
            bytes.reset();
            bytesDecided = true;
          } else {
            bytes->invalid = bytes->invalid || partBytes.invalid;
            bytes->multibyte = bytes->multibyte || partBytes.multibyte;
            bytes->need = partBytes.need;
            bytesDecided = bytes->invalid;
          }
        }
        return !last;
      });
  fileState.lines = lines;
  return true;
}

bool FillInRanges(ReadingState& state, ByteSource& source, std::int64_t skip) {
  return ReadInRanges(state, source, skip, true, [](ReadingState& part) { FillRecords(part); });
}

bool CheckInRanges(ReadingState& state, ByteSource& source, std::int64_t skip,
                   const RecordLookup& lookup) {
  return ReadInRanges(state, source, skip, false,
                      [&lookup](ReadingState& part) { CheckLinks(part, lookup); });
}

}  // namespace brimsel
