// Code resolution: cross-reference numbers become record indexes; spouses the file lacks are added.
#include <algorithm>

#include "engine/reading_state.h"

namespace brimsel {

void ResolveCodes(ReadingState& state, const RecordLookup& lookup) {
  GedcomModel& m = state.model;
  int maxUnions = 0;
  int maxChildren = 0;
  for (const Individual& ind : m.individuals) maxUnions = std::max(maxUnions, ind.famsCount);
  for (const Union& u : m.unions) maxChildren = std::max(maxChildren, u.childCount);
  state.Message("maxunion %d, maxenfant %d", maxUnions, maxChildren);

  state.Phase("Codes INDI");
  for (int k = 0; k < m.counts.individuals; ++k) {
    if (k % 100 == 0) state.ShowLineCount(k);
    Individual& ind = m.individuals[static_cast<std::size_t>(k)];
    if (ind.famc < 0) continue;
    int index = lookup.UnionIndex(ind.famc);
    if (index < 0) {
      state.Message("erreur code parent @F%d@ %d @I%d@", ind.famc, k, ind.code);
      ++m.counts.errors;
    }
    ind.famc = index;
    ++m.counts.parents;
  }

  state.Phase("Codes FAM");
  for (int k = 0; k < m.counts.unions; ++k) {
    if (k % 100 == 0) state.ShowLineCount(k);
    Union& u = m.unions[static_cast<std::size_t>(k)];
    int number = u.husband;
    u.husband = lookup.IndividualIndex(number);
    if (u.husband < 0) {
      state.Message("ajout \xC9POUX(%d) %d", number, k);
      ++m.counts.added;
    } else if (int sex = m.individuals[static_cast<std::size_t>(u.husband)].sex; sex != 1) {
      state.Message("erreur sexe \xC9POUX(%d) %d", u.husband, sex);
      ++m.counts.errors;
    }
    number = u.wife;
    u.wife = lookup.IndividualIndex(number);
    if (u.wife < 0) {
      state.Message("ajout \xC9POUSE(%d) %d", number, k);
      ++m.counts.added;
    } else if (int sex = m.individuals[static_cast<std::size_t>(u.wife)].sex; sex != 0) {
      state.Message("erreur sexe \xC9POUSE(%d) %d", u.wife, sex);
      ++m.counts.errors;
    }
  }
}

void AddMissingSpouses(ReadingState& state) {
  GedcomModel& m = state.model;
  if (m.counts.added <= 0) return;
  m.addedSexes.assign(static_cast<std::size_t>(m.counts.added), 0);
  int a = 0;
  for (Union& u : m.unions) {
    if (u.husband < 0 && a < m.counts.added) {
      u.husband = m.counts.individuals + a;
      m.addedSexes[static_cast<std::size_t>(a++)] = 1;
    }
    if (u.wife < 0 && a < m.counts.added) {
      u.wife = m.counts.individuals + a;
      m.addedSexes[static_cast<std::size_t>(a++)] = 0;
    }
  }
  state.Message("%d INDI ajout\xE9s", m.counts.added);
}

}  // namespace brimsel
