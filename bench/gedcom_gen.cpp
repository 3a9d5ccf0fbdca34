// Generates realistic GEDCOM files of any size for the benchmarks: seeded, with consistent
// families, French names and places in Windows-1252, the five events, notes, sources.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <vector>

namespace {

const char kUsage[] =
    "Usage: gedcom_gen [--individuals N] [--seed S] [--crlf | --lf] [--sorted] [--shuffle]\n"
    "                  [--utf8 | --ansel] OUT\n"
    "  --utf8     the same people in UTF-8 (a few names decomposed, a few characters cut by a\n"
    "             CONC line); --ansel: in ANSEL. Windows-1252 otherwise\n"
    "  --sorted   individuals in ascending surname order (numbers ascending too)\n"
    "  --shuffle  records of each kind in random order (numbers out of order)\n";

// Syllables for surnames and places; several carry Windows-1252 accents.
const char* const kSyll[] = {"le", "ker", "gof", "ber", "mar", "tin", "du", "pont", "mor", "van",
                             "lan", "qu\xE9", "r\xE9", "bel", "bi", "han", "gall", "nic", "ol",
                             "tan", "guy", "ro", "pa", "vi", "ch\xE2", "teau", "mou", "lin",
                             "fa", "bre", "s\xE9", "li", "gn\xE9", "co", "ren", "tin", "bou",
                             "cher", "fran", "\xE7ois", "lau", "rent", "mi", "chel", "da", "vid",
                             "thi", "baut", "no", "\xEB", "gi", "rard", "ma", "thieu"};
const char* const kGiven[] = {
    "Jean", "Marie", "Pierre", "Anne", "Yves", "Jeanne", "Joseph", "Fran\xE7oise", "Louis",
    "Catherine", "Fran\xE7ois", "Marguerite", "Guillaume", "Ren\xE9", "H\xE9l\xE8ne", "Corentin",
    "Jos\xE9phine", "Ren\xE9" "e", "Herv\xE9", "Ma\xEBl", "No\xEBl", "Th\xE9r\xE8se", "Andr\xE9",
    "\xC9lise", "\xC9mile", "Goulven", "Tanguy", "Gwena\xEBl", "Alain", "Paul", "Jacques",
    "Julien", "Mathurin", "Vincent", "Laurent", "Michel", "Claude", "Nicolas", "Olivier",
    "Perrine", "Madeleine", "Louise", "Julienne", "Barbe", "Suzanne", "Agathe", "C\xE9" "cile",
    "Mathilde", "Ang\xE8le", "Eug\xE8ne", "Ars\xE8ne", "Alphonse", "Victor", "Adolphe", "Amand"};
const char* const kDept[] = {"Finist\xE8re", "C\xF4tes-d'Armor", "Morbihan", "Ille-et-Vilaine",
                             "Loire-Atlantique", "Manche", "Sarthe", "Mayenne", "Orne",
                             "Vend\xE9" "e", "Ni\xE8vre", "Is\xE8re", "Ard\xE8" "che", "Aveyron",
                             "Loz\xE8re", "Corr\xE8ze", "H\xE9rault", "Pyr\xE9n\xE9" "es",
                             "Seine-et-Marne", "Nord"};
const char* const kMonth[] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                              "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
const char* const kMoisFr[] = {"JAN", "F\xC9V", "MAR", "AVR", "MAI", "JUIN",
                               "JUIL", "AO\xDB", "SEP", "OCT", "NOV", "D\xC9" "C"};
const char* const kOccu[] = {"Cultivateur", "Laboureur", "Meunier", "Tisserand", "Marin",
                             "Journalier", "Instituteur", "Cordonnier", "Forgeron", "Boulanger",
                             "Charpentier", "M\xE9nag\xE8re", "Domestique", "Marchand", "Notaire",
                             "Cur\xE9", "Ma\xE7on", "Couturi\xE8re", "Sabotier", "Tailleur"};
const char* const kWords[] = {"a", "v\xE9" "cu", "au", "moulin", "de", "la", "paroisse", "mari\xE9",
                              "en", "secondes", "noces", "t\xE9moin", "acte", "registre",
                              "p\xE8re", "m\xE8re", "fils", "fille", "l\xE9gitime", "dit",
                              "sieur", "ferme", "village", "hameau", "d\xE9" "c\xE9" "d\xE9"};

struct Person {
  int surname;
  int given;
  bool male;
  int famc = -1;
  std::vector<int> fams;
  int birthYear;
};

struct Family {
  int husb = -1;
  int wife = -1;
  std::vector<int> chil;
  int year;
};

class Gen {
 public:
  explicit Gen(std::uint64_t seed) : rng_(seed) {}
  std::uint64_t U(std::uint64_t n) { return rng_() % n; }
  bool P(int percent) { return static_cast<int>(U(100)) < percent; }
  std::mt19937_64 rng_;
};

std::string Word(Gen& g, int syllables) {
  std::string s;
  for (int i = 0; i < syllables; ++i) s += kSyll[g.U(std::size(kSyll))];
  return s;
}

enum class Encoding { kWindows1252, kUtf8, kAnsel };

// The base letter and the combining mark of a Latin-1 letter with one diacritic: the mark as
// UTF-8 (U+0300 + mark) and as an ANSEL byte.
struct Diacritic {
  char base;
  unsigned char mark;  // 0 none; 0x00 grave ... offsets from U+0300
};
struct MarkBytes {
  unsigned char utf8Low;  // second byte of the mark's UTF-8 form after 0xCC
  unsigned char ansel;
};
MarkBytes MarkOf(unsigned char combining) {
  switch (combining) {
    case 0x00: return {0x80, 0xE1};  // grave
    case 0x01: return {0x81, 0xE2};  // acute
    case 0x02: return {0x82, 0xE3};  // circumflex
    case 0x03: return {0x83, 0xE4};  // tilde
    case 0x08: return {0x88, 0xE8};  // diaeresis
    case 0x0A: return {0x8A, 0xEA};  // ring
    default: return {0xA7, 0xF0};    // cedilla (0x27)
  }
}
// The letters from 0xC0 to 0xFF as base + mark, or base 0 for the others (Æ, Ð, ×, ß...).
Diacritic Decompose(unsigned char c) {
  static const char kBases[] = "AAAAAA\0CEEEEIIII\0NOOOOO\0\0UUUUY\0\0aaaaaa\0ceeeeiiii\0nooooo\0\0uuuuy\0y";
  static const unsigned char kMarks[] = {0x00, 0x01, 0x02, 0x03, 0x08, 0x0A, 0, 0x27, 0x00, 0x01,
                                         0x02, 0x08, 0x00, 0x01, 0x02, 0x08, 0, 0x03, 0x00, 0x01,
                                         0x02, 0x03, 0x08, 0, 0, 0x00, 0x01, 0x02, 0x08, 0x01, 0, 0};
  if (c < 0xC0) return {0, 0};
  const unsigned i = c - 0xC0;
  return {kBases[i], kMarks[i % 32]};
}

// Writes the file through one buffer; the generator's texts are Windows-1252 and are written in
// the file's encoding as they are appended.
class Out {
 public:
  Out(std::FILE* f, const char* eol, Encoding encoding)
      : f_(f), eol_(eol), encoding_(encoding) {
    buf_.reserve(1 << 22);
  }
  ~Out() { Flush(); }
  Out& operator<<(const std::string& s) {
    Append(s);
    return *this;
  }
  Out& operator<<(const char* s) {
    Append(s);
    return *this;
  }
  Out& operator<<(long long v) {
    buf_ += std::to_string(v);
    return *this;
  }
  // Bytes written as they are, whatever the encoding.
  void Raw(std::string_view bytes) { buf_ += bytes; }
  // The accented letters of the rest of the line are written decomposed (UTF-8 only).
  void DecomposeLine() { decompose_ = true; }
  void End() {
    buf_ += eol_;
    decompose_ = false;
    if (buf_.size() > (1 << 21)) Flush();
  }
  void Flush() {
    std::fwrite(buf_.data(), 1, buf_.size(), f_);
    buf_.clear();
  }

 private:
  void Append(std::string_view text) {
    if (encoding_ == Encoding::kWindows1252) {
      buf_ += text;
      return;
    }
    for (char ch : text) {
      const unsigned char c = static_cast<unsigned char>(ch);
      if (c < 0x80) {
        buf_ += ch;
        continue;
      }
      const Diacritic d = Decompose(c);
      const MarkBytes mark = MarkOf(d.mark);
      if (encoding_ == Encoding::kAnsel && d.base != 0) {
        buf_ += static_cast<char>(mark.ansel);
        buf_ += d.base;
      } else if (encoding_ == Encoding::kUtf8 && decompose_ && d.base != 0) {
        buf_ += d.base;
        buf_ += '\xCC';
        buf_ += static_cast<char>(mark.utf8Low);
      } else if (encoding_ == Encoding::kAnsel) {
        buf_ += '?';  // the generator writes no such letter
      } else {  // UTF-8 of a Latin-1 letter (the generator writes no other)
        buf_ += static_cast<char>(0xC0 | (c >> 6));
        buf_ += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
  }

  std::FILE* f_;
  const char* eol_;
  Encoding encoding_;
  bool decompose_ = false;
  std::string buf_;
};

std::string Date(Gen& g, int year) {
  int day = 1 + static_cast<int>(g.U(28));
  int month = static_cast<int>(g.U(12));
  std::string y = std::to_string(year);
  switch (g.U(20)) {
    case 0: return "ABT " + y;
    case 1: return "BEF " + y;
    case 2: return "AFT " + std::to_string(day) + " " + kMonth[month] + " " + y;
    case 3: return std::string(kMonth[month]) + " " + y;
    case 4: return y;
    case 5: return "ENV " + y;
    case 6: return std::to_string(day) + " " + kMoisFr[month] + " " + y;
    case 7: {  // the other GEDCOM forms, a few of each
      const std::string full = std::to_string(day) + " " + kMonth[month] + " " + y;
      switch (g.U(9)) {
        case 0: return "BET " + y + " AND " + std::to_string(year + 10);
        case 1: return "FROM " + full + " TO " + std::to_string(year + 5);
        case 2: return "TO " + y;
        case 3: return "@#DJULIAN@ " + full;
        case 4: return "@#DFRENCH R@ " + std::to_string(day) + " BRUM " + std::to_string(year % 14);
        case 5: return "INT " + y + " (selon le registre)";
        case 6: return "EST " + y;
        case 7: return "CAL " + y;
        default: return "ABT " + std::to_string(year % 900) + " B.C.";
      }
    }
    default: return std::to_string(day) + " " + kMonth[month] + " " + y;
  }
}

}  // namespace

int main(int argc, char** argv) {
  long long n = 100000;
  std::uint64_t seed = 1996;
  const char* eol = "\r\n";
  bool sorted = false, shuffle = false;
  Encoding encoding = Encoding::kWindows1252;
  const char* out = nullptr;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (a == "--individuals" && i + 1 < argc) n = std::atoll(argv[++i]);
    else if (a == "--seed" && i + 1 < argc) seed = std::strtoull(argv[++i], nullptr, 10);
    else if (a == "--crlf") eol = "\r\n";
    else if (a == "--lf") eol = "\n";
    else if (a == "--sorted") sorted = true;
    else if (a == "--shuffle") shuffle = true;
    else if (a == "--utf8") encoding = Encoding::kUtf8;
    else if (a == "--ansel") encoding = Encoding::kAnsel;
    else if (a[0] != '-' && !out) out = argv[i];
    else {
      std::fputs(kUsage, stderr);
      return 2;
    }
  }
  if (!out || n <= 0) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  Gen g(seed);

  // Surnames with a skewed (Zipf-like) frequency; places from syllables and departments.
  const int kSurnames = 8000, kPlaces = 6000;
  std::vector<std::string> surnames(kSurnames), places(kPlaces);
  for (auto& s : surnames) {
    s = Word(g, 2 + static_cast<int>(g.U(2)));
    for (char& c : s) {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
    }
    if (g.P(10)) s = "LE " + s;
  }
  for (auto& p : places) {
    std::string w = Word(g, 2 + static_cast<int>(g.U(2)));
    w[0] = static_cast<char>(w[0] >= 'a' && w[0] <= 'z' ? w[0] - 32 : w[0]);
    if (g.P(15)) w = "Saint-" + w;
    p = w + ", " + kDept[g.U(std::size(kDept))];
  }
  auto zipf = [&]() {
    double u = (g.U(1u << 30) + 1.0) / (1u << 30);
    int k = static_cast<int>(std::pow(kSurnames, u)) - 1;
    return std::clamp(k, 0, kSurnames - 1);
  };

  // The genealogy: couples drawn from the unmarried children of earlier families or founders.
  std::vector<Person> people;
  std::vector<Family> families;
  people.reserve(static_cast<std::size_t>(n));
  std::vector<int> singlesM, singlesF;
  auto newPerson = [&](bool male, int surname, int year) {
    people.push_back({surname, static_cast<int>(g.U(std::size(kGiven))), male, -1, {}, year});
    return static_cast<int>(people.size() - 1);
  };
  auto take = [&](std::vector<int>& pool, bool male, int year) {
    if (!pool.empty() && g.P(80)) {
      std::size_t k = g.U(std::min<std::size_t>(pool.size(), 64));
      int p = pool[pool.size() - 1 - k];
      pool.erase(pool.end() - 1 - static_cast<long>(k));
      return p;
    }
    return newPerson(male, zipf(), year - 25);
  };
  while (static_cast<long long>(people.size()) < n) {
    int year = 1650 + static_cast<int>(g.U(300));
    Family f;
    f.year = year;
    bool noWife = g.P(1), noHusb = g.P(1);
    if (!noHusb) f.husb = take(singlesM, true, year);
    if (!noWife && static_cast<long long>(people.size()) < n) f.wife = take(singlesF, false, year);
    int surname = f.husb >= 0 ? people[f.husb].surname : zipf();
    int kids = static_cast<int>(g.U(7));
    int fam = static_cast<int>(families.size());
    for (int k = 0; k < kids && static_cast<long long>(people.size()) < n; ++k) {
      bool male = g.P(50);
      int c = newPerson(male, surname, year + 1 + k * 2);
      people[c].famc = fam;
      f.chil.push_back(c);
      if (g.P(70)) (male ? singlesM : singlesF).push_back(c);
    }
    if (f.husb >= 0) people[f.husb].fams.push_back(fam);
    if (f.wife >= 0) people[f.wife].fams.push_back(fam);
    families.push_back(std::move(f));
  }

  // Output order and numbers: numbers follow the (optionally surname-sorted) order; shuffling
  // then moves the records without renumbering them.
  std::vector<int> order(people.size());
  std::iota(order.begin(), order.end(), 0);
  if (sorted) {
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
      return surnames[people[a].surname] < surnames[people[b].surname];
    });
  }
  std::vector<long long> number(people.size());
  for (std::size_t i = 0; i < order.size(); ++i) number[order[i]] = static_cast<long long>(i + 1);
  std::vector<int> famOrder(families.size());
  std::iota(famOrder.begin(), famOrder.end(), 0);
  if (shuffle) {
    std::shuffle(order.begin(), order.end(), g.rng_);
    std::shuffle(famOrder.begin(), famOrder.end(), g.rng_);
  }

  std::FILE* f = std::fopen(out, "wb");
  if (!f) {
    std::perror(out);
    return 1;
  }
  {
    Out o(f, eol, encoding);
    // Counters, not the random generator: every encoding writes the same people.
    long long namesWritten = 0;
    long long notesWritten = 0;
    o << "0 HEAD"; o.End();
    o << "1 SOUR BRIMSEL_BENCH"; o.End();
    o << "1 GEDC"; o.End();
    o << "2 VERS 5.5"; o.End();
    o << "2 FORM LINEAGE-LINKED"; o.End();
    o << (encoding == Encoding::kUtf8    ? "1 CHAR UTF-8"
          : encoding == Encoding::kAnsel ? "1 CHAR ANSEL"
                                         : "1 CHAR ANSI");
    o.End();
    o << "1 SUBM @U1@"; o.End();
    o << "0 @U1@ SUBM"; o.End();
    o << "1 NAME Cercle g\xE9n\xE9" "alogique"; o.End();
    auto event = [&](const char* tag, int year) {
      o << "1 " << tag; o.End();
      o << "2 DATE " << Date(g, year); o.End();
      if (g.P(90)) {
        o << "2 PLAC " << places[g.U(kPlaces)]; o.End();
      }
      if (g.P(30)) {
        o << "2 SOUR @S1@"; o.End();
        o << "2 QUAY " << static_cast<long long>(g.U(4)); o.End();
      }
    };
    for (int p : order) {
      const Person& ind = people[p];
      o << "0 @I" << number[p] << "@ INDI"; o.End();
      std::string given = kGiven[ind.given];
      if (g.P(25)) given += std::string(" ") + kGiven[g.U(std::size(kGiven))];
      if (encoding == Encoding::kUtf8 && ++namesWritten % 50 == 0) o.DecomposeLine();
      o << "1 NAME " << given << " /" << surnames[ind.surname] << "/"; o.End();
      o << "1 SEX " << (ind.male ? "M" : "F"); o.End();
      if (g.P(90)) event("BIRT", ind.birthYear);
      if (g.P(40)) event("BAPM", ind.birthYear);
      if (g.P(60)) event("DEAT", ind.birthYear + 20 + static_cast<int>(g.U(60)));
      if (g.P(30)) event("BURI", ind.birthYear + 20 + static_cast<int>(g.U(60)));
      if (g.P(50)) {
        o << "1 OCCU " << kOccu[g.U(std::size(kOccu))]; o.End();
      }
      if (ind.famc >= 0) {
        o << "1 FAMC @F" << static_cast<long long>(ind.famc + 1) << "@"; o.End();
      }
      for (int fam : ind.fams) {
        o << "1 FAMS @F" << static_cast<long long>(fam + 1) << "@"; o.End();
      }
      if (g.P(20)) {
        o << "1 NOTE";
        for (int w = 0; w < 8; ++w) o << " " << kWords[g.U(std::size(kWords))];
        o.End();
        int more = static_cast<int>(g.U(3));
        for (int c = 0; c < more; ++c) {
          o << (g.P(70) ? "2 CONT" : "2 CONC");
          for (int w = 0; w < 6; ++w) o << " " << kWords[g.U(std::size(kWords))];
          o.End();
        }
        if (encoding == Encoding::kUtf8 && ++notesWritten % 40 == 0) {
          // An exporter that cut a line inside a character: é split between two CONC lines.
          o << "2 CONC caf"; o.Raw("\xC3"); o.End();
          o << "2 CONC "; o.Raw("\xA9"); o << " au lait"; o.End();
        }
      }
    }
    for (int fi : famOrder) {
      const Family& fam = families[fi];
      o << "0 @F" << static_cast<long long>(fi + 1) << "@ FAM"; o.End();
      if (fam.husb >= 0) {
        o << "1 HUSB @I" << number[fam.husb] << "@"; o.End();
      }
      if (fam.wife >= 0) {
        o << "1 WIFE @I" << number[fam.wife] << "@"; o.End();
      }
      for (int c : fam.chil) {
        o << "1 CHIL @I" << number[c] << "@"; o.End();
      }
      if (g.P(70)) event("MARR", fam.year);
      if (g.P(5)) {
        o << "1 NOTE Contrat de mariage chez le notaire"; o.End();
      }
    }
    o << "0 @S1@ SOUR"; o.End();
    o << "1 TITL Registres paroissiaux"; o.End();
    o << "0 TRLR"; o.End();
  }
  if (std::fclose(f) != 0) {
    std::perror(out);
    return 1;
  }
  return 0;
}
