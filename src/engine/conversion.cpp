// The conversion command: file choice, the three passes and their reports, in order.
#include "engine/conversion.h"

#include <new>

#include "engine/reading_state.h"
#include "platform/byte_source.h"

namespace brimsel {
namespace {

ConversionOptions LitOptions(DialogServices& d) {
  ConversionOptions o;
  if (d.IsChecked(ctl::kProperNames)) o.optionsNoms |= kProperName;
  if (d.IsChecked(ctl::kOem)) {
    o.optionsNoms |= kFromOem;
    o.optionsLieux |= kFromOem;
  }
  return o;
}

ConversionResult Failed(ReadingState& l, ConversionOutcome fin, std::string detail = {}) {
  l.dialogue.SetStatus(false, nullptr);
  return {fin, std::move(detail)};
}

// Starts a pass: back to the first line, counter at 0.
bool Rembobine(ReadingState& l) {
  l.lignes = 0;
  l.avantAffichage = 100;
  return l.lecteur.Rewind();
}

// A pass that ended on a read error, or a file that changed under the reader, ends the
// conversion: nothing is reported as converted that was not read.
bool PasseIncomplete(ReadingState& l, ConversionResult& r) {
  if (l.lecteur.failed()) {
    r = Failed(l, ConversionOutcome::kReadError, "read error");
  } else if (l.modifie) {
    r = Failed(l, ConversionOutcome::kFileChanged, "the file changed while it was read");
  } else {
    return false;
  }
  l.dialogue.ShowMessageBox(l.chemin, "Erreur lecture", MessageIcon::kError);
  return true;
}

ConversionResult EchecLecture(ReadingState& l, const char* detail) {
  l.dialogue.ShowMessageBox(l.chemin, "Erreur lecture", MessageIcon::kError);
  return Failed(l, ConversionOutcome::kReadError, detail);
}

void AfficheTotal(DialogServices& d, int id, int valeur) {
  char texte[16] = "";
  if (valeur != 0) std::snprintf(texte, sizeof texte, "%d", valeur);
  d.SetFieldText(id, texte);
}

}  // namespace

ConversionResult ConvertSource(GedcomModel& m, DialogServices& d, ByteSource& source,
                                   const char* chemin) {
  LineReader lecteur(source);
  ReadingState l{m, d, lecteur, {}};
  l.chemin = chemin;
  ConversionResult r;
  try {
    m.Clear();
    d.ResetDisplay();
    l.options = LitOptions(d);
    std::int64_t taille = source.Size();
    m.sourceSize = taille < 0 ? 0 : taille;
    d.SetStatus(true, "Passe 1");
    d.SetFieldText(ctl::kLineCounter, "");
    l.options.notes = d.IsChecked(ctl::kIncludeNotes);

    CountRecords(l);
    if (PasseIncomplete(l, r)) return r;
    // Every pass must read the same file: as many lines, the same size.
    const int lignesFichier = l.lignes;
    auto Inchange = [&] {
      if (l.lignes != lignesFichier || source.Size() != taille) l.modifie = true;
    };
    if (m.counts.individuals == 0) {
      d.AddMessage("Aucun individu trouv\xE9!");
      return Failed(l, ConversionOutcome::kNoIndividual, "Aucun individu trouv\xE9!");
    }
    AllocateRecords(m);

    if (!Rembobine(l)) return EchecLecture(l, "cannot rewind");
    d.SetFieldText(ctl::kLineCounter, "");
    d.SetStatus(true, "Passe 2");
    FillRecords(l);
    Inchange();
    if (PasseIncomplete(l, r)) return r;
    AfficheTotal(d, ctl::kIndiTotal, m.counts.individuals);
    AfficheTotal(d, ctl::kFamTotal, m.counts.unions);

    ResolveCodes(l);
    if (!Rembobine(l)) return EchecLecture(l, "cannot rewind");
    CheckLinks(l);
    Inchange();
    if (PasseIncomplete(l, r)) return r;
    AddMissingSpouses(l);

    l.ShowLineCount(l.lignes);
    d.SetStatus(false, nullptr);
    d.SetFieldText(ctl::kFileLabel, chemin);
    m.sourcePath = chemin;
    ShowCounts(l);
    l.Message("%d pr\xE9noms, %d noms, %d places.", m.givenNames->count, m.surnames->count,
              m.places->count);
    return {ConversionOutcome::kCompleted, {}};
  } catch (const std::bad_alloc&) {
    m.sourcePath.reset();
    return Failed(l, ConversionOutcome::kOutOfMemory, "out of memory");
  }
}

ConversionResult ConvertFile(GedcomModel& m, DialogServices& d) {
  std::string chemin = d.CurrentFileName();
  std::string raison;
  auto source = FileSource::Open(chemin.c_str(), &raison);
  if (!source) return {ConversionOutcome::kUnreadable, raison};
  return ConvertSource(m, d, *source, chemin.c_str());
}

int ReadGedcomCommand(GedcomModel& m, DialogServices& d) {
  if (!d.ChooseOpenFile("FIchier source")) return 0;
  return ConvertFile(m, d).Completed() ? 1 : 0;
}

}  // namespace brimsel
