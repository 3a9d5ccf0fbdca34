// A table file being written: one large buffer, CR LF line ends, a byte count and sticky
// error detection.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string_view>

namespace brimsel {

// Writes one table. Every "\n" goes out as the two bytes CR LF; cell texts have each tab
// written as one space so that a value never splits its cell. Writes go through one buffer of
// kTailleTampon bytes; the first failing write or close makes the file failed for good, and
// later writes are dropped. A file destroyed before Ferme() is closed as it stands, its
// buffered bytes dropped: that is how an abandoned export leaves it.
class TableFile {
 public:
  static constexpr std::size_t kTailleTampon = std::size_t{1} << 16;

  TableFile() = default;
  ~TableFile();
  TableFile(const TableFile&) = delete;
  TableFile& operator=(const TableFile&) = delete;

  // Creates or truncates `chemin`. False when it cannot be opened.
  bool Ouvre(const char* chemin);
  bool Ouvert() const { return fichier_ != nullptr; }

  // Raw text such as a header line; '\n' becomes CR LF, tabs stay.
  void Texte(std::string_view texte);
  // The text of one cell: tabs become spaces, '\n' becomes CR LF. A null text writes nothing.
  void Cellule(const char* texte);
  void Cellule(std::string_view texte);
  // A number in decimal, with a minus sign when negative.
  void Nombre(std::int64_t n);
  void Tab() { Octet('\t'); }
  void FinLigne();

  // Room for `n` bytes (at most kTailleTampon) written straight into the buffer, for a row
  // writer that would otherwise check the room before every cell: returns where to write, and
  // Prend(fin) then takes the bytes written up to `fin`.
  char* Place(std::size_t n) {
    if (kTailleTampon - utilise_ < n) Vide();
    return tampon_.get() + utilise_;
  }
  void Prend(const char* fin) {
    const std::size_t n = static_cast<std::size_t>(fin - (tampon_.get() + utilise_));
    utilise_ += n;
    octets_ += static_cast<std::int64_t>(n);
  }
  // What Nombre writes, at `p`: at most 20 bytes. Returns the end.
  static char* EcritNombre(char* p, std::int64_t n);
  // What Cellule writes for a text of at most `max` bytes before its terminator, at `p`: at most
  // 2 * max bytes (a '\n' becomes CR LF). Returns the end.
  static char* EcritCelluleCourte(char* p, const char* texte, std::size_t max);

  // Bytes written so far, each line end counting as two.
  std::int64_t Octets() const { return octets_; }
  // True once a write has failed.
  bool Echec() const { return echec_; }
  // Writes what is left in the buffer and closes the file. False when the file was not open,
  // or when any write or the close failed.
  bool Ferme();

 private:
  void Octet(char c) {
    if (utilise_ == kTailleTampon) Vide();
    tampon_[utilise_++] = c;
    ++octets_;
  }
  void Vide();

  std::FILE* fichier_ = nullptr;
  std::unique_ptr<char[]> tampon_;
  std::size_t utilise_ = 0;
  std::int64_t octets_ = 0;
  bool echec_ = false;
};

}  // namespace brimsel
