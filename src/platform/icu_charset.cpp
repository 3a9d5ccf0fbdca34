// ICU's converters as character sets of a GEDCOM file: look-up, the ASCII check, the list of
// names and the decoder.
#include "platform/icu_charset.h"

#include <unicode/ucnv.h>
#include <unicode/ucnv_cb.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <set>

#include "platform/text_bytes.h"
#include "platform/utf8.h"

namespace brimsel {
namespace {

// The built-in sets under the names that --encoding documents.
constexpr std::array<std::string_view, 8> kBuiltInNames = {
    "utf-8", "utf-16le", "utf-16be", "ansel", "windows-1252", "cp437", "cp850", "macintosh"};

// Writes U+FFFD for an unmapped or illegal sequence (ICU's own substitute writes U+001A in some
// single-byte sets).
void WriteReplacement(const void*, UConverterToUnicodeArgs* args, const char*, int32_t,
                      UConverterCallbackReason reason, UErrorCode* status) {
  if (reason > UCNV_IRREGULAR) return;  // reset, close, clone: nothing to write
  *status = U_ZERO_ERROR;
  const UChar replacement = static_cast<UChar>(kReplacementCharacter);
  ucnv_cbToUWriteUChars(args, &replacement, 1, 0, status);
}

struct ConverterCloser {
  void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPtr OpenConverter(const char* name) {
  UErrorCode status = U_ZERO_ERROR;
  ConverterPtr converter(ucnv_open(name, &status));
  if (U_FAILURE(status)) return nullptr;
  status = U_ZERO_ERROR;
  ucnv_setToUCallBack(converter.get(), WriteReplacement, nullptr, nullptr, nullptr, &status);
  return converter;
}

// Puts into `units` the UTF-16 code units of `bytes` decoded as one text.
void ToUnits(UConverter* converter, std::string_view bytes, std::u16string& units) {
  units.resize(bytes.size() * 2 + 2);
  for (;;) {
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_toUChars(converter, units.data(), static_cast<int32_t>(units.size()),
                                    bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
      units.resize(static_cast<std::size_t>(n) + 1);
      continue;
    }
    units.resize(U_SUCCESS(status) ? static_cast<std::size_t>(n) : 0);
    return;
  }
}

std::u16string ToUnits(UConverter* converter, std::string_view bytes) {
  std::u16string units;
  ToUnits(converter, bytes, units);
  return units;
}

// The bytes that GEDCOM lines are built of: tab, line ends and the printable ASCII characters.
std::string StructureBytes() {
  std::string bytes = "\t\n\r";
  for (char c = 0x20; c < 0x7F; ++c) bytes.push_back(c);
  return bytes;
}

// Why the file's structure cannot be read in the bytes of `converter`; empty when it can.
std::string AsciiRefusal(UConverter* converter) {
  const std::string ascii = StructureBytes();
  const std::u16string expected(ascii.begin(), ascii.end());
  if (ToUnits(converter, ascii) != expected) return "the ASCII characters are other bytes in it";
  switch (ucnv_getType(converter)) {
    case UCNV_SBCS:
    case UCNV_DBCS:
    case UCNV_MBCS:
    case UCNV_LATIN_1:
    case UCNV_UTF8:
    case UCNV_CESU8:
    case UCNV_US_ASCII:
      break;
    default:
      return "its bytes change meaning after escape or shift sequences";
  }
  if (ucnv_getMaxCharSize(converter) == 1) return {};
  // Each byte from 0x80 up followed by every ASCII byte in turn: the ASCII bytes must all come
  // out, in order, whatever the byte before them began.
  for (int lead = 0x80; lead <= 0xFF; ++lead) {
    std::string pairs;
    for (char c : ascii) {
      pairs.push_back(static_cast<char>(lead));
      pairs.push_back(c);
    }
    std::u16string kept;
    for (char16_t unit : ToUnits(converter, pairs)) {
      if (unit < 0x80) kept.push_back(unit);
    }
    if (kept != expected) return "its multi-byte characters may contain ASCII bytes";
  }
  return {};
}

// The built-in set that one of the converter's names stands for, if any.
std::optional<Charset> BuiltInAlias(const char* canonical) {
  UErrorCode status = U_ZERO_ERROR;
  const uint16_t count = ucnv_countAliases(canonical, &status);
  for (uint16_t i = 0; U_SUCCESS(status) && i < count; ++i) {
    const char* alias = ucnv_getAlias(canonical, i, &status);
    if (U_FAILURE(status) || alias == nullptr) break;
    if (const std::optional<Charset> set = CharsetFromOption(alias)) return set;
  }
  return std::nullopt;
}

}  // namespace

CharsetNameResult LookUpCharset(std::string_view name) {
  name = TrimBlanks(name);
  CharsetNameResult result;
  if (name.empty()) return result;
  if (const std::optional<Charset> set = CharsetFromOption(name)) {
    result.status = CharsetNameStatus::kFound;
    result.charset = *set;
    return result;
  }
  const std::string text(name);
  ConverterPtr converter = OpenConverter(text.c_str());
  if (!converter) return result;
  UErrorCode status = U_ZERO_ERROR;
  const char* canonical = ucnv_getName(converter.get(), &status);
  if (U_FAILURE(status) || canonical == nullptr) return result;
  if (const std::optional<Charset> set = BuiltInAlias(canonical)) {
    result.status = CharsetNameStatus::kFound;
    result.charset = *set;
    return result;
  }
  result.reason = AsciiRefusal(converter.get());
  if (!result.reason.empty()) {
    result.status = CharsetNameStatus::kRefused;
    return result;
  }
  result.status = CharsetNameStatus::kFound;
  result.charset = FileCharset::Converter(canonical);
  return result;
}

std::vector<std::string> AcceptedCharsetNames() {
  std::vector<std::string> names(kBuiltInNames.begin(), kBuiltInNames.end());
  std::vector<std::string> converters;
  std::set<std::string> seen;
  const int32_t count = ucnv_countAvailable();
  for (int32_t i = 0; i < count; ++i) {
    const char* canonical = ucnv_getAvailableName(i);
    if (canonical == nullptr || BuiltInAlias(canonical)) continue;
    ConverterPtr converter = OpenConverter(canonical);
    if (!converter || !AsciiRefusal(converter.get()).empty()) continue;
    const char* shown = canonical;
    for (const char* standard : {"JAVA", "WINDOWS", "IANA", "MIME"}) {
      UErrorCode status = U_ZERO_ERROR;
      const char* named = ucnv_getStandardName(canonical, standard, &status);
      if (U_SUCCESS(status) && named != nullptr) shown = named;
    }
    std::string key(shown);
    std::transform(key.begin(), key.end(), key.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (seen.insert(key).second) converters.emplace_back(shown);
  }
  std::sort(converters.begin(), converters.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(
        a.begin(), a.end(), b.begin(), b.end(),
        [](unsigned char x, unsigned char y) { return std::tolower(x) < std::tolower(y); });
  });
  names.insert(names.end(), converters.begin(), converters.end());
  return names;
}

void ConverterDecoder::Closer::operator()(UConverter* converter) const {
  ucnv_close(converter);
}

ConverterDecoder::ConverterDecoder(std::string name) : name_(std::move(name)) {
  ConverterPtr opened = OpenConverter(name_.c_str());
  if (!opened) return;
  converter_.reset(opened.release());
  if (ucnv_getMaxCharSize(converter_.get()) != 1) return;
  // A single-byte set decodes through a table of its 256 bytes. The ASCII bytes stay ASCII
  // characters, as the lines' structure reads them (the IBM code pages swap some controls).
  table_.assign(256, kReplacementCharacter);
  for (int byte = 0; byte < 0x80; ++byte) table_[byte] = static_cast<char32_t>(byte);
  for (int byte = 0x80; byte < 256; ++byte) {
    const char c = static_cast<char>(byte);
    const std::u16string units = ToUnits(converter_.get(), std::string_view(&c, 1));
    if (units.size() == 1 && !U16_IS_SURROGATE(units[0])) table_[byte] = units[0];
  }
}

ConverterDecoder& ConverterDecoder::operator=(const ConverterDecoder& other) {
  if (this != &other) *this = ConverterDecoder(other.name_);
  return *this;
}

ConverterDecoder::~ConverterDecoder() = default;

void ConverterDecoder::Decode(std::string_view raw, std::u32string& out) {
  if (!table_.empty()) {
    for (char c : raw) out.push_back(table_[static_cast<unsigned char>(c)]);
    return;
  }
  if (!converter_) {
    out.append(raw.size(), kReplacementCharacter);
    return;
  }
  // No byte of a multi-byte character is ASCII in an accepted set: the ASCII bytes are copied
  // and each run of other bytes is decoded on its own.
  std::size_t i = 0;
  while (i < raw.size()) {
    if (static_cast<unsigned char>(raw[i]) < 0x80) {
      out.push_back(static_cast<char32_t>(raw[i++]));
      continue;
    }
    const std::size_t start = i;
    while (i < raw.size() && static_cast<unsigned char>(raw[i]) >= 0x80) ++i;
    ToUnits(converter_.get(), raw.substr(start, i - start), units_);
    const auto length = static_cast<int32_t>(units_.size());
    for (int32_t k = 0; k < length;) {
      UChar32 cp;
      U16_NEXT(units_.data(), k, length, cp);
      out.push_back(static_cast<char32_t>(cp));
    }
  }
}

}  // namespace brimsel
