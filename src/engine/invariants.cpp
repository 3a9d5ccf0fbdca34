// The model's invariants after a completed conversion.
#include "engine/invariants.h"

namespace brimsel {
namespace {

bool InDict(int id, const std::unique_ptr<Dictionary>& d) {
  return id == -1 || (d && id >= 0 && id < d->count);
}

std::string At(const char* what, std::size_t i) { return std::string(what) + " " + std::to_string(i); }

}  // namespace

std::string CheckModel(const GedcomModel& m) {
  if (!m.givenNames || !m.surnames || !m.places) return "missing dictionary";
  if (m.individuals.size() != static_cast<std::size_t>(m.counts.individuals)) return "counts.individuals";
  if (m.unions.size() != static_cast<std::size_t>(m.counts.unions)) return "counts.unions";
  if (m.individualNotes.size() != static_cast<std::size_t>(m.counts.individualNotes)) return "counts.individualNotes";
  if (m.unionNotes.size() != static_cast<std::size_t>(m.counts.unionNotes)) return "counts.unionNotes";
  if (m.addedSexes.size() != static_cast<std::size_t>(m.counts.added)) return "counts.added";
  for (std::size_t i = 0; i < m.individuals.size(); ++i) {
    const Individual& ind = m.individuals[i];
    if (ind.famc < -1 || ind.famc >= m.counts.unions) return At("famc of individual", i);
    if (!InDict(ind.surname, m.surnames) || !InDict(ind.givenName, m.givenNames)) {
      return At("name of individual", i);
    }
    for (int place : {ind.birthPlace, ind.baptismPlace, ind.deathPlace, ind.burialPlace}) {
      if (!InDict(place, m.places)) return At("place of individual", i);
    }
    if (ind.sex < -1 || ind.sex > 1) return At("sex of individual", i);
    for (const char* date : {ind.birthDate, ind.baptismDate, ind.deathDate, ind.burialDate}) {
      if (date && std::char_traits<char>::length(date) >= kDateBufferSize) return At("date of", i);
    }
  }
  int total = m.counts.individuals + m.counts.added;
  std::vector<int> addedSeen(static_cast<std::size_t>(m.counts.added), 0);
  for (std::size_t i = 0; i < m.unions.size(); ++i) {
    const Union& u = m.unions[i];
    for (int spouse : {u.husband, u.wife}) {
      if (spouse < 0 || spouse >= total) return At("spouse of union", i);
      if (spouse >= m.counts.individuals) {
        int a = spouse - m.counts.individuals;
        if (addedSeen[static_cast<std::size_t>(a)]++)
          return At("added individual shared, union", i);
        int expected = spouse == u.husband ? 1 : 0;
        if (m.addedSexes[static_cast<std::size_t>(a)] != expected) return At("added sex, union", i);
      }
    }
    if (!InDict(u.marriagePlace, m.places)) return At("place of union", i);
  }
  for (std::size_t a = 0; a < addedSeen.size(); ++a) {
    if (!addedSeen[a]) return At("added individual without union", a);
  }
  for (const Note& n : m.individualNotes) {
    if (n.owner < -1 || n.owner >= m.counts.individuals) return "note owner";
  }
  for (const Note& n : m.unionNotes) {
    if (n.owner < -1 || n.owner >= m.counts.unions) return "union note owner";
  }
  return {};
}

}  // namespace brimsel
