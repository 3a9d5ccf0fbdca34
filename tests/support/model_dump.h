// Everything a conversion leaves in the model, as one text: two conversions that must agree
// are compared through it.
#pragma once

#include <string>

#include "engine/conversion.h"

namespace brimsel::test {

inline std::string DumpModel(const GedcomModel& m, const ConversionResult& r) {
  std::string s;
  const auto put = [&s](auto... values) {
    ((s += std::to_string(values), s += ' '), ...);
  };
  const auto text = [&s](const char* t) {
    s += t ? t : "<null>";
    s += '|';
  };
  put(static_cast<int>(r.outcome), r.recordsFilled, r.decoded.replaced, r.decoded.readAsCp1252);
  const ConversionCounts& c = r.counts;
  put(c.individuals, c.unions, c.added, c.birthDates, c.birthPlaces, c.deathDates, c.deathPlaces,
      c.individualNotes, c.baptismDates, c.baptismPlaces, c.marriageDates, c.marriagePlaces, c.quay,
      c.unionNotes, c.errors, c.parents, c.sources, c.burialPlaces, c.burialDates);
  s += '\n';
  if (!r.recordsFilled) return s;
  for (const Dictionary* d : {m.givenNames.get(), m.surnames.get(), m.places.get()}) {
    for (int id = 0; id < d->count; ++id) {
      put(d->Entry(id).id, d->Entry(id).refCount);
      text(d->Entry(id).text);
    }
    for (int id : d->AlphabeticalOrder()) put(id);
    s += '\n';
  }
  for (int i = 0; i < c.individuals; ++i) {
    const Individual& p = m.individuals[static_cast<std::size_t>(i)];
    put(p.code, p.surname, p.givenName, p.famc, p.birthPlace, p.baptismPlace, p.deathPlace,
        p.burialPlace, p.sex, p.famsCount);
    for (const char* t : {p.occupation, p.birthDate, p.deathDate, p.baptismDate, p.burialDate}) text(t);
    s += '\n';
  }
  for (int i = 0; i < c.unions; ++i) {
    const Union& u = m.unions[static_cast<std::size_t>(i)];
    put(u.code, u.husband, u.wife, u.marriagePlace, u.childCount);
    text(u.marriageDate);
    s += '\n';
  }
  for (const auto* notes : {&m.individualNotes, &m.unionNotes}) {
    for (const Note& n : *notes) {
      put(n.owner);
      text(n.text);
    }
    s += '\n';
  }
  for (int sex : m.addedSexes) put(sex);
  return s;
}

}  // namespace brimsel::test
