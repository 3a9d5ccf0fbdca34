// Reading passes 1 and 2: count the records, then fill them.
#include <charconv>
#include <cstdarg>
#include <cstring>

#include "engine/lecture.h"

namespace brimsel {

void Lecture::AfficheCompteur(int valeur) {
  char texte[16];  // what "%d" writes; called every 100 lines, so without the printf machinery
  *std::to_chars(texte, texte + sizeof texte - 1, valeur).ptr = '\0';
  dialogue.SetFieldText(ctl::kLineCounter, texte);
  dialogue.Repaint();
}

void Lecture::Message(const char* format, ...) {
  char ligne[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(ligne, sizeof ligne, format, args);
  va_end(args);
  dialogue.AddMessage(ligne);
}

void Passe1(Lecture& l) {
  GedcomFichier& m = l.modele;
  EnTete genre = EnTete::kAutre;
  const bool notes = l.options.notes;
  // Only level-0 lines and "1 NOTE" lines count here.
  l.PourChaqueLigneChoisie({'0', '1', {'N', 'N'}}, [&](const Line& line) {
    if (line.Length() < 6) return;
    if (line.text[0] == '0') {
      genre = GenreEnTete(line);
      if (genre == EnTete::kIndividu) ++m.nbIndividus;
      if (genre == EnTete::kUnion) ++m.nbUnions;
    } else if (notes && TagPositionnel(line, "NOTE") && line.text[0] == '1') {
      // The tag first: it is rarely NOTE, where the level is 1 or 2 about as often.
      if (genre == EnTete::kIndividu) ++m.nbNotesIndi;
      if (genre == EnTete::kUnion) ++m.nbNotesFam;
    }
  });
}

void AlloueTableaux(GedcomFichier& m) {
  m.individus.assign(static_cast<std::size_t>(m.nbIndividus), GedcomIndividu{});
  m.unions.assign(static_cast<std::size_t>(m.nbUnions), GedcomUnion{});
  m.notesIndi.assign(static_cast<std::size_t>(m.nbNotesIndi), GedcomNote{});
  m.notesFam.assign(static_cast<std::size_t>(m.nbNotesFam), GedcomNote{});
}

namespace {

// Room of the note being read: at most 8191 characters; the rest is cut.
constexpr std::size_t kNoteMax = 8191;

enum class Contexte { kAucun, kNaissance, kBapteme, kDeces, kSepulture, kMariage, kNote };

class Remplissage {
 public:
  explicit Remplissage(Lecture& l) : l_(l), m_(l.modele) {}

  void Ligne(Line& line);
  // Stores a note still pending at the end of the file, as a level-0 line would.
  void Fin() { FermeNote(); }
  // True when pass 2 met exactly the records and notes that pass 1 counted.
  bool Complet() const {
    return indi_ + 1 == m_.nbIndividus && fam_ + 1 == m_.nbUnions &&
           (!l_.options.notes || (noteIndi_ + 1 == m_.nbNotesIndi && noteFam_ + 1 == m_.nbNotesFam));
  }

 private:
  void Niveau0(const Line& line);
  void Niveau1(Line& line);
  void Niveau2(const Line& line);
  void OuvreNote(const Line& line);
  void FermeNote();
  void Evenement(const MotsLigne& mots);
  void ValeurIndividu(Line& line, const MotsLigne& mots);
  void ValeurUnion(const MotsLigne& mots);
  void Nom(Line& line);
  void AjouteNote(std::string_view texte);
  // The counters and fields that a DATE or PLAC line fills in the current event context.
  struct Cibles {
    int* nbDates = nullptr;
    int* nbLieux = nullptr;
    char** date = nullptr;
    int* lieu = nullptr;
  };
  Cibles CiblesCourantes();
  void Date(std::string_view texte);
  void Lieu(const Line& line);

  GedcomIndividu& Individu() { return m_.individus[static_cast<std::size_t>(indi_)]; }
  GedcomUnion& Union() { return m_.unions[static_cast<std::size_t>(fam_)]; }

  Lecture& l_;
  GedcomFichier& m_;
  EnTete genre_ = EnTete::kAutre;
  bool commence_ = false;  // an individual or union header has been read
  int indi_ = -1;
  int fam_ = -1;
  Contexte contexte_ = Contexte::kAucun;
  EnTete genreNote_ = EnTete::kAutre;
  int noteIndi_ = -1;
  int noteFam_ = -1;
  char note_[kNoteMax + 1] = {};
  std::size_t longueurNote_ = 0;
  MotsLigne mots_;
};

void Remplissage::Ligne(Line& line) {
  if (line.Length() < 6) return;
  char niveau = line.text[0];
  if (niveau == '0' || niveau == '1') FermeNote();
  switch (niveau) {
    case '0':
      Niveau0(line);
      break;
    case '1':
      if (commence_) Niveau1(line);
      break;
    case '2':
      if (commence_) Niveau2(line);
      break;
    default:
      break;
  }
}

void Remplissage::FermeNote() {
  if (contexte_ != Contexte::kNote) return;
  std::string_view texte(note_, longueurNote_);
  if (genreNote_ == EnTete::kIndividu && noteIndi_ >= 0) {
    m_.notesIndi[static_cast<std::size_t>(noteIndi_)].texte = m_.textes.Copie(texte);
  } else if (genreNote_ == EnTete::kUnion && noteFam_ >= 0) {
    m_.notesFam[static_cast<std::size_t>(noteFam_)].texte = m_.textes.Copie(texte);
  }
  longueurNote_ = 0;
  contexte_ = Contexte::kAucun;
}

void Remplissage::Niveau0(const Line& line) {
  contexte_ = Contexte::kAucun;
  genre_ = GenreEnTete(line);
  if (genre_ == EnTete::kIndividu) {
    if (indi_ + 1 >= m_.nbIndividus) {  // more headers than pass 1 counted
      l_.modifie = true;
      genre_ = EnTete::kAutre;
      return;
    }
    ++indi_;
    commence_ = true;
    Individu().code = NumeroEnTete(line.View());
  } else if (genre_ == EnTete::kUnion) {
    if (fam_ + 1 >= m_.nbUnions) {
      l_.modifie = true;
      genre_ = EnTete::kAutre;
      return;
    }
    ++fam_;
    commence_ = true;
    GedcomUnion& u = Union();
    u.code = NumeroEnTete(line.View());
    u.epoux = -1;
    u.epouse = -1;
  }
}

void Remplissage::Niveau1(Line& line) {
  contexte_ = Contexte::kAucun;
  if (l_.options.notes && TagPositionnel(line, "NOTE")) {
    OuvreNote(line);
    return;
  }
  DecoupeMots(line.text, line.size, mots_);
  if (mots_.items == 2) {
    Evenement(mots_);
  } else if (mots_.items == 3) {
    if (genre_ == EnTete::kIndividu) ValeurIndividu(line, mots_);
    if (genre_ == EnTete::kUnion) ValeurUnion(mots_);
  }
}

void Remplissage::OuvreNote(const Line& line) {
  contexte_ = Contexte::kNote;
  genreNote_ = genre_;
  longueurNote_ = 0;
  if (genre_ == EnTete::kIndividu) {
    if (noteIndi_ + 1 >= m_.nbNotesIndi) {
      l_.modifie = true;
      genreNote_ = EnTete::kAutre;
      return;
    }
    m_.notesIndi[static_cast<std::size_t>(++noteIndi_)].proprietaire = indi_;
  } else if (genre_ == EnTete::kUnion) {
    if (noteFam_ + 1 >= m_.nbNotesFam) {
      l_.modifie = true;
      genreNote_ = EnTete::kAutre;
      return;
    }
    m_.notesFam[static_cast<std::size_t>(++noteFam_)].proprietaire = fam_;
  }
  AjouteNote(TexteValeur(line));
}

void Remplissage::AjouteNote(std::string_view texte) {
  std::size_t n = std::min(texte.size(), kNoteMax - longueurNote_);
  if (n == 0) return;
  std::memcpy(note_ + longueurNote_, texte.data(), n);
  longueurNote_ += n;
}

void Remplissage::Evenement(const MotsLigne& mots) {
  if (genre_ == EnTete::kIndividu) {
    if (mots.TagEst("BIRT")) contexte_ = Contexte::kNaissance;
    else if (mots.TagEst("BAPM")) contexte_ = Contexte::kBapteme;
    else if (mots.TagEst("DEAT")) contexte_ = Contexte::kDeces;
    else if (mots.TagEst("BURI")) contexte_ = Contexte::kSepulture;
  } else if (genre_ == EnTete::kUnion && mots.TagEst("MARR")) {
    contexte_ = Contexte::kMariage;
  }
}

void Remplissage::ValeurIndividu(Line& line, const MotsLigne& mots) {
  GedcomIndividu& ind = Individu();
  switch (mots.tag[0]) {  // items == 3: the tag is not empty
    case 'F':
      if (mots.TagEst("FAMC")) {
        ind.famc = -1;
        ind.famc = NumeroReference(mots.Valeur());
      } else if (mots.TagEst("FAMS")) {
        ++ind.nbFams;
      }
      break;
    case 'S':
      if (mots.TagEst("SEX")) ind.sexe = mots.Valeur()[0] == 'M' ? 1 : 0;
      break;
    case 'N':
      if (mots.TagEst("NAME")) Nom(line);
      break;
    case 'O':
      if (mots.TagEst("OCCU")) ind.profession = m_.textes.Copie(TexteValeur(line));
      break;
    default:
      break;
  }
}

void Remplissage::ValeurUnion(const MotsLigne& mots) {
  GedcomUnion& u = Union();
  if (mots.TagEst("HUSB")) {
    int n = NumeroReference(mots.Valeur());
    if (n != -1) u.epoux = n;
  } else if (mots.TagEst("WIFE")) {
    int n = NumeroReference(mots.Valeur());
    if (n != -1) u.epouse = n;
  } else if (mots.TagEst("CHIL")) {
    ++u.nbEnfants;
  }
}

// Cuts the value text at '/' as strtok does: the first piece is the given names, the second the
// surname, the rest is ignored.
void Remplissage::Nom(Line& line) {
  GedcomIndividu& ind = Individu();
  char* p = DebutValeur(line);
  char* end = line.text + line.size;
  int* cibles[2] = {&ind.prenom, &ind.nom};
  ArbreSSZ* dicts[2] = {m_.dictPrenoms.get(), m_.dictNoms.get()};
  for (int piece = 0; piece < 2; ++piece) {
    while (p < end && *p == '/') ++p;
    if (p == end) break;
    char* debut = p;
    while (p < end && *p != '/') ++p;
    char* fin = p;
    if (p < end) ++p;  // past the delimiter, which the insert may overwrite
    *cibles[piece] = dicts[piece]->Ajoute(debut, static_cast<int>(fin - debut), l_.options.optionsNoms);
  }
  if (ind.prenom < 0 && ind.nom < 0) l_.Message("nom inconnus %d", indi_);
}

void Remplissage::Niveau2(const Line& line) {
  if (contexte_ == Contexte::kNote) {
    if (TagPositionnel(line, "CONT")) {
      AjouteNote(" ");
      AjouteNote(TexteValeur(line));
      return;
    }
    if (TagPositionnel(line, "CONC")) {
      AjouteNote(TexteValeur(line));
      return;
    }
  }
  DecoupeMots(line.text, line.size, mots_);
  if (mots_.items != 3) return;
  if (mots_.TagEst("QUAY")) {
    ++m_.nbQuay;
  } else if (mots_.TagEst("SOUR")) {
    ++m_.nbSour;
  } else if (mots_.TagEst("DATE")) {
    Date(TexteValeur(line));
  } else if (mots_.TagEst("PLAC")) {
    Lieu(line);
  }
}

Remplissage::Cibles Remplissage::CiblesCourantes() {
  switch (contexte_) {
    case Contexte::kNaissance: {
      GedcomIndividu& i = Individu();
      return {&m_.nbDateNaissance, &m_.nbLieuNaissance, &i.dateNaissance, &i.lieuNaissance};
    }
    case Contexte::kBapteme: {
      GedcomIndividu& i = Individu();
      return {&m_.nbDateBapteme, &m_.nbLieuBapteme, &i.dateBapteme, &i.lieuBapteme};
    }
    case Contexte::kDeces: {
      GedcomIndividu& i = Individu();
      return {&m_.nbDateDeces, &m_.nbLieuDeces, &i.dateDeces, &i.lieuDeces};
    }
    case Contexte::kSepulture: {
      GedcomIndividu& i = Individu();
      return {&m_.nbDateSepulture, &m_.nbLieuSepulture, &i.dateSepulture, &i.lieuSepulture};
    }
    case Contexte::kMariage: {
      GedcomUnion& u = Union();
      return {&m_.nbDateMariage, &m_.nbLieuMariage, &u.dateMariage, &u.lieuMariage};
    }
    default:
      return {};
  }
}

void Remplissage::Date(std::string_view texte) {
  Cibles e = CiblesCourantes();
  if (e.date == nullptr) return;
  ++*e.nbDates;
  // A later date of the same event replaces the earlier one.
  *e.date = m_.textes.EcritDate(*e.date, texte);
}

void Remplissage::Lieu(const Line& line) {
  Cibles e = CiblesCourantes();
  if (e.lieu == nullptr) return;
  ++*e.nbLieux;
  char* debut = DebutValeur(line);
  *e.lieu = m_.dictLieux->Ajoute(debut, static_cast<int>(line.text + line.size - debut),
                                 l_.options.optionsLieux);
}

}  // namespace

void Passe2(Lecture& l) {
  Remplissage remplissage(l);
  l.PourChaqueLigne([&](Line& line) { remplissage.Ligne(line); });
  remplissage.Fin();
  if (!remplissage.Complet()) l.modifie = true;
}

}  // namespace brimsel
