// Character sets beyond the built-in ones: names looked up in ICU's converters, the check that
// a set keeps the ASCII bytes as ASCII, and the decoder of texts through a converter.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/charset.h"

struct UConverter;

namespace brimsel {

enum class CharsetNameStatus {
  kFound,    // `charset` is the set named
  kUnknown,  // neither a built-in name nor one that ICU knows
  kRefused,  // ICU knows it, but the file's structure cannot be read in it (`reason` says why)
};

struct CharsetNameResult {
  CharsetNameStatus status = CharsetNameStatus::kUnknown;
  FileCharset charset;
  std::string reason;  // English, for a usage error
};

// The set a user's name stands for: a built-in name (see CharsetFromOption) first; then any
// name or alias of ICU's converters, ASCII case and punctuation ignored as ICU does. A converter
// that is one of the built-in sets under another name gives the built-in set. The GEDCOM lines
// are cut on the file's bytes, so a converter is refused unless the bytes of the ASCII
// characters mean those characters wherever they stand.
CharsetNameResult LookUpCharset(std::string_view name);

// The names that LookUpCharset accepts, one for each set: the built-in ones first, then one name
// for each accepted converter (its MIME name, else its IANA, Windows or Java name, else ICU's),
// in alphabetical order.
std::vector<std::string> AcceptedCharsetNames();

// Decodes texts through one ICU converter, keeping the converter from text to text. A byte
// sequence that the set does not map becomes U+FFFD. Copying opens a converter of its own.
class ConverterDecoder {
 public:
  // `name` as LookUpCharset returned it. A name that ICU cannot open decodes every byte as U+FFFD.
  explicit ConverterDecoder(std::string name);
  ConverterDecoder(const ConverterDecoder& other) : ConverterDecoder(other.name_) {}
  ConverterDecoder& operator=(const ConverterDecoder& other);
  ConverterDecoder(ConverterDecoder&&) noexcept = default;
  ConverterDecoder& operator=(ConverterDecoder&&) noexcept = default;
  ~ConverterDecoder();

  // Appends the code points of `raw`, decoded as a text of its own.
  void Decode(std::string_view raw, std::u32string& out);

 private:
  struct Closer {
    void operator()(UConverter* converter) const;
  };
  std::string name_;
  std::unique_ptr<UConverter, Closer> converter_;
  std::vector<char32_t> table_;  // the 256 code points of a single-byte set; empty otherwise
  std::u16string units_;
};

}  // namespace brimsel
