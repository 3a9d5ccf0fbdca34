// Fuzzes the decoders: every set into both table encodings, the cuts, the case-fold keys, and
// the UTF-16 source read in small pieces against the whole buffer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/byte_source.h"
#include "platform/text_case.h"
#include "platform/text_decoder.h"
#include "platform/utf16_source.h"
#include "platform/utf8.h"

namespace {

using namespace brimsel;

// True when every byte of `text` belongs to a well-formed UTF-8 sequence.
bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    char32_t cp;
    const std::size_t n = Utf8SequenceAt(text.substr(i), cp);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string ReadAll(ByteSource& source, std::size_t piece) {
  std::string out;
  char buffer[4096];
  for (;;) {
    const std::ptrdiff_t n = source.Read(buffer, std::min(piece, sizeof buffer));
    if (n < 0) std::abort();
    if (n == 0) return out;
    out.append(buffer, static_cast<std::size_t>(n));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view raw(reinterpret_cast<const char*>(data), size);
  for (Charset set : {Charset::kUtf8, Charset::kAnsel, Charset::kWindows1252, Charset::kCp437,
                      Charset::kCp850, Charset::kMacRoman}) {
    for (TableEncoding to : {TableEncoding::kUtf8, TableEncoding::kWindows1252}) {
      std::string out;
      DecodeCounts counts;
      DecodeText(raw, set, to, out, counts);
      if (to == TableEncoding::kUtf8 && !IsValidUtf8(out)) std::abort();
      if (to == TableEncoding::kWindows1252 && set == Charset::kWindows1252 && out != raw) {
        std::abort();
      }
      if (to == TableEncoding::kUtf8) {
        // A cut keeps whole characters of a valid text, and never grows it.
        const std::size_t cut = CutToFit(out, size % 40, to);
        if (cut > size % 40 || !IsValidUtf8(std::string_view(out).substr(0, cut))) std::abort();
        std::string key;
        CaseFoldKey(out, key);
        if (!IsValidUtf8(key)) std::abort();
      }
    }
  }
  // UTF-16 in both byte orders: read in pieces of every small size, the same UTF-8 text.
  for (bool bigEndian : {false, true}) {
    StringSource whole{std::string(raw)};
    Utf16Source reference(whole, bigEndian);
    const std::string expected = ReadAll(reference, 4096);
    if (!IsValidUtf8(expected)) std::abort();
    for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{7}}) {
      StringSource again{std::string(raw)};
      Utf16Source source(again, bigEndian, 5);
      if (ReadAll(source, piece) != expected) std::abort();
    }
  }
  return 0;
}
