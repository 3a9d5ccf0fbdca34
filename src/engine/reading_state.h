// Working state shared by the passes of one conversion (internal to the engine).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <vector>

#include "engine/conversion.h"
#include "engine/gedcom_line.h"
#include "engine/record_lookup.h"
#include "platform/charset.h"
#include "platform/line_cuts.h"
#include "platform/line_reader.h"
#include "platform/text_decoder.h"
#include "platform/utf8.h"

namespace brimsel {

// Passes the bytes of a source through the UTF-8 byte check as they are read (pass 1), so that
// deciding the file's set costs no read of its own.
class CheckingSource final : public ByteSource {
 public:
  CheckingSource(ByteSource& inner, bool check) : inner_(inner), check_(check) {}
  std::ptrdiff_t Read(char* buffer, std::size_t capacity) override {
    const std::ptrdiff_t n = inner_.Read(buffer, capacity);
    if (n > 0 && check_ && !stream_.Decided()) {
      stream_.Feed(std::string_view(buffer, static_cast<std::size_t>(n)));
    }
    return n;
  }
  bool Rewind() override {
    check_ = false;  // the first reading decided
    return inner_.Rewind();
  }
  std::int64_t Size() override { return inner_.Size(); }
  const Utf8Check& Check() const { return stream_.Check(); }

 private:
  ByteSource& inner_;
  bool check_;
  Utf8Stream stream_;
};

// A place where the file can be cut for readers working side by side: the start of a level-0
// line, and the records and notes before it.
struct RangeStart {
  std::int64_t offset = 0;  // of the line, in the text the reader reads
  int individuals = 0;
  int unions = 0;
  int individualNotes = 0;
  int unionNotes = 0;
};

// Where a reader's records go: the model's own dictionaries, texts and counts, or for a part
// after the first of a file read side by side, its own, merged into the model's afterwards.
struct RecordStore {
  Dictionary* givenNames = nullptr;
  Dictionary* surnames = nullptr;
  Dictionary* places = nullptr;
  ModelTexts* texts = nullptr;
  ConversionCounts* counts = nullptr;  // the counters of passes 2 and 3
};

// The line counter is shown every this many lines (and records, while the codes are resolved):
// often enough to move, seldom enough to cost nothing.
inline constexpr int kShowCountEvery = 100;

// Thrown by a reader that sees a request to stop; the conversion ends as stopped.
struct StopReading {};

struct ReadingState {
  ReadingState(GedcomModel& model, ProgressSink& progress, LineReader& reader)
      : model(model), progress(progress), reader(reader) {}

  GedcomModel& model;
  ProgressSink& progress;
  LineReader& reader;
  bool notes = false;        // the notes are read
  int nameOptions = 0;       // Dictionary::Insert options of given names and surnames
  int placeOptions = 0;      // Dictionary::Insert options of places
  // Decodes the texts of the file into the tables' encoding; null when they are Windows-1252
  // both in the file and in the tables, and go in as they are.
  TextDecoder* decoder = nullptr;
  DecodeCounts decoded;      // what the decoding of the model's texts changed
  int lines = 0;             // line counter of the current pass
  int linesBeforeShow = kShowCountEvery;  // lines left before the counter is shown again
  // Bytes of text the file's readings go through, for ProgressSink::Advance; 0: none reported.
  std::int64_t textBytes = 0;
  bool fileChanged = false;  // the file no longer matches what pass 1 counted
  bool rangeReadFailed = false;  // a read of a part read side by side failed
  // The records this reader reads: those after `first` and before `end` (end's counts of -1:
  // up to the model's counts), starting at first.offset.
  RangeStart first;
  RangeStart end{-1, -1, -1, -1, -1};
  RecordStore store;  // empty: the model's
  // Pass 1 notes in `starts` the first level-0 line read from the text itself at or after each
  // offset of `cutTargets` (ascending), one start per target at most.
  std::vector<std::int64_t> cutTargets;
  std::vector<RangeStart> starts;

  // The store, with the model's parts where it has none.
  RecordStore Store() {
    RecordStore filled = store;
    if (!filled.givenNames) filled.givenNames = model.givenNames.get();
    if (!filled.surnames) filled.surnames = model.surnames.get();
    if (!filled.places) filled.places = model.places.get();
    if (!filled.texts) filled.texts = &model.texts;
    if (!filled.counts) filled.counts = &model.counts;
    return filled;
  }
  // The records up to the end of this reader's part of the file.
  RangeStart End() const {
    const ConversionCounts& totals = model.counts;
    return {end.offset, end.individuals < 0 ? totals.individuals : end.individuals,
            end.unions < 0 ? totals.unions : end.unions,
            end.individualNotes < 0 ? totals.individualNotes : end.individualNotes,
            end.unionNotes < 0 ? totals.unionNotes : end.unionNotes};
  }

  // Calls f(line) for each line of the pass and counts the lines; the counter shows every
  // kShowCountEvery.
  template <class F>
  void ForEachLine(F&& f) {
    int counted = lines;
    int before = linesBeforeShow;
    reader.ForEach([&](Line& line) {
      ++counted;
      if (--before == 0) {
        before = kShowCountEvery;
        ShowLineCount(counted);
      }
      f(line);
      return true;
    });
    lines = counted;
    linesBeforeShow = before;
  }
  // The same for a pass that looks only at the lines `selection` selects (and may be handed
  // others): the lines passed over are counted, and the counter shows at the same lines.
  template <class F>
  void ForEachSelectedLine(const LineReader::Selection& selection, F&& f) {
    int counted = lines;
    int before = linesBeforeShow;
    reader.ForEachSelected(
        selection,
        [&](Line& line) {
          ++counted;
          if (--before == 0) {
            before = kShowCountEvery;
            ShowLineCount(counted);
          }
          f(line);
        },
        [&](std::size_t skipped) {
          while (skipped >= static_cast<std::size_t>(before)) {
            skipped -= static_cast<std::size_t>(before);
            counted += before;
            before = kShowCountEvery;
            ShowLineCount(counted);
          }
          counted += static_cast<int>(skipped);
          before -= static_cast<int>(skipped);
        });
    lines = counted;
    linesBeforeShow = before;
  }
  // Shows the lines read and how far the reading is, and ends it (throwing StopReading) when the
  // user has asked to stop.
  void ShowLineCount(int value) {
    progress.LineCount(value);
    if (textBytes > 0) progress.Advance(std::min(reader.BytesRead(), textBytes), textBytes);
    if (progress.StopRequested()) throw StopReading();
  }
  // Formats one line of the message list (at most 255 bytes; longer ones are cut).
  void Message(const char* format, ...) __attribute__((format(printf, 2, 3)));
  void Phase(const char* name) { progress.Phase(name); }
};

// Pass 1: counts records and notes.
void CountRecords(ReadingState& state);
// Allocates the model's arrays at the sizes that pass 1 counted.
void AllocateRecords(GedcomModel& model);
// Pass 2: fills the records.
void FillRecords(ReadingState& state);
// Turns the cross-reference numbers into record indexes and checks the spouses' sex.
void ResolveCodes(ReadingState& state, const RecordLookup& lookup);
// Pass 3: checks every FAMS and CHIL line against the resolved links.
void CheckLinks(ReadingState& state, const RecordLookup& lookup);
// Pass 1 over the parts that start at `cuts`, read side by side by helper threads: fills the
// model's counts, the line count and state.starts as one reader with those cut targets would, and
// sets `bytes` to the UTF-8 byte check of the whole text (none when a part other than the last
// ends inside a sequence, which only a check across the cut can judge). False, with nothing done,
// when the source cannot serve ranges. An exception of a reader reaches the caller once every
// thread has ended.
bool CountInRanges(ReadingState& state, ByteSource& source, std::int64_t skip,
                   const std::vector<std::int64_t>& cuts, std::optional<Utf8Check>& bytes);
// Pass 2 (FillRecords) or pass 3 (CheckLinks) over the parts of the text that state.starts
// cuts, each read by a helper thread from its own range of `source` (whose first `skip` bytes
// precede the text) and merged in file order on the calling thread: the model, counts, line
// count and message lines come out as one reader would leave them, and only the calling thread
// reports progress. False, with nothing done, when there is a single part or the source cannot
// serve ranges. An exception of a reader reaches the caller once every thread has ended; pass 2
// then leaves no record in the model.
bool FillInRanges(ReadingState& state, ByteSource& source, std::int64_t skip);
bool CheckInRanges(ReadingState& state, ByteSource& source, std::int64_t skip,
                   const RecordLookup& lookup);

// Gives each spouse that a union names but the file lacks an added individual.
void AddMissingSpouses(ReadingState& state);

}  // namespace brimsel
