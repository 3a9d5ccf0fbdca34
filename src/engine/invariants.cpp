// The model's invariants after a completed conversion.
#include "engine/invariants.h"

namespace brimsel {
namespace {

bool InDict(int id, const std::unique_ptr<Dictionary>& dictionary) {
  return id == -1 || (dictionary && id >= 0 && id < dictionary->count);
}

std::string At(const char* what, std::size_t i) { return std::string(what) + " " + std::to_string(i); }

}  // namespace

std::string CheckModel(const GedcomModel& model) {
  if (!model.givenNames || !model.surnames || !model.places) return "missing dictionary";
  if (model.individuals.size() != static_cast<std::size_t>(model.counts.individuals))
    return "counts.individuals";
  if (model.unions.size() != static_cast<std::size_t>(model.counts.unions)) return "counts.unions";
  if (model.individualNotes.size() != static_cast<std::size_t>(model.counts.individualNotes))
    return "counts.individualNotes";
  if (model.unionNotes.size() != static_cast<std::size_t>(model.counts.unionNotes))
    return "counts.unionNotes";
  if (model.addedSexes.size() != static_cast<std::size_t>(model.counts.added))
    return "counts.added";
  for (std::size_t i = 0; i < model.individuals.size(); ++i) {
    const Individual& individual = model.individuals[i];
    if (individual.famc < -1 || individual.famc >= model.counts.unions)
      return At("famc of individual", i);
    if (!InDict(individual.surname, model.surnames) ||
        !InDict(individual.givenName, model.givenNames)) {
      return At("name of individual", i);
    }
    for (int place : {individual.birthPlace, individual.baptismPlace, individual.deathPlace,
                      individual.burialPlace}) {
      if (!InDict(place, model.places)) return At("place of individual", i);
    }
    if (individual.sex < -1 || individual.sex > 1) return At("sex of individual", i);
    for (const char* date : {individual.birthDate, individual.baptismDate, individual.deathDate,
                             individual.burialDate}) {
      if (date && std::char_traits<char>::length(date) >= kDateBufferSize) return At("date of", i);
    }
  }
  int total = model.counts.individuals + model.counts.added;
  std::vector<int> addedSeen(static_cast<std::size_t>(model.counts.added), 0);
  for (std::size_t i = 0; i < model.unions.size(); ++i) {
    const Union& theUnion = model.unions[i];
    for (int spouse : {theUnion.husband, theUnion.wife}) {
      if (spouse < 0 || spouse >= total) return At("spouse of union", i);
      if (spouse >= model.counts.individuals) {
        int added = spouse - model.counts.individuals;
        if (addedSeen[static_cast<std::size_t>(added)]++)
          return At("added individual shared, union", i);
        int expected = spouse == theUnion.husband ? 1 : 0;
        if (model.addedSexes[static_cast<std::size_t>(added)] != expected)
          return At("added sex, union", i);
      }
    }
    if (!InDict(theUnion.marriagePlace, model.places)) return At("place of union", i);
  }
  for (std::size_t a = 0; a < addedSeen.size(); ++a) {
    if (!addedSeen[a]) return At("added individual without union", a);
  }
  for (const Note& note : model.individualNotes) {
    if (note.owner < -1 || note.owner >= model.counts.individuals) return "note owner";
  }
  for (const Note& note : model.unionNotes) {
    if (note.owner < -1 || note.owner >= model.counts.unions) return "union note owner";
  }
  return {};
}

}  // namespace brimsel
