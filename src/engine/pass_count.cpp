// Pass 1: counts the individuals, unions and notes, so that pass 2 fills arrays of the right size.
#include "engine/reading_state.h"

namespace brimsel {

void CountRecords(ReadingState& state) {
  ConversionCounts& counts = *state.Store().counts;
  RecordKind kind = RecordKind::kOther;
  const bool readNotes = state.notes;
  std::size_t cut = 0;  // the next of state.cutTargets
  state.starts.clear();
  // Only level-0 lines and "1 NOTE" lines count here.
  state.ForEachSelectedLine({'0', '1', {'N', 'N'}}, [&](const Line& line) {
    if (line.Length() < 6) return;
    if (line.text[0] == '0') {
      if (cut < state.cutTargets.size()) {
        // Every line of length 6 or more that starts with '0' ends the record before it, in
        // every pass: a reader may start there.
        const std::int64_t at = state.reader.Offset(line);
        if (at >= state.cutTargets[cut]) {
          state.starts.push_back({at, counts.individuals, counts.unions, counts.individualNotes,
                                  counts.unionNotes});
          while (cut < state.cutTargets.size() && state.cutTargets[cut] <= at) ++cut;
        }
      }
      kind = KindOfRecord(line);
      if (kind == RecordKind::kIndividual) ++counts.individuals;
      if (kind == RecordKind::kUnion) ++counts.unions;
    } else if (readNotes && HasTagAtUsualPlace(line, "NOTE") && line.text[0] == '1') {
      // The tag first: it is rarely NOTE, where the level is 1 or 2 about as often.
      if (kind == RecordKind::kIndividual) ++counts.individualNotes;
      if (kind == RecordKind::kUnion) ++counts.unionNotes;
    }
  });
}

void AllocateRecords(GedcomModel& model) {
  model.individuals.assign(static_cast<std::size_t>(model.counts.individuals), Individual{});
  model.unions.assign(static_cast<std::size_t>(model.counts.unions), Union{});
  model.individualNotes.assign(static_cast<std::size_t>(model.counts.individualNotes), Note{});
  model.unionNotes.assign(static_cast<std::size_t>(model.counts.unionNotes), Note{});
}

}  // namespace brimsel
