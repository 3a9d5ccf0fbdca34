// Date normalisation: qualifier prefix, up to three words, day / month / year with defaults.
#include "export/date.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace brimsel {

// Windows-1252 bytes: \xE9 é, \xC9 É, \xFB û, \xDB Û; "\x63" is the letter c, written as an escape
// so that it is not read as part of the escape before it. Accented words appear twice, with the
// accented letter in lower and in upper case, because only ASCII letters compare without regard
// to case.
// clang-format off
const Qualificatif TableQualificatifs[7] = {
    {"BEF ", 32}, {"AVT ", 32}, {"AFT ", 64}, {"APR ", 64},
    {"ABT ", 0},  {"AUT ", 0},  {"ENV ", 0},
};

const MotMois TableMois[24] = {
    {"jan", 1},          {"feb", 2},          {"fev", 2},  {"f\xE9v", 2},  {"f\xC9v", 2},
    {"mar", 3},          {"avr", 4},          {"apr", 4},  {"mai", 5},     {"may", 5},
    {"juin", 6},         {"jun", 6},          {"jul", 7},  {"juil", 7},    {"ao\xFB", 8},
    {"aug", 8},          {"ao\xDB", 8},       {"sep", 9},  {"sept", 9},    {"oct", 10},
    {"nov", 11},         {"d\xE9\x63", 12},   {"d\xC9\x63", 12},           {"dec", 12},
};

const char* const NomsMois[13] = {
    "",    "jan", "f\xE9v", "mar", "avr", "mai",        "juin",
    "juil", "ao\xFB", "sep", "oct", "nov", "d\xE9\x63",
};
// clang-format on

namespace {

constexpr std::size_t kLongueurMaxDate = 31;  // the buffer holds 32 bytes with the terminator
constexpr std::size_t kLongueurMot = 15;      // a word keeps at most this many bytes
constexpr int kQualiteExacte = 96;
constexpr int kQualiteBase = 145;
constexpr int kJourDonne = 2;
constexpr int kMoisDonne = 4;
constexpr int kAnneeDonnee = 8;
constexpr int kJourDefaut = 13;
constexpr int kMoisDefaut = 6;
constexpr int kSiecleDefaut = 1900;

// Upper case of the classic locale: only a-z change.
inline unsigned char Majuscule(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 'a' + 'A') : c;
}

// White space as the C library's isspace sees it in the classic locale: bytes 9 to 13 and 32.
inline bool EstBlanc(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return u == ' ' || (u >= '\t' && u <= '\r');
}

bool PrefixeSansCasse(const char* texte, const char* prefixe) {
  for (; *prefixe != '\0'; ++texte, ++prefixe) {
    if (Majuscule(static_cast<unsigned char>(*texte)) !=
        Majuscule(static_cast<unsigned char>(*prefixe))) {
      return false;  // also stops at the terminator of a shorter text
    }
  }
  return true;
}

// A word of the date: a view of its first kLongueurMot bytes at most, as a fixed word buffer
// would keep it. An absent word is empty.
struct Mot {
  const char* debut = "";
  std::size_t longueur = 0;
};

// Reads a word as "%d" would: optional sign, at least one digit, anything after the digits
// ignored. A value that does not fit 32 bits does not read as a number.
bool LitEntier(Mot mot, int* valeur) {
  const char* p = mot.debut;
  const char* fin = p + mot.longueur;
  bool negatif = false;
  if (p < fin && (*p == '+' || *p == '-')) {
    negatif = *p == '-';
    ++p;
  }
  if (p == fin || *p < '0' || *p > '9') return false;
  const std::int64_t limite = negatif ? 2147483648LL : 2147483647LL;
  std::int64_t n = 0;
  for (; p < fin && *p >= '0' && *p <= '9'; ++p) {
    n = n * 10 + (*p - '0');
    if (n > limite) return false;
  }
  *valeur = static_cast<int>(negatif ? -n : n);
  return true;
}

// A word of at most four bytes, its ASCII letters folded to capitals, packed in one integer
// (0 for a longer or an empty word): the month words compare as integers.
constexpr std::uint32_t Empreinte(const char* mot, std::size_t longueur) {
  if (longueur > 4) return 0;
  std::uint32_t e = 0;
  for (std::size_t i = 0; i < longueur; ++i) {
    e = (e << 8) | Majuscule(static_cast<unsigned char>(mot[i]));
  }
  return e;
}

// Month number of a word of TableMois, or 0. Every word of the table is three or four bytes and
// no two are equal without regard to case, so the first equal entry is the only one. A word is
// looked up at one place of a table, found from a mix of its packed bits; the words of the
// month table all have places of their own, which building the table checks (else every entry
// is compared, as a plain search would).
int MoisDuMot(Mot mot) {
  constexpr std::size_t kCases = 256;
  struct Index {
    std::uint32_t empreinte[kCases] = {};
    unsigned char mois[kCases] = {};
    bool sur = true;  // no two words share a place; otherwise the lookup walks the table
    Index() {
      for (const MotMois& m : TableMois) {
        const std::uint32_t e = Empreinte(m.mot, std::strlen(m.mot));
        const std::size_t i = Place(e);
        if (empreinte[i] != 0) sur = false;
        empreinte[i] = e;
        mois[i] = static_cast<unsigned char>(m.mois);
      }
    }
    static std::size_t Place(std::uint32_t e) { return (e ^ (e >> 3) ^ (e >> 9)) % kCases; }
  };
  static const Index kIndex;
  const std::uint32_t e = Empreinte(mot.debut, mot.longueur);
  if (e == 0) return 0;
  if (kIndex.sur) {
    const std::size_t i = Index::Place(e);
    return kIndex.empreinte[i] == e ? kIndex.mois[i] : 0;
  }
  for (const MotMois& m : TableMois) {
    if (Empreinte(m.mot, std::strlen(m.mot)) == e) return m.mois;
  }
  return 0;
}

// Splits the first `longueur` bytes of `texte` into at most three words. Returns their count.
int Decoupe(const char* texte, std::size_t longueur, Mot mots[3]) {
  int nombre = 0;
  std::size_t i = 0;
  while (nombre < 3) {
    while (i < longueur && EstBlanc(texte[i])) ++i;
    if (i == longueur) break;
    const std::size_t debut = i;
    while (i < longueur && !EstBlanc(texte[i])) ++i;
    mots[nombre].debut = texte + debut;
    mots[nombre].longueur = std::min(i - debut, kLongueurMot);
    ++nombre;
  }
  return nombre;
}

// Appends the decimal digits of a positive `n` at `p`; returns the end.
char* EcritPositif(char* p, int n) {
  if (n < 100) {  // every day
    if (n >= 10) *p++ = static_cast<char>('0' + n / 10);
    *p++ = static_cast<char>('0' + n % 10);
    return p;
  }
  if (n < 10000 && n >= 1000) {  // almost every year
    const int haut = n / 100;
    const int bas = n % 100;
    p[0] = static_cast<char>('0' + haut / 10);
    p[1] = static_cast<char>('0' + haut % 10);
    p[2] = static_cast<char>('0' + bas / 10);
    p[3] = static_cast<char>('0' + bas % 10);
    return p + 4;
  }
  char chiffres[10];
  int k = 0;
  do {
    chiffres[k++] = static_cast<char>('0' + n % 10);
    n /= 10;
  } while (n != 0);
  while (k > 0) *p++ = chiffres[--k];
  return p;
}

inline bool Chiffre(char c) {
  return c >= '0' && c <= '9';
}

// Writes the normalised date: day, blank, month name, blank, year. At most 2 + 1 + 4 + 1 + 10
// bytes and the terminator. The month name is copied as four bytes; after a name of three, the
// blank that follows takes the fourth.
void EcritDateNormale(char* date, int jour, int mois, int annee) {
  struct NomsCompletes {
    char nom[13][4] = {};
    unsigned char longueur[13] = {};
    NomsCompletes() {
      for (int i = 1; i < 13; ++i) {
        longueur[i] = static_cast<unsigned char>(std::strlen(NomsMois[i]));
        std::memcpy(nom[i], NomsMois[i], longueur[i]);
      }
    }
  };
  static const NomsCompletes kNoms;
  char* p = EcritPositif(date, jour);
  *p++ = ' ';
  std::memcpy(p, kNoms.nom[mois], 4);
  p += kNoms.longueur[mois];
  *p++ = ' ';
  p = EcritPositif(p, annee);
  *p = '\0';
}

// The most frequent shape, "D MON YYYY" or "DD MON YYYY" (a day of 1 to 31, a month word of the
// table, a year of four digits not starting with 0, single blanks), read at a few fixed places.
// Returns its code after writing the normalised date, or 0 for any other text, which the general
// reading takes; for this shape both give the same bytes and code.
int DateUsuelle(char* date, std::size_t longueur) {
  if (longueur < 9 || longueur > 12 || !Chiffre(date[0])) return 0;
  const std::size_t j = date[1] == ' ' ? 1 : 2;  // digits of the day
  if (j == 2 && (!Chiffre(date[1]) || date[2] != ' ')) return 0;
  const std::size_t lm = longueur - j - 6;  // letters of the month word; more than 4 match none
  const std::size_t an = longueur - 4;
  if (lm < 3 || date[an - 1] != ' ' || !Chiffre(date[an]) || date[an] == '0' ||
      !Chiffre(date[an + 1]) || !Chiffre(date[an + 2]) || !Chiffre(date[an + 3])) {
    return 0;
  }
  const int jour = j == 1 ? date[0] - '0' : (date[0] - '0') * 10 + (date[1] - '0');
  // A month word holding a blank is in no table entry, so it is refused here.
  const int mois = jour >= 1 && jour <= 31 ? MoisDuMot({date + j + 1, lm}) : 0;
  if (mois == 0) return 0;
  const int annee = (date[an] - '0') * 1000 + (date[an + 1] - '0') * 100 +
                    (date[an + 2] - '0') * 10 + (date[an + 3] - '0');
  EcritDateNormale(date, jour, mois, annee);
  return kQualiteExacte + kJourDonne + kMoisDonne + kAnneeDonnee + kQualiteBase;
}

}  // namespace

int NormaliseDate(char* date) {
  if (date == nullptr) return kQualiteAucune;
  std::size_t longueur = 0;
  while (longueur < kLongueurMaxDate && date[longueur] != '\0') ++longueur;
  if (const int code = DateUsuelle(date, longueur); code != 0) return code;

  int code = kQualiteExacte;
  // Most dates have no qualifier: a first character that starts none of the prefixes (ASCII
  // letters without regard to case) skips the table.
  const unsigned char premier = Majuscule(static_cast<unsigned char>(date[0]));
  const bool qualifiable = premier == 'A' || premier == 'B' || premier == 'E';
  for (const Qualificatif& q : TableQualificatifs) {
    if (!qualifiable) break;
    if (longueur >= 4 && PrefixeSansCasse(date, q.prefixe)) {
      code = q.valeur;
      longueur -= 4;
      std::memmove(date, date + 4, longueur);
      date[longueur] = '\0';
      break;
    }
  }

  // The words are views into the date: every number is read before the result is written.
  Mot mots[3];
  const int nombre = Decoupe(date, longueur, mots);
  Mot jourMot;
  Mot moisMot;
  Mot anneeMot;
  int valeur = 0;
  switch (nombre) {
    case 0:
      return kQualiteIllisible;
    case 1:
      if (!LitEntier(mots[0], &valeur) || valeur < 1) return kQualiteIllisible;
      anneeMot = mots[0];
      break;
    case 2:
      if (LitEntier(mots[0], &valeur)) {
        jourMot = mots[0];
        moisMot = mots[1];
      } else {
        moisMot = mots[0];
        anneeMot = mots[1];
      }
      break;
    default:
      jourMot = mots[0];
      moisMot = mots[1];
      anneeMot = mots[2];
      break;
  }

  int jour = kJourDefaut;
  if (LitEntier(jourMot, &valeur) && valeur >= 1 && valeur <= 31) {
    jour = valeur;
    code += kJourDonne;
  }
  int annee = 0;
  if (LitEntier(anneeMot, &valeur) && valeur >= 1) {
    annee = valeur;
    code += kAnneeDonnee;
  }
  if (annee < 100) annee += kSiecleDefaut;
  int mois = kMoisDefaut;
  if (LitEntier(moisMot, &valeur)) {
    if (valeur >= 1 && valeur <= 12) {
      mois = valeur;
      code += kMoisDonne;
    }
  } else if (int m = MoisDuMot(moisMot); m != 0) {
    mois = m;
    code += kMoisDonne;
  }
  code += kQualiteBase;

  EcritDateNormale(date, jour, mois, annee);
  return code;
}

}  // namespace brimsel
