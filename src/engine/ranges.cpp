// Passes 2 and 3 over parts of the file read side by side, one thread each, merged so that the
// model, the counts and the message lines are those of one reader going through the whole file.
#include <algorithm>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "dict/dictionary.h"
#include "engine/reading_state.h"
#include "platform/byte_source.h"

namespace brimsel {

namespace {

// Keeps the message lines of a part read in another thread, to be shown in file order.
class HeldMessages final : public ProgressSink {
 public:
  void Phase(std::string_view) override {}
  void LineCount(int) override {}
  void Message(std::string_view line) override { lines.emplace_back(line); }
  std::vector<std::string> lines;
};

// One part of the file and what reading it gave.
struct Part {
  std::unique_ptr<ByteSource> source;
  RangeStart first;
  RangeStart end{-1, -1, -1, -1, -1};
  bool ownStore = false;  // records go to the part's dictionaries, texts and counts
  HeldMessages messages;
  std::unique_ptr<Dictionary> givenNames;
  std::unique_ptr<Dictionary> surnames;
  std::unique_ptr<Dictionary> places;
  ModelTexts texts;
  ConversionCounts counts;
  DecodeCounts decoded;
  int lines = 0;
  bool readFailed = false;
  bool changed = false;
  bool outOfMemory = false;
  bool stopped = false;   // a byte 26 ended the part's input
  Utf8Check bytes;  // the UTF-8 byte check of the part's text
};

// Starts work(k) for every part after the first in a thread of its own, runs work(0) here,
// and returns once every part is done.
template <class Work>
void RunParts(std::size_t parts, Work&& work) {
  std::vector<std::jthread> threads;
  threads.reserve(parts);
  std::vector<std::size_t> here;  // parts no thread could be started for
  for (std::size_t k = 1; k < parts; ++k) {
    try {
      threads.emplace_back([&work, k] { work(k); });
    } catch (const std::system_error&) {
      here.push_back(k);
    }
  }
  work(0);
  for (std::size_t k : here) work(k);
}

enum class RangePass { kFill, kCheck };

// Reads one part, in whichever thread runs it. Every exception stays here: an allocation that
// fails is reported through the part.
void ReadPart(ReadingState& whole, Part& part, RangePass pass, const RecordLookup* lookup) noexcept {
  try {
    LineReader reader(*part.source);
    ReadingState state{whole.model, part.ownStore ? part.messages : whole.progress, reader};
    state.notes = whole.notes;
    state.nameOptions = whole.nameOptions;
    state.placeOptions = whole.placeOptions;
    std::optional<TextDecoder> decoder;
    if (whole.decoder) state.decoder = &decoder.emplace(whole.decoder->from(), whole.decoder->to());
    state.first = part.first;
    state.end = part.end;
    if (part.ownStore) {
      state.store.counts = &part.counts;
      if (pass == RangePass::kFill) {
        const TableEncoding encoding = whole.model.tableEncoding;
        part.givenNames = std::make_unique<Dictionary>(encoding);
        part.surnames = std::make_unique<Dictionary>(encoding);
        part.places = std::make_unique<Dictionary>(encoding);
        state.store = {part.givenNames.get(), part.surnames.get(), part.places.get(), &part.texts,
                       &part.counts};
      }
    }
    if (pass == RangePass::kFill) {
      FillRecords(state);
    } else {
      CheckLinks(state, *lookup);
    }
    part.lines = state.lines;
    part.readFailed = reader.Failed();
    part.changed = state.fileChanged;
    part.decoded = state.decoded;
  } catch (const std::bad_alloc&) {
    part.outOfMemory = true;
  }
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

// Merges the part read after everything merged so far: its texts of names and places take the
// model's codes (or the next free ones, in the part's order of first appearance), its records
// are given them, and its texts join the model's.
void MergeFilledPart(GedcomModel& m, Part& part, const RangeStart& end) {
  const std::vector<int> given = m.givenNames->Absorb(*part.givenNames);
  const std::vector<int> surnames = m.surnames->Absorb(*part.surnames);
  const std::vector<int> places = m.places->Absorb(*part.places);
  const auto individualEnd = std::min<std::size_t>(static_cast<std::size_t>(end.individuals), m.individuals.size());
  for (std::size_t i = static_cast<std::size_t>(part.first.individuals); i < individualEnd; ++i) {
    Individual& p = m.individuals[i];
    Recode(p.givenName, given);
    Recode(p.surname, surnames);
    Recode(p.birthPlace, places);
    Recode(p.baptismPlace, places);
    Recode(p.deathPlace, places);
    Recode(p.burialPlace, places);
  }
  const auto unionEnd = std::min<std::size_t>(static_cast<std::size_t>(end.unions), m.unions.size());
  for (std::size_t i = static_cast<std::size_t>(part.first.unions); i < unionEnd; ++i) {
    Recode(m.unions[i].marriagePlace, places);
  }
}

// Forgets the records, whose texts may have gone with a part that could not be merged.
void DropRecords(GedcomModel& m) {
  m.individuals = {};
  m.unions = {};
  m.individualNotes = {};
  m.unionNotes = {};
}

// Pass 1 over one part; every exception stays here.
void CountPart(ReadingState& whole, Part& part, bool first) noexcept {
  try {
    CheckingSource tap(*part.source, true);
    LineReader reader(tap);
    ReadingState state(whole.model, first ? whole.progress : part.messages, reader);
    state.notes = whole.notes;
    state.store.counts = &part.counts;
    CountRecords(state);
    part.lines = state.lines;
    part.readFailed = reader.Failed();
    part.stopped = reader.Stopped();
    part.bytes = tap.Check();
  } catch (const std::bad_alloc&) {
    part.outOfMemory = true;
  }
}

}  // namespace

bool CountInRanges(ReadingState& whole, ByteSource& source, std::int64_t skip,
                   const std::vector<std::int64_t>& cuts, std::optional<Utf8Check>& bytes) {
  if (cuts.empty()) return false;
  std::vector<Part> parts(cuts.size() + 1);
  for (std::size_t k = 0; k < parts.size(); ++k) {
    const std::int64_t begin = k == 0 ? 0 : cuts[k - 1];
    parts[k].source = source.Range(skip + begin, k < cuts.size() ? skip + cuts[k] : -1);
    if (!parts[k].source) return false;
  }
  RunParts(parts.size(), [&](std::size_t k) { CountPart(whole, parts[k], k == 0); });
  for (const Part& part : parts) {
    if (part.outOfMemory) throw std::bad_alloc();
  }
  // A part that a byte 26 ended ends the input: the parts after it are never read.
  std::size_t kept = 0;
  while (kept < parts.size() && !parts[kept++].stopped) {
  }
  // Each part starts at a level-0 line with nothing open, so the parts' byte checks add up,
  // unless a sequence is still open where a part ends (a "0 CONC" line could continue it).
  Utf8Check whole8;
  bytes = whole8;
  for (std::size_t k = 0; k < kept; ++k) {
    const Utf8Check& b = parts[k].bytes;
    if (b.need != 0 && k + 1 < kept && !b.invalid) {
      bytes.reset();
      break;
    }
    bytes->invalid = bytes->invalid || b.invalid;
    bytes->multibyte = bytes->multibyte || b.multibyte;
    bytes->need = b.need;
    if (bytes->invalid) break;
  }
  ConversionCounts& counts = whole.model.counts;
  whole.starts.clear();
  int lines = 0;
  for (std::size_t k = 0; k < kept; ++k) {
    if (k > 0) {
      whole.starts.push_back({cuts[k - 1], counts.individuals, counts.unions,
                              counts.individualNotes, counts.unionNotes});
    }
    const ConversionCounts& c = parts[k].counts;
    counts.individuals += c.individuals;
    counts.unions += c.unions;
    counts.individualNotes += c.individualNotes;
    counts.unionNotes += c.unionNotes;
    lines += parts[k].lines;
    whole.rangeReadFailed = whole.rangeReadFailed || parts[k].readFailed;
  }
  whole.lines = lines;
  return true;
}

namespace {

// Pass 2 or 3 over the parts; `lookup` is pass 3's.
bool ReadInRanges(ReadingState& whole, ByteSource& source, std::int64_t skip, RangePass pass,
                  const RecordLookup* lookup) {
  const std::vector<RangeStart>& starts = whole.starts;
  if (starts.empty()) return false;
  std::vector<Part> parts(starts.size() + 1);
  for (std::size_t k = 0; k < parts.size(); ++k) {
    Part& part = parts[k];
    if (k > 0) part.first = starts[k - 1];
    if (k < starts.size()) part.end = starts[k];
    // The first part writes to the model and the front-end directly.
    part.ownStore = k > 0;
    const std::int64_t begin = skip + part.first.offset;
    part.source = source.Range(begin, k < starts.size() ? skip + part.end.offset : -1);
    if (!part.source) return false;
  }
  // Counts that End() reads from the model stay as pass 1 left them while the parts run.
  const RangeStart totals = whole.End();
  for (Part& part : parts) {
    if (part.end.individuals < 0) part.end = totals;
  }
  RunParts(parts.size(), [&](std::size_t k) { ReadPart(whole, parts[k], pass, lookup); });

  GedcomModel& m = whole.model;
  bool outOfMemory = false;
  int lines = 0;
  for (Part& part : parts) {
    outOfMemory = outOfMemory || part.outOfMemory;
    if (!part.outOfMemory) {
      for (const std::string& line : part.messages.lines) whole.progress.Message(line);
    }
    lines += part.lines;
    whole.rangeReadFailed = whole.rangeReadFailed || part.readFailed;
    whole.fileChanged = whole.fileChanged || part.changed;
    whole.decoded.replaced += part.decoded.replaced;
    whole.decoded.readAsCp1252 += part.decoded.readAsCp1252;
    if (part.ownStore) AddCounts(m.counts, part.counts);
  }
  whole.lines = lines;
  if (pass == RangePass::kFill) {
    try {
      for (std::size_t k = 1; k < parts.size(); ++k) m.texts.Adopt(parts[k].texts);
      if (outOfMemory) throw std::bad_alloc();
      for (std::size_t k = 1; k < parts.size(); ++k) MergeFilledPart(m, parts[k], parts[k].end);
    } catch (const std::bad_alloc&) {
      DropRecords(m);
      throw;
    }
  } else if (outOfMemory) {
    throw std::bad_alloc();
  }
  return true;
}

}  // namespace

bool FillInRanges(ReadingState& state, ByteSource& source, std::int64_t skip) {
  return ReadInRanges(state, source, skip, RangePass::kFill, nullptr);
}

bool CheckInRanges(ReadingState& state, ByteSource& source, std::int64_t skip,
                   const RecordLookup& lookup) {
  return ReadInRanges(state, source, skip, RangePass::kCheck, &lookup);
}

}  // namespace brimsel
