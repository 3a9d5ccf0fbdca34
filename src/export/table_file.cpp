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

void TableFile::Nombre(std::int64_t n) {
  constexpr std::size_t kMaxChiffres = 20;  // sign and 19 digits
  if (kTailleTampon - utilise_ < kMaxChiffres) Vide();
  char chiffres[kMaxChiffres];
  int k = 0;
  // The magnitude as unsigned, so that the most negative value has one too.
  std::uint64_t u =
      n < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
  do {
    chiffres[k++] = static_cast<char>('0' + u % 10);
    u /= 10;
  } while (u != 0);
  char* dest = tampon_.get() + utilise_;
  char* p = dest;
  if (n < 0) *p++ = '-';
  while (k > 0) *p++ = chiffres[--k];
  utilise_ += static_cast<std::size_t>(p - dest);
  octets_ += p - dest;
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
