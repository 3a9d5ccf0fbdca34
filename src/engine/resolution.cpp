// Code resolution, pass 3 checks, added spouses, counts and summary.
#include <algorithm>
#include <array>
#include <cstring>

#include "engine/reading_state.h"

namespace brimsel {

void ResolveCodes(ReadingState& l) {
  GedcomModel& m = l.modele;
  int maxUnion = 0;
  int maxEnfant = 0;
  for (const Individual& ind : m.individuals) maxUnion = std::max(maxUnion, ind.famsCount);
  for (const Union& u : m.unions) maxEnfant = std::max(maxEnfant, u.childCount);
  l.Message("maxunion %d, maxenfant %d", maxUnion, maxEnfant);

  l.Statut("Codes INDI");
  for (int k = 0; k < m.counts.individuals; ++k) {
    if (k % 100 == 0) l.ShowLineCount(k);
    Individual& ind = m.individuals[static_cast<std::size_t>(k)];
    if (ind.famc < 0) continue;
    int indice = m.UnionIndex(ind.famc);
    if (indice < 0) {
      l.Message("erreur code parent @F%d@ %d @I%d@", ind.famc, k, ind.code);
      ++m.counts.errors;
    }
    ind.famc = indice;
    ++m.counts.parents;
  }

  l.Statut("Codes FAM");
  for (int k = 0; k < m.counts.unions; ++k) {
    if (k % 100 == 0) l.ShowLineCount(k);
    Union& u = m.unions[static_cast<std::size_t>(k)];
    int numero = u.husband;
    u.husband = m.IndividualIndex(numero);
    if (u.husband < 0) {
      l.Message("ajout \xC9POUX(%d) %d", numero, k);
      ++m.counts.added;
    } else if (int sexe = m.individuals[static_cast<std::size_t>(u.husband)].sex; sexe != 1) {
      l.Message("erreur sexe \xC9POUX(%d) %d", u.husband, sexe);
      ++m.counts.errors;
    }
    numero = u.wife;
    u.wife = m.IndividualIndex(numero);
    if (u.wife < 0) {
      l.Message("ajout \xC9POUSE(%d) %d", numero, k);
      ++m.counts.added;
    } else if (int sexe = m.individuals[static_cast<std::size_t>(u.wife)].sex; sexe != 0) {
      l.Message("erreur sexe \xC9POUSE(%d) %d", u.wife, sexe);
      ++m.counts.errors;
    }
  }
}

namespace {

int Taille(std::string_view mot) { return static_cast<int>(mot.size()); }

// FAMS of individual `indi`, naming union `u` (its index, or -1 when none has the number).
void VerifieFams(ReadingState& l, int indi, int u, std::string_view mot) {
  GedcomModel& m = l.modele;
  if (u < 0) {
    l.Message("erreur FAMS inexistant(%.*s) %d", Taille(mot), mot.data(), indi);
    ++m.counts.errors;
    return;
  }
  const Union& un = m.unions[static_cast<std::size_t>(u)];
  int conjoint = m.individuals[static_cast<std::size_t>(indi)].sex == 1 ? un.husband : un.wife;
  if (conjoint != indi) {
    l.Message("erreur FAMS retro %.*s (%d) %d", Taille(mot), mot.data(), indi, conjoint);
    ++m.counts.errors;
  }
}

// CHIL of union `fam`, naming individual `enfant` (its index, or -1).
void VerifieChil(ReadingState& l, int fam, int enfant, std::string_view mot) {
  GedcomModel& m = l.modele;
  if (enfant < 0) {
    l.Message("erreur CHIL(%.*s) %d", Taille(mot), mot.data(), fam);
    ++m.counts.errors;
    return;
  }
  int famc = m.individuals[static_cast<std::size_t>(enfant)].famc;
  if (famc != fam) {
    l.Message("erreur CHIL %.*s (%d) %d", Taille(mot), mot.data(), fam, famc);
    ++m.counts.errors;
  }
}

// The checks of pass 3 wait a few lines in a queue: the record a check reads is asked for when
// its line is read, and has reached the cache when the check is made. In a file whose records
// come in no particular order, each of these reads would otherwise wait for main memory. The
// checks are made in the order of their lines, so the messages come out as they would at once;
// the model does not change during the pass, so the lookups give the same records.
class LinkChecks {
 public:
  explicit LinkChecks(ReadingState& l) : l_(l), m_(l.modele) {}

  void Fams(int indi, std::string_view mot) {
    Attente& a = Place(false, indi, m_.UnionIndex(ReferenceNumber(mot)), mot);
    if (a.cible >= 0) __builtin_prefetch(&m_.unions[static_cast<std::size_t>(a.cible)]);
  }
  void Chil(int fam, std::string_view mot) {
    Attente& a = Place(true, fam, m_.IndividualIndex(ReferenceNumber(mot)), mot);
    if (a.cible >= 0) __builtin_prefetch(&m_.individuals[static_cast<std::size_t>(a.cible)].famc);
  }
  // Makes every check still waiting.
  void Termine() {
    while (nombre_ != 0) Premiere();
  }

 private:
  static constexpr std::size_t kAttente = 16;
  struct Attente {
    bool chil = false;
    int owner = -1;  // the individual (FAMS) or union (CHIL) whose line it is
    int cible = -1;         // the record the line names, or -1
    std::size_t longueur = 0;
    char mot[kWordCapacity] = {};  // the line's value word, for the messages
  };

  Attente& Place(bool chil, int owner, int cible, std::string_view mot) {
    if (nombre_ == kAttente) Premiere();
    Attente& a = file_[(debut_ + nombre_) % kAttente];
    ++nombre_;
    a.chil = chil;
    a.owner = owner;
    a.cible = cible;
    a.longueur = std::min(mot.size(), sizeof a.mot);
    std::memcpy(a.mot, mot.data(), a.longueur);
    return a;
  }
  void Premiere() {
    const Attente& a = file_[debut_];
    debut_ = (debut_ + 1) % kAttente;
    --nombre_;
    const std::string_view mot(a.mot, a.longueur);
    if (a.chil) {
      VerifieChil(l_, a.owner, a.cible, mot);
    } else {
      VerifieFams(l_, a.owner, a.cible, mot);
    }
  }

  ReadingState& l_;
  GedcomModel& m_;
  std::array<Attente, kAttente> file_;
  std::size_t debut_ = 0;
  std::size_t nombre_ = 0;
};

}  // namespace

void CheckLinks(ReadingState& l) {
  GedcomModel& m = l.modele;
  l.Statut("Passe 3");
  RecordKind genre = RecordKind::kOther;
  bool commence = false;
  int indi = -1;
  int fam = -1;
  LineWords mots;
  LinkChecks verifications(l);
  // Only level-0 lines and level-1 FAMS and CHIL lines matter here.
  l.ForEachSelectedLine({'0', '1', {'F', 'C'}}, [&](const Line& line) {
    std::size_t longueur = line.Length();
    if (longueur < 6) return;
    char niveau = line.text[0];
    if (niveau == '0') {
      genre = KindOfRecord(line);
      // Record numbering follows pass 2; headers beyond its counts belong to a changed file.
      if (genre == RecordKind::kIndividual) {
        if (indi + 1 >= m.counts.individuals) {
          l.modifie = true;
          genre = RecordKind::kOther;
        } else {
          ++indi;
          commence = true;
        }
      } else if (genre == RecordKind::kUnion) {
        if (fam + 1 >= m.counts.unions) {
          l.modifie = true;
          genre = RecordKind::kOther;
        } else {
          ++fam;
          commence = true;
        }
      }
      return;
    }
    if (!commence || niveau != '1' || longueur < 8) return;
    // Most level-1 lines name another tag in the usual place: no split needed.
    if (IsNeitherTag(line.text, line.size, "FAMS", "CHIL")) return;
    SplitWords(line.text, line.size, mots);
    if (mots.items != 3) return;
    if (genre == RecordKind::kIndividual && mots.TagIs("FAMS")) verifications.Fams(indi, mots.Value());
    if (genre == RecordKind::kUnion && mots.TagIs("CHIL")) verifications.Chil(fam, mots.Value());
  });
  verifications.Termine();
  if (indi + 1 != m.counts.individuals || fam + 1 != m.counts.unions) l.modifie = true;
}

void AddMissingSpouses(ReadingState& l) {
  GedcomModel& m = l.modele;
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
  l.Message("%d INDI ajout\xE9s", m.counts.added);
}

void ShowCounts(ReadingState& l) {
  const GedcomModel& m = l.modele;
  const std::pair<int, int> comptes[] = {
      {ctl::kBirthDate, m.counts.birthDates}, {ctl::kBirthPlace, m.counts.birthPlaces},
      {ctl::kDeathDate, m.counts.deathDates},         {ctl::kDeathPlace, m.counts.deathPlaces},
      {ctl::kBaptismDate, m.counts.baptismDates},     {ctl::kBaptismPlace, m.counts.baptismPlaces},
      {ctl::kBurialDate, m.counts.burialDates}, {ctl::kBurialPlace, m.counts.burialPlaces},
      {ctl::kUnionStartDate, m.counts.marriageDates},       {ctl::kUnionStartPlace, m.counts.marriagePlaces},
      {ctl::kUnionEndDate, 0},                       {ctl::kUnionEndPlace, 0},
      {ctl::kErrors, m.counts.errors},             {ctl::kParent, m.counts.parents},
      {ctl::kNoteFam, m.counts.unionNotes},            {ctl::kNoteIndi, m.counts.individualNotes},
      {ctl::kQuay, m.counts.quay},                   {ctl::kSour, m.counts.sources},
  };
  char texte[16];
  for (const auto& [id, valeur] : comptes) {
    std::snprintf(texte, sizeof texte, "%d", valeur);
    l.dialogue.SetFieldText(id, texte);
  }
}

}  // namespace brimsel
