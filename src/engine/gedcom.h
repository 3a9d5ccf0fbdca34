// The genealogy model: individuals, unions and notes of one converted GEDCOM file, with the
// three dictionaries of given names, surnames and places.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "dict/arbre.h"
#include "platform/big_memory.h"
#include "platform/text_blocks.h"

namespace brimsel {

// The model's arrays: contiguous records in memory taken by whole huge pages when large.
template <class T>
using Tableau = std::vector<T, AllocateurGrand<T>>;

// Size of a date buffer: a date text of at most 31 characters and its terminator.
inline constexpr std::size_t kTailleDate = 32;

struct GedcomIndividu {
  int code = -1;           // number of the record's cross-reference
  int nom = -1;            // surname: identifier in dictNoms
  int prenom = -1;         // given names: identifier in dictPrenoms
  int famc = -1;           // parent union: xref number after pass 2, union index afterwards
  int lieuNaissance = -1;  // places: identifiers in dictLieux
  int lieuBapteme = -1;
  int lieuDeces = -1;
  int lieuSepulture = -1;
  int sexe = -1;           // 1 male, 0 any other SEX value, -1 no SEX line
  int nbFams = 0;          // number of FAMS lines
  char* profession = nullptr;  // OCCU value
  char* dateNaissance = nullptr;  // date buffers of kTailleDate bytes
  char* dateDeces = nullptr;
  char* dateBapteme = nullptr;
  char* dateSepulture = nullptr;
};

struct GedcomUnion {
  int code = -1;
  int epoux = -1;   // husband: HUSB number after pass 2, individual index afterwards
  int epouse = -1;  // wife: same, from WIFE
  int lieuMariage = -1;
  int nbEnfants = 0;  // number of CHIL lines
  char* dateMariage = nullptr;
};

struct GedcomNote {
  int proprietaire = -1;  // index of the owning individual or union
  char* texte = nullptr;
};

// Room a stored date always has, whatever its length: the export writes the normalised form
// over it, at most "31 juin 2147483647" and its terminator.
inline constexpr std::size_t kPlaceDateMin = 20;

// Owns the texts and date buffers of the records, released together by vider().
class StockTextes : public BlocsTextes {
 public:
  // A new date buffer of kTailleDate bytes, all zero.
  char* NouvelleDate() { return Zeros(kTailleDate); }
  // Stores `texte`, cut to kTailleDate - 1 bytes, as the value of a date: over `date` when it
  // holds a date with room for it, else in a new buffer of the text's length (at least
  // kPlaceDateMin bytes). Returns the buffer. Most dates are much shorter than kTailleDate, and
  // a file holds millions of them.
  char* EcritDate(char* date, std::string_view texte);
};

class GedcomFichier {
 public:
  GedcomFichier();
  ~GedcomFichier();
  GedcomFichier(const GedcomFichier&) = delete;
  GedcomFichier& operator=(const GedcomFichier&) = delete;

  // Empties the model and recreates the three dictionaries; indiPlus and famPlus stay.
  void vider();
  // Index of the individual (union) carrying `code`, or -1. A binary search over the file-ordered
  // records; when it misses, the first record in file order with that number. The first lookup
  // learns the order of the numbers; they must not change afterwards until vider().
  int indiceIndividu(int code) const;
  int indiceUnion(int code) const;

  std::optional<std::string> nomSource;  // path of the last successful conversion
  Tableau<GedcomIndividu> individus;
  Tableau<GedcomUnion> unions;
  Tableau<GedcomNote> notesIndi;
  Tableau<GedcomNote> notesFam;
  std::int64_t tailleSource = 0;  // source size in bytes
  std::int64_t totalEcrit = 0;    // bytes written by the last table export
  int nbIndividus = 0;
  int nbUnions = 0;
  int indiPlus = 1;
  int famPlus = 1;
  std::vector<int> sexeAjoutes;  // 1 added husband, 0 added wife
  int nbAjoutes = 0;
  int nbDateNaissance = 0;
  int nbLieuNaissance = 0;
  int nbDateDeces = 0;
  int nbLieuDeces = 0;
  int nbNotesIndi = 0;
  int nbDateBapteme = 0;
  int nbLieuBapteme = 0;
  int nbDateMariage = 0;
  int nbLieuMariage = 0;
  int nbQuay = 0;
  int nbNotesFam = 0;
  int nbErreurs = 0;
  int nbParents = 0;
  int nbSour = 0;
  int nbLieuSepulture = 0;
  int nbDateSepulture = 0;

  std::unique_ptr<ArbreSSZ> dictPrenoms;  // given names
  std::unique_ptr<ArbreSSZ> dictNoms;     // surnames
  std::unique_ptr<ArbreSSZ> dictLieux;    // places

  StockTextes textes;  // owns every profession, date and note text of the records

 private:
  // What a lookup learns once about the records of one kind. When no two records share a number,
  // the search below can only find the one record that has it, so a number is read off a table
  // (dense numbers) or found in the sorted pairs; otherwise the search runs as it is, and the
  // sorted (code, index) pairs give the first record in file order when it misses.
  struct Index {
    int count = -1;  // number of records this was built for; -1 not built
    bool ascending = false;  // strictly ascending numbers: unique, and sorted as they stand
    bool unique = false;
    int premier = 0;               // smallest number, for `direct`
    Tableau<int> direct;           // index by number - premier, -1 where none (dense numbers)
    Tableau<std::pair<int, int>> sorted;
  };
  template <class Record>
  static int Cherche(const Tableau<Record>& records, int count, int code, Index& index);
  template <class Record>
  static void Indexe(const Tableau<Record>& records, int count, Index& index);
  mutable Index indexIndividus_;
  mutable Index indexUnions_;
};

}  // namespace brimsel
