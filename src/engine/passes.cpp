// Reading passes 1 and 2: count the records, then fill them.
#include <charconv>
#include <cstdarg>
#include <cstring>

#include "engine/reading_state.h"

namespace brimsel {

void ReadingState::ShowLineCount(int valeur) {
  char texte[16];  // what "%d" writes; called every 100 lines, so without the printf machinery
  *std::to_chars(texte, texte + sizeof texte - 1, valeur).ptr = '\0';
  dialogue.SetFieldText(ctl::kLineCounter, texte);
  dialogue.Repaint();
}

void ReadingState::Message(const char* format, ...) {
  char ligne[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(ligne, sizeof ligne, format, args);
  va_end(args);
  dialogue.AddMessage(ligne);
}

void CountRecords(ReadingState& l) {
  GedcomModel& m = l.modele;
  RecordKind genre = RecordKind::kOther;
  const bool notes = l.options.notes;
  // Only level-0 lines and "1 NOTE" lines count here.
  l.ForEachSelectedLine({'0', '1', {'N', 'N'}}, [&](const Line& line) {
    if (line.Length() < 6) return;
    if (line.text[0] == '0') {
      genre = KindOfRecord(line);
      if (genre == RecordKind::kIndividual) ++m.counts.individuals;
      if (genre == RecordKind::kUnion) ++m.counts.unions;
    } else if (notes && HasTagAtUsualPlace(line, "NOTE") && line.text[0] == '1') {
      // The tag first: it is rarely NOTE, where the level is 1 or 2 about as often.
      if (genre == RecordKind::kIndividual) ++m.counts.individualNotes;
      if (genre == RecordKind::kUnion) ++m.counts.unionNotes;
    }
  });
}

void AllocateRecords(GedcomModel& m) {
  m.individuals.assign(static_cast<std::size_t>(m.counts.individuals), Individual{});
  m.unions.assign(static_cast<std::size_t>(m.counts.unions), Union{});
  m.individualNotes.assign(static_cast<std::size_t>(m.counts.individualNotes), Note{});
  m.unionNotes.assign(static_cast<std::size_t>(m.counts.unionNotes), Note{});
}

namespace {

// Room of the note being read: at most 8191 characters; the rest is cut.
constexpr std::size_t kNoteMax = 8191;

enum class Contexte { kAucun, kNaissance, kBapteme, kDeces, kSepulture, kMariage, kNote };

class RecordFiller {
 public:
  explicit RecordFiller(ReadingState& l) : l_(l), m_(l.modele) {}

  void Ligne(Line& line);
  // Stores a note still pending at the end of the file, as a level-0 line would.
  void Fin() { FermeNote(); }
  // True when pass 2 met exactly the records and notes that pass 1 counted.
  bool Complet() const {
    return indi_ + 1 == m_.counts.individuals && fam_ + 1 == m_.counts.unions &&
           (!l_.options.notes || (noteIndi_ + 1 == m_.counts.individualNotes && noteFam_ + 1 == m_.counts.unionNotes));
  }

 private:
  void Niveau0(const Line& line);
  void Niveau1(Line& line);
  void Niveau2(const Line& line);
  void OuvreNote(const Line& line);
  void FermeNote();
  void Evenement(const LineWords& mots);
  void ValeurIndividu(Line& line, const LineWords& mots);
  void ValeurUnion(const LineWords& mots);
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

  Individual& CurrentIndividual() { return m_.individuals[static_cast<std::size_t>(indi_)]; }
  Union& CurrentUnion() { return m_.unions[static_cast<std::size_t>(fam_)]; }

  ReadingState& l_;
  GedcomModel& m_;
  RecordKind genre_ = RecordKind::kOther;
  bool commence_ = false;  // an individual or union header has been read
  int indi_ = -1;
  int fam_ = -1;
  Contexte contexte_ = Contexte::kAucun;
  RecordKind genreNote_ = RecordKind::kOther;
  int noteIndi_ = -1;
  int noteFam_ = -1;
  char note_[kNoteMax + 1] = {};
  std::size_t longueurNote_ = 0;
  LineWords mots_;
};

void RecordFiller::Ligne(Line& line) {
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

void RecordFiller::FermeNote() {
  if (contexte_ != Contexte::kNote) return;
  std::string_view texte(note_, longueurNote_);
  if (genreNote_ == RecordKind::kIndividual && noteIndi_ >= 0) {
    m_.individualNotes[static_cast<std::size_t>(noteIndi_)].texte = m_.texts.Copy(texte);
  } else if (genreNote_ == RecordKind::kUnion && noteFam_ >= 0) {
    m_.unionNotes[static_cast<std::size_t>(noteFam_)].texte = m_.texts.Copy(texte);
  }
  longueurNote_ = 0;
  contexte_ = Contexte::kAucun;
}

void RecordFiller::Niveau0(const Line& line) {
  contexte_ = Contexte::kAucun;
  genre_ = KindOfRecord(line);
  if (genre_ == RecordKind::kIndividual) {
    if (indi_ + 1 >= m_.counts.individuals) {  // more headers than pass 1 counted
      l_.modifie = true;
      genre_ = RecordKind::kOther;
      return;
    }
    ++indi_;
    commence_ = true;
    CurrentIndividual().code = HeaderNumber(line.View());
  } else if (genre_ == RecordKind::kUnion) {
    if (fam_ + 1 >= m_.counts.unions) {
      l_.modifie = true;
      genre_ = RecordKind::kOther;
      return;
    }
    ++fam_;
    commence_ = true;
    Union& u = CurrentUnion();
    u.code = HeaderNumber(line.View());
    u.husband = -1;
    u.wife = -1;
  }
}

void RecordFiller::Niveau1(Line& line) {
  contexte_ = Contexte::kAucun;
  if (l_.options.notes && HasTagAtUsualPlace(line, "NOTE")) {
    OuvreNote(line);
    return;
  }
  SplitWords(line.text, line.size, mots_);
  if (mots_.items == 2) {
    Evenement(mots_);
  } else if (mots_.items == 3) {
    if (genre_ == RecordKind::kIndividual) ValeurIndividu(line, mots_);
    if (genre_ == RecordKind::kUnion) ValeurUnion(mots_);
  }
}

void RecordFiller::OuvreNote(const Line& line) {
  contexte_ = Contexte::kNote;
  genreNote_ = genre_;
  longueurNote_ = 0;
  if (genre_ == RecordKind::kIndividual) {
    if (noteIndi_ + 1 >= m_.counts.individualNotes) {
      l_.modifie = true;
      genreNote_ = RecordKind::kOther;
      return;
    }
    m_.individualNotes[static_cast<std::size_t>(++noteIndi_)].owner = indi_;
  } else if (genre_ == RecordKind::kUnion) {
    if (noteFam_ + 1 >= m_.counts.unionNotes) {
      l_.modifie = true;
      genreNote_ = RecordKind::kOther;
      return;
    }
    m_.unionNotes[static_cast<std::size_t>(++noteFam_)].owner = fam_;
  }
  AjouteNote(ValueText(line));
}

void RecordFiller::AjouteNote(std::string_view texte) {
  std::size_t n = std::min(texte.size(), kNoteMax - longueurNote_);
  if (n == 0) return;
  std::memcpy(note_ + longueurNote_, texte.data(), n);
  longueurNote_ += n;
}

void RecordFiller::Evenement(const LineWords& mots) {
  if (genre_ == RecordKind::kIndividual) {
    if (mots.TagIs("BIRT")) contexte_ = Contexte::kNaissance;
    else if (mots.TagIs("BAPM")) contexte_ = Contexte::kBapteme;
    else if (mots.TagIs("DEAT")) contexte_ = Contexte::kDeces;
    else if (mots.TagIs("BURI")) contexte_ = Contexte::kSepulture;
  } else if (genre_ == RecordKind::kUnion && mots.TagIs("MARR")) {
    contexte_ = Contexte::kMariage;
  }
}

void RecordFiller::ValeurIndividu(Line& line, const LineWords& mots) {
  Individual& ind = CurrentIndividual();
  switch (mots.tag[0]) {  // items == 3: the tag is not empty
    case 'F':
      if (mots.TagIs("FAMC")) {
        ind.famc = -1;
        ind.famc = ReferenceNumber(mots.Value());
      } else if (mots.TagIs("FAMS")) {
        ++ind.famsCount;
      }
      break;
    case 'S':
      if (mots.TagIs("SEX")) ind.sex = mots.Value()[0] == 'M' ? 1 : 0;
      break;
    case 'N':
      if (mots.TagIs("NAME")) Nom(line);
      break;
    case 'O':
      if (mots.TagIs("OCCU")) ind.occupation = m_.texts.Copy(ValueText(line));
      break;
    default:
      break;
  }
}

void RecordFiller::ValeurUnion(const LineWords& mots) {
  Union& u = CurrentUnion();
  if (mots.TagIs("HUSB")) {
    int n = ReferenceNumber(mots.Value());
    if (n != -1) u.husband = n;
  } else if (mots.TagIs("WIFE")) {
    int n = ReferenceNumber(mots.Value());
    if (n != -1) u.wife = n;
  } else if (mots.TagIs("CHIL")) {
    ++u.childCount;
  }
}

// Cuts the value text at '/' as strtok does: the first piece is the given names, the second the
// surname, the rest is ignored.
void RecordFiller::Nom(Line& line) {
  Individual& ind = CurrentIndividual();
  char* p = ValueStart(line);
  char* end = line.text + line.size;
  int* cibles[2] = {&ind.prenom, &ind.nom};
  Dictionary* dicts[2] = {m_.givenNames.get(), m_.surnames.get()};
  for (int piece = 0; piece < 2; ++piece) {
    while (p < end && *p == '/') ++p;
    if (p == end) break;
    char* debut = p;
    while (p < end && *p != '/') ++p;
    char* fin = p;
    if (p < end) ++p;  // past the delimiter, which the insert may overwrite
    *cibles[piece] = dicts[piece]->Insert(debut, static_cast<int>(fin - debut), l_.options.optionsNoms);
  }
  if (ind.prenom < 0 && ind.nom < 0) l_.Message("nom inconnus %d", indi_);
}

void RecordFiller::Niveau2(const Line& line) {
  if (contexte_ == Contexte::kNote) {
    if (HasTagAtUsualPlace(line, "CONT")) {
      AjouteNote(" ");
      AjouteNote(ValueText(line));
      return;
    }
    if (HasTagAtUsualPlace(line, "CONC")) {
      AjouteNote(ValueText(line));
      return;
    }
  }
  SplitWords(line.text, line.size, mots_);
  if (mots_.items != 3) return;
  if (mots_.TagIs("QUAY")) {
    ++m_.counts.quay;
  } else if (mots_.TagIs("SOUR")) {
    ++m_.counts.sources;
  } else if (mots_.TagIs("DATE")) {
    Date(ValueText(line));
  } else if (mots_.TagIs("PLAC")) {
    Lieu(line);
  }
}

RecordFiller::Cibles RecordFiller::CiblesCourantes() {
  switch (contexte_) {
    case Contexte::kNaissance: {
      Individual& i = CurrentIndividual();
      return {&m_.counts.birthDates, &m_.counts.birthPlaces, &i.birthDate, &i.birthPlace};
    }
    case Contexte::kBapteme: {
      Individual& i = CurrentIndividual();
      return {&m_.counts.baptismDates, &m_.counts.baptismPlaces, &i.baptismDate, &i.baptismPlace};
    }
    case Contexte::kDeces: {
      Individual& i = CurrentIndividual();
      return {&m_.counts.deathDates, &m_.counts.deathPlaces, &i.deathDate, &i.deathPlace};
    }
    case Contexte::kSepulture: {
      Individual& i = CurrentIndividual();
      return {&m_.counts.burialDates, &m_.counts.burialPlaces, &i.burialDate, &i.burialPlace};
    }
    case Contexte::kMariage: {
      Union& u = CurrentUnion();
      return {&m_.counts.marriageDates, &m_.counts.marriagePlaces, &u.marriageDate, &u.marriagePlace};
    }
    default:
      return {};
  }
}

void RecordFiller::Date(std::string_view texte) {
  Cibles e = CiblesCourantes();
  if (e.date == nullptr) return;
  ++*e.nbDates;
  // A later date of the same event replaces the earlier one.
  *e.date = m_.texts.StoreDate(*e.date, texte);
}

void RecordFiller::Lieu(const Line& line) {
  Cibles e = CiblesCourantes();
  if (e.lieu == nullptr) return;
  ++*e.nbLieux;
  char* debut = ValueStart(line);
  *e.lieu = m_.places->Insert(debut, static_cast<int>(line.text + line.size - debut),
                                 l_.options.optionsLieux);
}

}  // namespace

void FillRecords(ReadingState& l) {
  RecordFiller remplissage(l);
  l.ForEachLine([&](Line& line) { remplissage.Ligne(line); });
  remplissage.Fin();
  if (!remplissage.Complet()) l.modifie = true;
}

}  // namespace brimsel
