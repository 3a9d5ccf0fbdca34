// Code resolution: cross-reference numbers become record indexes; spouses the file lacks are added.
#include <algorithm>

#include "engine/reading_state.h"

namespace brimsel {

void ResolveCodes(ReadingState& state, const RecordLookup& lookup) {
  GedcomModel& model = state.model;
  int maxUnions = 0;
  int maxChildren = 0;
  for (const Individual& individual : model.individuals) {
    maxUnions = std::max(maxUnions, individual.famsCount);
  }
  for (const Union& theUnion : model.unions) {
    maxChildren = std::max(maxChildren, theUnion.childCount);
  }
  state.Message("maxunion %d, maxenfant %d", maxUnions, maxChildren);

  state.Phase("Codes INDI");
  for (int k = 0; k < model.counts.individuals; ++k) {
    if (k % kShowCountEvery == 0) state.ShowLineCount(k);
    Individual& individual = model.individuals[static_cast<std::size_t>(k)];
    if (individual.famc < 0) continue;
    int index = lookup.UnionIndex(individual.famc);
    if (index < 0) {
      state.Message("erreur code parent @F%d@ %d @I%d@", individual.famc, k, individual.code);
      ++model.counts.errors;
    }
    individual.famc = index;
    ++model.counts.parents;
  }

  state.Phase("Codes FAM");
  for (int k = 0; k < model.counts.unions; ++k) {
    if (k % kShowCountEvery == 0) state.ShowLineCount(k);
    Union& theUnion = model.unions[static_cast<std::size_t>(k)];
    int number = theUnion.husband;
    theUnion.husband = lookup.IndividualIndex(number);
    if (theUnion.husband < 0) {
      state.Message("ajout \xC9POUX(%d) %d", number, k);
      ++model.counts.added;
    } else if (int sex = model.individuals[static_cast<std::size_t>(theUnion.husband)].sex;
               sex != 1) {
      state.Message("erreur sexe \xC9POUX(%d) %d", theUnion.husband, sex);
      ++model.counts.errors;
    }
    number = theUnion.wife;
    theUnion.wife = lookup.IndividualIndex(number);
    if (theUnion.wife < 0) {
      state.Message("ajout \xC9POUSE(%d) %d", number, k);
      ++model.counts.added;
    } else if (int sex = model.individuals[static_cast<std::size_t>(theUnion.wife)].sex; sex != 0) {
      state.Message("erreur sexe \xC9POUSE(%d) %d", theUnion.wife, sex);
      ++model.counts.errors;
    }
  }
}

void AddMissingSpouses(ReadingState& state) {
  GedcomModel& model = state.model;
  if (model.counts.added <= 0) return;
  model.addedSexes.assign(static_cast<std::size_t>(model.counts.added), 0);
  int added = 0;
  for (Union& theUnion : model.unions) {
    if (theUnion.husband < 0 && added < model.counts.added) {
      theUnion.husband = model.counts.individuals + added;
      model.addedSexes[static_cast<std::size_t>(added++)] = 1;
    }
    if (theUnion.wife < 0 && added < model.counts.added) {
      theUnion.wife = model.counts.individuals + added;
      model.addedSexes[static_cast<std::size_t>(added++)] = 0;
    }
  }
  state.Message("%d INDI ajout\xE9s", model.counts.added);
}

}  // namespace brimsel
