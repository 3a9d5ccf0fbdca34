// The table export: output names, the three code lists, and the rows of the individual, union
// and note tables.
#include "export/tables.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>

#include "export/date.h"

namespace brimsel {

const char* const kTableSuffixes[kTableCount] = {
    "_NAME.txt", "_SURNAME.txt",  "_PLAC.txt",    "_INDI.txt",
    "_FAM.txt",  "_INDInote.txt", "_FAMnote.txt",
};

namespace {

constexpr const char kEntetesListes[3][2][32] = {
    {"C_NAME\tNAME\n", "C_NAME\tNBREF\tNAME\n"},
    {"C_SURNAME\tSURNAME\n", "C_SURNAME\tNBREF\tSURNAME\n"},
    {"C_PLAC\tPLAC\n", "C_PLAC\tNBREF\tPLAC\n"},
};
constexpr const char* kEntetesLignes[4] = {
    "INDI\tFAM\tS\tPRE\tCNOM\tDAT1\tQD1\tPL1\tDAT2\tQD2\tPL2\tOCCU\n",
    "FAM\tHUSB\tWIFE\tDAT\tQD\tC_PLACSTART\n",
    "INDI\tNOTE\n",
    "FAM\tNOTE\n",
};

constexpr const char kCaptionOuverture[] = "Erreur ouverture";
constexpr const char kCaptionEcriture[] = "Erreur \xE9\x63riture";

std::size_t LongueurSuffixeMax() {
  std::size_t n = 0;
  for (const char* s : kTableSuffixes) n = std::max(n, std::strlen(s));
  return n;
}

bool EstSeparateur(char c) {
  return c == '/' || c == '\\';
}

// The date, quality and place that a pair of events puts in one date group of an individual.
struct Evenement {
  const char* date = nullptr;
  int qualite = 0;
  int lieu = -1;
};

// Normalises both dates in place and keeps the better one; equal codes go to the primary event.
// A substitute's code is written one less (an even code), so the table tells it apart.
Evenement Choisit(char* datePrincipale, int lieuPrincipal, char* dateSubstitut, int lieuSubstitut) {
  const int qP = NormaliseDate(datePrincipale);
  const int qS = NormaliseDate(dateSubstitut);
  if (datePrincipale == nullptr && dateSubstitut == nullptr) return {};
  if (qS > qP) {
    return {dateSubstitut, qS - 1, lieuSubstitut != -1 ? lieuSubstitut : lieuPrincipal};
  }
  return {datePrincipale, qP, lieuPrincipal != -1 ? lieuPrincipal : lieuSubstitut};
}

// A date cell, its code and its place, each followed by a tab, at `q`.
char* EcritEvenement(char* q, const Evenement& e) {
  q = TableFile::WriteShortCell(q, e.date, kDateBufferSize - 1);
  *q++ = '\t';
  q = TableFile::WriteNumber(q, e.qualite);
  *q++ = '\t';
  q = TableFile::WriteNumber(q, std::int64_t{e.lieu} + 1);
  *q++ = '\t';
  return q;
}

// Everything of a row of the individual table up to the occupation has a bounded length: five
// numbers and two events, each cell with its tab.
constexpr std::size_t kDebutIndividuMax = 5 * 21 + 2 * (2 * (kDateBufferSize - 1) + 1 + 2 * 21);

void EcritIndividu(TableFile& f, Individual& p, std::int64_t numero, int famBase) {
  const Evenement debut = Choisit(p.birthDate, p.birthPlace, p.baptismDate, p.baptismPlace);
  const Evenement fin = Choisit(p.deathDate, p.deathPlace, p.burialDate, p.burialPlace);
  // The bounded part goes straight into the writer's buffer, checked for room once.
  char* q = f.Place(kDebutIndividuMax);
  for (std::int64_t n : {numero, p.famc == -1 ? 0 : std::int64_t{p.famc} + famBase,
                         std::int64_t{p.sex}, std::int64_t{p.prenom} + 1, std::int64_t{p.nom} + 1}) {
    q = TableFile::WriteNumber(q, n);
    *q++ = '\t';
  }
  q = EcritEvenement(q, debut);
  q = EcritEvenement(q, fin);
  f.Take(q);
  f.Cell(p.occupation);
  f.EndRow();
}

// An added spouse has no names, dates or places: PRE and CNOM are 0 (none).
void EcritAjoute(TableFile& f, std::int64_t numero, int sexe) {
  f.Number(numero);
  f.Raw("\t0\t");
  f.Number(sexe);
  f.Raw("\t0\t0\t\t0\t0\t\t0\t0\t\n");
}

void EcritUnion(TableFile& f, Union& u, std::int64_t numero, int indiBase) {
  const int qualite = NormaliseDate(u.marriageDate);
  f.Number(numero);
  f.Tab();
  f.Number(std::int64_t{u.husband} + indiBase);
  f.Tab();
  f.Number(std::int64_t{u.wife} + indiBase);
  f.Tab();
  f.Cell(u.marriageDate);
  f.Tab();
  f.Number(qualite);
  f.Tab();
  f.Number(std::int64_t{u.marriagePlace} + 1);
  f.EndRow();
}

bool EcritNotes(TableFile& f, const HugeArray<Note>& notes, int nombre, int plus) {
  const std::size_t n = std::min(notes.size(), static_cast<std::size_t>(std::max(nombre, 0)));
  for (std::size_t i = 0; i < n; ++i) {
    if (f.Failed()) return false;
    f.Number(std::int64_t{notes[i].owner} + plus);
    f.Tab();
    f.Cell(notes[i].texte);
    f.EndRow();
  }
  return !f.Failed();
}

void LitBase(DialogServices& d, int id, int& base) {
  unsigned valeur = 0;
  if (d.ReadNumber(id, &valeur)) base = static_cast<int>(valeur);
}

int EchecOuverture(DialogServices& d, const std::string& nom) {
  d.ShowMessageBox(nom.c_str(), kCaptionOuverture, MessageIcon::kError);
  return 0;
}

int EchecEcriture(DialogServices& d, const std::string& nom) {
  d.ShowMessageBox(nom.c_str(), kCaptionEcriture, MessageIcon::kError);
  d.SetStatus(false, "");
  return 0;
}

const Dictionary* DictionnaireDe(const GedcomModel& m, int liste) {
  switch (liste) {
    case 0:
      return m.surnames.get();
    case 1:
      return m.givenNames.get();
    default:
      return m.places.get();
  }
}

void AjouteRapport(DialogServices& d, std::int64_t source, std::int64_t ecrit) {
  // An empty source has no meaningful saving; it is reported as 0 per cent.
  const double economie =
      source == 0 ? 0.0 : static_cast<double>(source - ecrit) * 100.0 / static_cast<double>(source);
  char ligne[96];
  std::snprintf(ligne, sizeof ligne, "%lld Kb => %lld Kb (%.0f%%)",
                static_cast<long long>(source / 1024), static_cast<long long>(ecrit / 1024),
                economie);
  d.AddMessage(ligne);
}

}  // namespace

std::optional<std::string> TableBaseName(std::string_view source, std::string_view dossier) {
  if (source.empty()) return std::nullopt;
  std::size_t debutNom = 0;
  for (std::size_t i = 0; i < source.size(); ++i) {
    if (EstSeparateur(source[i])) debutNom = i + 1;
  }
  std::size_t fin = source.size();
  const std::size_t point = source.rfind('.');
  if (point != std::string_view::npos && point >= debutNom) fin = point;

  std::string base;
  if (dossier.empty()) {
    base.assign(source.substr(0, fin));
  } else {
    base.assign(dossier);
    if (!EstSeparateur(base.back())) base += '/';
    base.append(source.substr(debutNom, fin - debutNom));
  }
  if (base.size() + LongueurSuffixeMax() + 1 > kFileNameCapacity) return std::nullopt;
  return base;
}

bool WriteTableRows(GedcomModel& m, DialogServices& d, TableFile& indi, TableFile& fam,
                    TableFile& individualNotes, TableFile& unionNotes) {
  LitBase(d, ctl::kIndiBase, m.indiBase);
  LitBase(d, ctl::kFamBase, m.famBase);

  const std::size_t individualCount =
      std::min(m.individuals.size(), static_cast<std::size_t>(std::max(m.counts.individuals, 0)));
  for (std::size_t i = 0; i < individualCount; ++i) {
    if (indi.Failed()) return false;
    EcritIndividu(indi, m.individuals[i], static_cast<std::int64_t>(i) + m.indiBase, m.famBase);
  }
  const std::size_t addedCount =
      std::min(m.addedSexes.size(), static_cast<std::size_t>(std::max(m.counts.added, 0)));
  for (std::size_t k = 0; k < addedCount; ++k) {
    if (indi.Failed()) return false;
    EcritAjoute(indi, static_cast<std::int64_t>(individualCount + k) + m.indiBase, m.addedSexes[k]);
  }
  if (indi.Failed()) return false;

  const std::size_t unionCount =
      std::min(m.unions.size(), static_cast<std::size_t>(std::max(m.counts.unions, 0)));
  for (std::size_t i = 0; i < unionCount; ++i) {
    if (fam.Failed()) return false;
    EcritUnion(fam, m.unions[i], static_cast<std::int64_t>(i) + m.famBase, m.indiBase);
  }
  if (fam.Failed()) return false;

  return EcritNotes(individualNotes, m.individualNotes, m.counts.individualNotes, m.indiBase) &&
         EcritNotes(unionNotes, m.unionNotes, m.counts.unionNotes, m.famBase);
}

int ExportTables(GedcomModel& m, DialogServices& d) {
  return ExportTables(m, d, {});
}

int ExportTables(GedcomModel& m, DialogServices& d, const ExportOptions& options) {
  const bool avecNbRef = d.IsChecked(ctl::kRefCounts);
  const std::optional<std::string> base = TableBaseName(
      m.sourcePath ? std::string_view(*m.sourcePath) : std::string_view(), options.outputDir);
  if (!base) {
    d.ShowMessageBox("fichierNom", kCaptionOuverture, MessageIcon::kError);
    return 0;
  }
  std::array<std::string, kTableCount> noms;
  for (int t = 0; t < kTableCount; ++t) noms[t] = *base + kTableSuffixes[t];
  m.bytesWritten = 0;

  // Each code list is complete and closed before the next one is opened.
  for (int t = 0; t < 3; ++t) {
    TableFile f;
    if (!f.Open(noms[t].c_str())) return EchecOuverture(d, noms[t]);
    f.Raw(kEntetesListes[t][avecNbRef ? 1 : 0]);
    if (const Dictionary* dict = DictionnaireDe(m, t)) dict->Liste(f, avecNbRef ? kWithRefCounts : 0);
    m.bytesWritten += f.BytesWritten();
    if (!f.Close()) return EchecEcriture(d, noms[t]);
  }

  // The four row tables are open together; when one cannot be opened, those opened before it
  // are closed empty.
  std::array<TableFile, 4> lignes;
  for (int k = 0; k < 4; ++k) {
    if (!lignes[k].Open(noms[3 + k].c_str())) return EchecOuverture(d, noms[3 + k]);
  }
  d.SetStatus(true, "Conversion en cours!");
  for (int k = 0; k < 4; ++k) lignes[k].Raw(kEntetesLignes[k]);
  WriteTableRows(m, d, lignes[0], lignes[1], lignes[2], lignes[3]);
  d.SetStatus(false, "");
  // Every file is closed, so that those that did not fail are complete; the first failure in
  // table order is the one reported.
  int enEchec = -1;
  for (int k = 0; k < 4; ++k) {
    m.bytesWritten += lignes[k].BytesWritten();
    if (!lignes[k].Close() && enEchec < 0) enEchec = 3 + k;
  }
  if (enEchec >= 0) return EchecEcriture(d, noms[enEchec]);

  AjouteRapport(d, m.sourceSize, m.bytesWritten);
  return 1;
}

}  // namespace brimsel
