// Code resolution, pass 3 checks, added spouses, counts and summary.
#include <algorithm>
#include <array>
#include <cstring>

#include "engine/lecture.h"

namespace brimsel {

void ResoutCodes(Lecture& l) {
  GedcomFichier& m = l.modele;
  int maxUnion = 0;
  int maxEnfant = 0;
  for (const GedcomIndividu& ind : m.individus) maxUnion = std::max(maxUnion, ind.nbFams);
  for (const GedcomUnion& u : m.unions) maxEnfant = std::max(maxEnfant, u.nbEnfants);
  l.Message("maxunion %d, maxenfant %d", maxUnion, maxEnfant);

  l.Statut("Codes INDI");
  for (int k = 0; k < m.nbIndividus; ++k) {
    if (k % 100 == 0) l.AfficheCompteur(k);
    GedcomIndividu& ind = m.individus[static_cast<std::size_t>(k)];
    if (ind.famc < 0) continue;
    int indice = m.indiceUnion(ind.famc);
    if (indice < 0) {
      l.Message("erreur code parent @F%d@ %d @I%d@", ind.famc, k, ind.code);
      ++m.nbErreurs;
    }
    ind.famc = indice;
    ++m.nbParents;
  }

  l.Statut("Codes FAM");
  for (int k = 0; k < m.nbUnions; ++k) {
    if (k % 100 == 0) l.AfficheCompteur(k);
    GedcomUnion& u = m.unions[static_cast<std::size_t>(k)];
    int numero = u.epoux;
    u.epoux = m.indiceIndividu(numero);
    if (u.epoux < 0) {
      l.Message("ajout \xC9POUX(%d) %d", numero, k);
      ++m.nbAjoutes;
    } else if (int sexe = m.individus[static_cast<std::size_t>(u.epoux)].sexe; sexe != 1) {
      l.Message("erreur sexe \xC9POUX(%d) %d", u.epoux, sexe);
      ++m.nbErreurs;
    }
    numero = u.epouse;
    u.epouse = m.indiceIndividu(numero);
    if (u.epouse < 0) {
      l.Message("ajout \xC9POUSE(%d) %d", numero, k);
      ++m.nbAjoutes;
    } else if (int sexe = m.individus[static_cast<std::size_t>(u.epouse)].sexe; sexe != 0) {
      l.Message("erreur sexe \xC9POUSE(%d) %d", u.epouse, sexe);
      ++m.nbErreurs;
    }
  }
}

namespace {

int Taille(std::string_view mot) { return static_cast<int>(mot.size()); }

// FAMS of individual `indi`, naming union `u` (its index, or -1 when none has the number).
void VerifieFams(Lecture& l, int indi, int u, std::string_view mot) {
  GedcomFichier& m = l.modele;
  if (u < 0) {
    l.Message("erreur FAMS inexistant(%.*s) %d", Taille(mot), mot.data(), indi);
    ++m.nbErreurs;
    return;
  }
  const GedcomUnion& un = m.unions[static_cast<std::size_t>(u)];
  int conjoint = m.individus[static_cast<std::size_t>(indi)].sexe == 1 ? un.epoux : un.epouse;
  if (conjoint != indi) {
    l.Message("erreur FAMS retro %.*s (%d) %d", Taille(mot), mot.data(), indi, conjoint);
    ++m.nbErreurs;
  }
}

// CHIL of union `fam`, naming individual `enfant` (its index, or -1).
void VerifieChil(Lecture& l, int fam, int enfant, std::string_view mot) {
  GedcomFichier& m = l.modele;
  if (enfant < 0) {
    l.Message("erreur CHIL(%.*s) %d", Taille(mot), mot.data(), fam);
    ++m.nbErreurs;
    return;
  }
  int famc = m.individus[static_cast<std::size_t>(enfant)].famc;
  if (famc != fam) {
    l.Message("erreur CHIL %.*s (%d) %d", Taille(mot), mot.data(), fam, famc);
    ++m.nbErreurs;
  }
}

// The checks of pass 3 wait a few lines in a queue: the record a check reads is asked for when
// its line is read, and has reached the cache when the check is made. In a file whose records
// come in no particular order, each of these reads would otherwise wait for main memory. The
// checks are made in the order of their lines, so the messages come out as they would at once;
// the model does not change during the pass, so the lookups give the same records.
class Verifications {
 public:
  explicit Verifications(Lecture& l) : l_(l), m_(l.modele) {}

  void Fams(int indi, std::string_view mot) {
    Attente& a = Place(false, indi, m_.indiceUnion(NumeroReference(mot)), mot);
    if (a.cible >= 0) __builtin_prefetch(&m_.unions[static_cast<std::size_t>(a.cible)]);
  }
  void Chil(int fam, std::string_view mot) {
    Attente& a = Place(true, fam, m_.indiceIndividu(NumeroReference(mot)), mot);
    if (a.cible >= 0) __builtin_prefetch(&m_.individus[static_cast<std::size_t>(a.cible)].famc);
  }
  // Makes every check still waiting.
  void Termine() {
    while (nombre_ != 0) Premiere();
  }

 private:
  static constexpr std::size_t kAttente = 16;
  struct Attente {
    bool chil = false;
    int proprietaire = -1;  // the individual (FAMS) or union (CHIL) whose line it is
    int cible = -1;         // the record the line names, or -1
    std::size_t longueur = 0;
    char mot[kMotMax] = {};  // the line's value word, for the messages
  };

  Attente& Place(bool chil, int proprietaire, int cible, std::string_view mot) {
    if (nombre_ == kAttente) Premiere();
    Attente& a = file_[(debut_ + nombre_) % kAttente];
    ++nombre_;
    a.chil = chil;
    a.proprietaire = proprietaire;
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
      VerifieChil(l_, a.proprietaire, a.cible, mot);
    } else {
      VerifieFams(l_, a.proprietaire, a.cible, mot);
    }
  }

  Lecture& l_;
  GedcomFichier& m_;
  std::array<Attente, kAttente> file_;
  std::size_t debut_ = 0;
  std::size_t nombre_ = 0;
};

}  // namespace

void Passe3(Lecture& l) {
  GedcomFichier& m = l.modele;
  l.Statut("Passe 3");
  EnTete genre = EnTete::kAutre;
  bool commence = false;
  int indi = -1;
  int fam = -1;
  MotsLigne mots;
  Verifications verifications(l);
  // Only level-0 lines and level-1 FAMS and CHIL lines matter here.
  l.PourChaqueLigneChoisie({'0', '1', {'F', 'C'}}, [&](const Line& line) {
    std::size_t longueur = line.Length();
    if (longueur < 6) return;
    char niveau = line.text[0];
    if (niveau == '0') {
      genre = GenreEnTete(line);
      // Record numbering follows pass 2; headers beyond its counts belong to a changed file.
      if (genre == EnTete::kIndividu) {
        if (indi + 1 >= m.nbIndividus) {
          l.modifie = true;
          genre = EnTete::kAutre;
        } else {
          ++indi;
          commence = true;
        }
      } else if (genre == EnTete::kUnion) {
        if (fam + 1 >= m.nbUnions) {
          l.modifie = true;
          genre = EnTete::kAutre;
        } else {
          ++fam;
          commence = true;
        }
      }
      return;
    }
    if (!commence || niveau != '1' || longueur < 8) return;
    // Most level-1 lines name another tag in the usual place: no split needed.
    if (AutreTagQue(line.text, line.size, "FAMS", "CHIL")) return;
    DecoupeMots(line.text, line.size, mots);
    if (mots.items != 3) return;
    if (genre == EnTete::kIndividu && mots.TagEst("FAMS")) verifications.Fams(indi, mots.Valeur());
    if (genre == EnTete::kUnion && mots.TagEst("CHIL")) verifications.Chil(fam, mots.Valeur());
  });
  verifications.Termine();
  if (indi + 1 != m.nbIndividus || fam + 1 != m.nbUnions) l.modifie = true;
}

void AjouteConjoints(Lecture& l) {
  GedcomFichier& m = l.modele;
  if (m.nbAjoutes <= 0) return;
  m.sexeAjoutes.assign(static_cast<std::size_t>(m.nbAjoutes), 0);
  int a = 0;
  for (GedcomUnion& u : m.unions) {
    if (u.epoux < 0 && a < m.nbAjoutes) {
      u.epoux = m.nbIndividus + a;
      m.sexeAjoutes[static_cast<std::size_t>(a++)] = 1;
    }
    if (u.epouse < 0 && a < m.nbAjoutes) {
      u.epouse = m.nbIndividus + a;
      m.sexeAjoutes[static_cast<std::size_t>(a++)] = 0;
    }
  }
  l.Message("%d INDI ajout\xE9s", m.nbAjoutes);
}

void AfficheComptes(Lecture& l) {
  const GedcomFichier& m = l.modele;
  const std::pair<int, int> comptes[] = {
      {ctl::kNaissanceDate, m.nbDateNaissance}, {ctl::kNaissanceLieu, m.nbLieuNaissance},
      {ctl::kDecesDate, m.nbDateDeces},         {ctl::kDecesLieu, m.nbLieuDeces},
      {ctl::kBaptemeDate, m.nbDateBapteme},     {ctl::kBaptemeLieu, m.nbLieuBapteme},
      {ctl::kSepultureDate, m.nbDateSepulture}, {ctl::kSepultureLieu, m.nbLieuSepulture},
      {ctl::kDebutDate, m.nbDateMariage},       {ctl::kDebutLieu, m.nbLieuMariage},
      {ctl::kFinDate, 0},                       {ctl::kFinLieu, 0},
      {ctl::kErreurs, m.nbErreurs},             {ctl::kParent, m.nbParents},
      {ctl::kNoteFam, m.nbNotesFam},            {ctl::kNoteIndi, m.nbNotesIndi},
      {ctl::kQuay, m.nbQuay},                   {ctl::kSour, m.nbSour},
  };
  char texte[16];
  for (const auto& [id, valeur] : comptes) {
    std::snprintf(texte, sizeof texte, "%d", valeur);
    l.dialogue.SetFieldText(id, texte);
  }
}

}  // namespace brimsel
