// The model's invariants after a completed conversion.
#include "engine/invariants.h"

namespace brimsel {
namespace {

bool InDict(int id, const std::unique_ptr<ArbreSSZ>& d) {
  return id == -1 || (d && id >= 0 && id < d->nombre);
}

std::string At(const char* what, std::size_t i) { return std::string(what) + " " + std::to_string(i); }

}  // namespace

std::string VerifieModele(const GedcomFichier& m) {
  if (!m.dictPrenoms || !m.dictNoms || !m.dictLieux) return "missing dictionary";
  if (m.individus.size() != static_cast<std::size_t>(m.nbIndividus)) return "nbIndividus";
  if (m.unions.size() != static_cast<std::size_t>(m.nbUnions)) return "nbUnions";
  if (m.notesIndi.size() != static_cast<std::size_t>(m.nbNotesIndi)) return "nbNotesIndi";
  if (m.notesFam.size() != static_cast<std::size_t>(m.nbNotesFam)) return "nbNotesFam";
  if (m.sexeAjoutes.size() != static_cast<std::size_t>(m.nbAjoutes)) return "nbAjoutes";
  for (std::size_t i = 0; i < m.individus.size(); ++i) {
    const GedcomIndividu& ind = m.individus[i];
    if (ind.famc < -1 || ind.famc >= m.nbUnions) return At("famc of individual", i);
    if (!InDict(ind.nom, m.dictNoms) || !InDict(ind.prenom, m.dictPrenoms)) {
      return At("name of individual", i);
    }
    for (int lieu : {ind.lieuNaissance, ind.lieuBapteme, ind.lieuDeces, ind.lieuSepulture}) {
      if (!InDict(lieu, m.dictLieux)) return At("place of individual", i);
    }
    if (ind.sexe < -1 || ind.sexe > 1) return At("sex of individual", i);
    for (const char* date : {ind.dateNaissance, ind.dateBapteme, ind.dateDeces, ind.dateSepulture}) {
      if (date && std::char_traits<char>::length(date) >= kTailleDate) return At("date of", i);
    }
  }
  int total = m.nbIndividus + m.nbAjoutes;
  std::vector<int> ajoutVu(static_cast<std::size_t>(m.nbAjoutes), 0);
  for (std::size_t i = 0; i < m.unions.size(); ++i) {
    const GedcomUnion& u = m.unions[i];
    for (int conjoint : {u.epoux, u.epouse}) {
      if (conjoint < 0 || conjoint >= total) return At("spouse of union", i);
      if (conjoint >= m.nbIndividus) {
        int a = conjoint - m.nbIndividus;
        if (ajoutVu[static_cast<std::size_t>(a)]++) return At("added individual shared, union", i);
        int expected = conjoint == u.epoux ? 1 : 0;
        if (m.sexeAjoutes[static_cast<std::size_t>(a)] != expected) return At("added sex, union", i);
      }
    }
    if (!InDict(u.lieuMariage, m.dictLieux)) return At("place of union", i);
  }
  for (std::size_t a = 0; a < ajoutVu.size(); ++a) {
    if (!ajoutVu[a]) return At("added individual without union", a);
  }
  for (const GedcomNote& n : m.notesIndi) {
    if (n.proprietaire < -1 || n.proprietaire >= m.nbIndividus) return "note owner";
  }
  for (const GedcomNote& n : m.notesFam) {
    if (n.proprietaire < -1 || n.proprietaire >= m.nbUnions) return "union note owner";
  }
  return {};
}

}  // namespace brimsel
