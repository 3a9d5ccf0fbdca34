// Fuzzes the date normaliser in both table encodings: any text in a 32-byte buffer or in one of
// its own length, nothing written outside it, and only the codes 0, 127 or an odd code from 145
// to 255.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "engine/model.h"
#include "export/date.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using brimsel::NormaliseDate;
  for (brimsel::TableEncoding encoding :
       {brimsel::TableEncoding::kWindows1252, brimsel::TableEncoding::kUtf8}) {
    // Exactly 32 bytes on the heap, so that the sanitizer sees any byte written past them.
    auto buffer = std::make_unique<char[]>(32);
    std::size_t n = size < 32 ? size : 32;
    std::memcpy(buffer.get(), data, n);
    buffer[31] = '\0';
    const std::size_t length = std::strlen(buffer.get());
    // The model stores a date in a buffer of its own length (and at least kMinDateRoom bytes):
    // the normalised form must fit there too, and come out the same.
    auto exact = std::make_unique<char[]>(std::max(length + 1, brimsel::kMinDateRoom));
    std::memcpy(exact.get(), buffer.get(), length + 1);
    int code = NormaliseDate(buffer.get(), encoding);
    if (NormaliseDate(exact.get(), encoding) != code ||
        std::strcmp(exact.get(), buffer.get()) != 0) {
      std::abort();
    }
    bool valid = code == 127 || (code >= 145 && code <= 255 && code % 2 == 1);
    if (!valid) std::abort();
    if (std::memchr(buffer.get(), '\0', 32) == nullptr) std::abort();
    if (code != 127) {
      // A normalised date reads back as itself, with every part given and no qualifier.
      char again[32];
      std::memcpy(again, buffer.get(), 32);
      if (NormaliseDate(again, encoding) != 255 || std::strcmp(again, buffer.get()) != 0) {
        std::abort();
      }
    }
  }
  if (NormaliseDate(nullptr) != 0) std::abort();
  return 0;
}
