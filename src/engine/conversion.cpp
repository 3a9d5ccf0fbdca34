// The conversion command: file choice, the three passes and their reports, in order.
#include "engine/conversion.h"

#include <new>

#include "engine/lecture.h"
#include "platform/byte_source.h"

namespace brimsel {
namespace {

OptionsConversion LitOptions(DialogServices& d) {
  OptionsConversion o;
  if (d.IsChecked(ctl::kNomPropre)) o.optionsNoms |= NOM_PROPRE;
  if (d.IsChecked(ctl::kOemAnsi)) {
    o.optionsNoms |= OEM_ANSI;
    o.optionsLieux |= OEM_ANSI;
  }
  return o;
}

ResultatConversion Echec(Lecture& l, FinConversion fin, std::string detail = {}) {
  l.dialogue.SetStatus(false, nullptr);
  return {fin, std::move(detail)};
}

// Starts a pass: back to the first line, counter at 0.
bool Rembobine(Lecture& l) {
  l.lignes = 0;
  l.avantAffichage = 100;
  return l.lecteur.Rewind();
}

// A pass that ended on a read error, or a file that changed under the reader, ends the
// conversion: nothing is reported as converted that was not read.
bool PasseIncomplete(Lecture& l, ResultatConversion& r) {
  if (l.lecteur.failed()) {
    r = Echec(l, FinConversion::kErreurLecture, "read error");
  } else if (l.modifie) {
    r = Echec(l, FinConversion::kFichierModifie, "the file changed while it was read");
  } else {
    return false;
  }
  l.dialogue.ShowMessageBox(l.chemin, "Erreur lecture", MessageIcon::kError);
  return true;
}

ResultatConversion EchecLecture(Lecture& l, const char* detail) {
  l.dialogue.ShowMessageBox(l.chemin, "Erreur lecture", MessageIcon::kError);
  return Echec(l, FinConversion::kErreurLecture, detail);
}

void AfficheTotal(DialogServices& d, int id, int valeur) {
  char texte[16] = "";
  if (valeur != 0) std::snprintf(texte, sizeof texte, "%d", valeur);
  d.SetFieldText(id, texte);
}

}  // namespace

ResultatConversion ConvertitSource(GedcomFichier& m, DialogServices& d, ByteSource& source,
                                   const char* chemin) {
  LineReader lecteur(source);
  Lecture l{m, d, lecteur, {}};
  l.chemin = chemin;
  ResultatConversion r;
  try {
    m.vider();
    d.ResetDisplay();
    l.options = LitOptions(d);
    std::int64_t taille = source.Size();
    m.tailleSource = taille < 0 ? 0 : taille;
    d.SetStatus(true, "Passe 1");
    d.SetFieldText(ctl::kLineCounter, "");
    l.options.notes = d.IsChecked(ctl::kNoteInclure);

    Passe1(l);
    if (PasseIncomplete(l, r)) return r;
    // Every pass must read the same file: as many lines, the same size.
    const int lignesFichier = l.lignes;
    auto Inchange = [&] {
      if (l.lignes != lignesFichier || source.Size() != taille) l.modifie = true;
    };
    if (m.nbIndividus == 0) {
      d.AddMessage("Aucun individu trouv\xE9!");
      return Echec(l, FinConversion::kAucunIndividu, "Aucun individu trouv\xE9!");
    }
    AlloueTableaux(m);

    if (!Rembobine(l)) return EchecLecture(l, "cannot rewind");
    d.SetFieldText(ctl::kLineCounter, "");
    d.SetStatus(true, "Passe 2");
    Passe2(l);
    Inchange();
    if (PasseIncomplete(l, r)) return r;
    AfficheTotal(d, ctl::kIndiTotal, m.nbIndividus);
    AfficheTotal(d, ctl::kFamTotal, m.nbUnions);

    ResoutCodes(l);
    if (!Rembobine(l)) return EchecLecture(l, "cannot rewind");
    Passe3(l);
    Inchange();
    if (PasseIncomplete(l, r)) return r;
    AjouteConjoints(l);

    l.AfficheCompteur(l.lignes);
    d.SetStatus(false, nullptr);
    d.SetFieldText(ctl::kFileLabel, chemin);
    m.nomSource = chemin;
    AfficheComptes(l);
    l.Message("%d pr\xE9noms, %d noms, %d places.", m.dictPrenoms->nombre, m.dictNoms->nombre,
              m.dictLieux->nombre);
    return {FinConversion::kTerminee, {}};
  } catch (const std::bad_alloc&) {
    m.nomSource.reset();
    return Echec(l, FinConversion::kMemoire, "out of memory");
  }
}

ResultatConversion ConvertitFichier(GedcomFichier& m, DialogServices& d) {
  std::string chemin = d.CurrentFileName();
  std::string raison;
  auto source = FileSource::Open(chemin.c_str(), &raison);
  if (!source) return {FinConversion::kIllisible, raison};
  return ConvertitSource(m, d, *source, chemin.c_str());
}

int LireGedcom(GedcomFichier& m, DialogServices& d) {
  if (!d.ChooseOpenFile("FIchier source")) return 0;
  return ConvertitFichier(m, d).Terminee() ? 1 : 0;
}

}  // namespace brimsel
