// Fuzzes the proper-name normaliser on arbitrary text: no crash, name lines fit their buffer,
// every line end of the output is CR LF, and the pieces it reads are bounded and the same
// whatever the reader's block size.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "platform/charset.h"
#include "platform/line_reader.h"
#include "tools/proper_name.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::string out = brimsel::ProperNameText(input);
  // A UTF-16 file is written back in UTF-16: its line ends are two-byte units.
  const auto mark = brimsel::SniffByteOrderMark(input.substr(0, 4));
  const bool utf16 = mark && brimsel::IsUtf16(mark->charset);
  for (std::size_t i = 0; i < out.size() && !utf16; ++i) {
    if (out[i] == '\r' && (i + 1 == out.size() || out[i + 1] != '\n')) std::abort();
    if (out[i] == '\n' && (i == 0 || out[i - 1] != '\r')) std::abort();
  }
  std::string pieces[2];
  const std::size_t blocks[2] = {16, std::size_t{64} << 10};
  for (int k = 0; k < 2; ++k) {
    brimsel::StringSource source{std::string(input)};
    brimsel::LineReader reader(source, blocks[k]);
    brimsel::Line piece;
    while (reader.NextPiece(piece, brimsel::kMaxNamePiece)) {
      if (piece.Length() > brimsel::kMaxNamePiece || piece.text[piece.size] != '\0') std::abort();
      pieces[k] += std::to_string(piece.size) + (piece.hasEnd ? '|' : '~');
      pieces[k].append(piece.text, piece.size);
    }
  }
  if (pieces[0] != pieces[1]) std::abort();
  // The capitalisation changes letters only, never the length.
  std::string text(input.substr(0, input.find('\0')));
  std::string before = text;
  brimsel::CapitaliseProperName(text.data());
  if (std::strlen(text.c_str()) != std::strlen(before.c_str())) std::abort();
  return 0;
}
