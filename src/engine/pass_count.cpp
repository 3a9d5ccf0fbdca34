// Pass 1: counts the individuals, unions and notes, so that pass 2 fills arrays of the right size.
#include "engine/reading_state.h"

namespace brimsel {

void CountRecords(ReadingState& state) {
  GedcomModel& m = state.model;
  RecordKind kind = RecordKind::kOther;
  const bool readNotes = state.notes;
  // Only level-0 lines and "1 NOTE" lines count here.
  state.ForEachSelectedLine({'0', '1', {'N', 'N'}}, [&](const Line& line) {
    if (line.Length() < 6) return;
    if (line.text[0] == '0') {
      kind = KindOfRecord(line);
      if (kind == RecordKind::kIndividual) ++m.counts.individuals;
      if (kind == RecordKind::kUnion) ++m.counts.unions;
    } else if (readNotes && HasTagAtUsualPlace(line, "NOTE") && line.text[0] == '1') {
      // The tag first: it is rarely NOTE, where the level is 1 or 2 about as often.
      if (kind == RecordKind::kIndividual) ++m.counts.individualNotes;
      if (kind == RecordKind::kUnion) ++m.counts.unionNotes;
    }
  });
}

void AllocateRecords(GedcomModel& m) {
  m.individuals.assign(static_cast<std::size_t>(m.counts.individuals), Individual{});
  m.unions.assign(static_cast<std::size_t>(m.counts.unions), Union{});
  m.individualNotes.assign(static_cast<std::size_t>(m.counts.individualNotes), Note{});
  m.unionNotes.assign(static_cast<std::size_t>(m.counts.unionNotes), Note{});
}

}  // namespace brimsel
