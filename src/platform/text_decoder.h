// Decoding of texts read from a GEDCOM file into the tables' encoding, and cuts that never
// split a character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/charset.h"
#include "platform/icu_charset.h"

namespace brimsel {

// What decoding had to change, summed over the texts of a file.
struct DecodeCounts {
  std::uint64_t replaced = 0;        // characters written '?' (no Windows-1252 form)
  std::uint64_t readAsCp1252 = 0;  // bytes of UTF-8 text outside a valid sequence
};

// Decodes texts from one set to one table encoding, keeping its buffers from text to text.
//
// UTF-8 input: a byte outside a valid sequence is read as the Windows-1252 character of that
// byte (counted). UTF-16 input is the UTF-8 text that the UTF-16 source serves. ANSEL marks go
// after their letter; a converter's text is read through ICU. The text is then put in normalization
// form C; for Windows-1252 tables, a character with no Windows-1252 form becomes '?' (counted).
// Pure ASCII is copied as it is.
class TextDecoder {
 public:
  TextDecoder(const FileCharset& from, TableEncoding to);

  // Writes the decoded form of `raw` into `out` (replacing its content).
  void Decode(std::string_view raw, std::string& out, DecodeCounts& counts);
  // The same without a copy of a text that decodes to itself: false, with `out` untouched,
  // when `raw` is already its decoded form.
  bool DecodeChanged(std::string_view raw, std::string& out, DecodeCounts& counts);
  // The length of the longest start of `raw` after which decoding may stop and start again as a
  // new text with the same result, counts included: just before an ASCII byte that is not the
  // letter of an ANSEL mark. In every set read, an ASCII byte stands for itself, belongs to no
  // multi-byte character and joins nothing before it in normalization form C. 0 when there is
  // no such place. Lets a long text be decoded piece by piece.
  std::size_t RestartPoint(std::string_view raw) const;

  Charset from() const { return from_; }
  TableEncoding to() const { return to_; }

 private:
  void ToCodePoints(std::string_view raw, DecodeCounts& counts);
  void Normalize();
  // Composes the plain accented Latin letters in place; false, with the code points in an
  // unspecified state, when the text holds anything else.
  bool ComposeLatin();
  void Write(std::string& out, DecodeCounts& counts) const;

  Charset from_;
  TableEncoding to_;
  std::optional<ConverterDecoder> converter_;  // for a converter's set
  std::u32string codePoints_;
  std::u32string saved_;
  std::u16string utf16_;
  std::u16string normalized_;
};

// The same for a single text.
void DecodeText(std::string_view raw, const FileCharset& from, TableEncoding to, std::string& out,
                DecodeCounts& counts);

// The length of the longest start of `text` of at most `max_bytes` bytes that does not end
// inside a character: in UTF-8 the cut falls before the character that would not fit.
std::size_t CutToFit(std::string_view text, std::size_t maxBytes, TableEncoding encoding);

// The bytes of the character at the start of `text`, as a file in `set` holds it: a valid
// UTF-8 sequence (1 byte for a byte outside one) for UTF-8 and UTF-16 files (whose text is
// UTF-8), an ANSEL run of marks with the byte after it, one byte otherwise. 0 when empty.
std::size_t CharacterSize(std::string_view text, Charset set);

}  // namespace brimsel
