// The buffered table-file writer.
#include "export/table_file.h"

#include <algorithm>

#include <cstring>

namespace brimsel {

TableFile::~TableFile() {
  if (fichier_ != nullptr) std::fclose(fichier_);
}

bool TableFile::Ouvre(const char* chemin) {
  if (fichier_ != nullptr) Ferme();
  utilise_ = 0;
  octets_ = 0;
  echec_ = false;
  // Binary mode: the line ends are translated here, the same on every platform.
  fichier_ = std::fopen(chemin, "wb");
  if (fichier_ == nullptr) return false;
  // The stream's own buffer would only delay errors; ours is large enough.
  std::setvbuf(fichier_, nullptr, _IONBF, 0);
  if (!tampon_) tampon_ = std::make_unique_for_overwrite<char[]>(kTailleTampon);
  return true;
}

void TableFile::Vide() {
  if (utilise_ != 0 && !echec_ && fichier_ != nullptr) {
    if (std::fwrite(tampon_.get(), 1, utilise_, fichier_) != utilise_) echec_ = true;
  }
  utilise_ = 0;
}

void TableFile::Texte(std::string_view texte) {
  for (char c : texte) {
    if (c == '\n') {
      FinLigne();
    } else {
      Octet(c);
    }
  }
}

void TableFile::Cellule(const char* texte) {
  if (texte != nullptr) Cellule(std::string_view(texte));
}

void TableFile::Cellule(std::string_view texte) {
  if (texte.find('\n') != std::string_view::npos) {
    // A line end inside a value: written as CR LF like every other.
    for (char c : texte) {
      if (c == '\n') {
        FinLigne();
      } else {
        Octet(c == '\t' ? ' ' : c);
      }
    }
    return;
  }
  // Straight into the buffer, a tab becoming a space.
  while (!texte.empty()) {
    if (utilise_ == kTailleTampon) Vide();
    std::size_t n = std::min(texte.size(), kTailleTampon - utilise_);
    char* dest = tampon_.get() + utilise_;
    for (std::size_t i = 0; i < n; ++i) {
      char c = texte[i];
      dest[i] = c == '\t' ? ' ' : c;
    }
    utilise_ += n;
    octets_ += static_cast<std::int64_t>(n);
    texte.remove_prefix(n);
  }
}

void TableFile::Nombre(std::int64_t n) { Prend(EcritNombre(Place(20), n)); }

char* TableFile::EcritNombre(char* p, std::int64_t n) {
  if (n < 0) *p++ = '-';
  // The magnitude as unsigned, so that the most negative value has one too.
  std::uint64_t u =
      n < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
  if (u < 10) {
    *p++ = static_cast<char>('0' + u);  // the most frequent case: codes, sexes, zeros
    return p;
  }
  // Two digits per division, from the right.
  static constexpr char kPaires[] =
      "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
      "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
      "8081828384858687888990919293949596979899";
  // Powers of ten; the digit count comes from the bit length (1233 / 4096 is just above
  // log10(2)) and one comparison, and the digits are written from the right in their place.
  // clang-format off
  static constexpr std::uint64_t kPuissances[20] = {
      1ull,           10ull,           100ull,           1000ull,           10000ull,
      100000ull,      1000000ull,      10000000ull,      100000000ull,      1000000000ull,
      10000000000ull, 100000000000ull, 1000000000000ull, 10000000000000ull, 100000000000000ull,
      1000000000000000ull,    10000000000000000ull,    100000000000000000ull,
      1000000000000000000ull, 10000000000000000000ull,
  };
  // clang-format on
  const int t = ((64 - __builtin_clzll(u)) * 1233) >> 12;
  const int chiffres = t + 1 - (u < kPuissances[t] ? 1 : 0);
  char* const fin = p + chiffres;
  char* q = fin;
  while (u >= 100) {
    std::size_t i = static_cast<std::size_t>(u % 100) * 2;
    u /= 100;
    q -= 2;
    q[0] = kPaires[i];
    q[1] = kPaires[i + 1];
  }
  if (u >= 10) {
    std::size_t i = static_cast<std::size_t>(u) * 2;
    q[-2] = kPaires[i];
    q[-1] = kPaires[i + 1];
  } else {
    q[-1] = static_cast<char>('0' + u);
  }
  return fin;
}
char* TableFile::EcritCelluleCourte(char* p, const char* texte, std::size_t max) {
  if (texte == nullptr) return p;
  for (std::size_t i = 0; i < max && texte[i] != '\0'; ++i) {
    const char c = texte[i];
    if (c == '\n') {
      *p++ = '\r';
      *p++ = '\n';
    } else {
      *p++ = c == '\t' ? ' ' : c;
    }
  }
  return p;
}

void TableFile::FinLigne() {
  Octet('\r');
  Octet('\n');
}

bool TableFile::Ferme() {
  if (fichier_ == nullptr) return false;
  Vide();
  if (std::fflush(fichier_) != 0) echec_ = true;
  if (std::fclose(fichier_) != 0) echec_ = true;
  fichier_ = nullptr;
  return !echec_;
}

}  // namespace brimsel
