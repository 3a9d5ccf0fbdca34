// Fuzzes the GEDCOM date reader: any text reads without a fault, an unreadable date says nothing,
// the ISO texts are well formed and a range never ends before it starts.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <tuple>

#include "records/gedcom_date.h"

namespace {

// The year, month and day of "YYYY", "YYYY-MM" or "YYYY-MM-DD", the missing parts as `month` and
// `day`; aborts on any other text.
std::tuple<int, int, int> IsoParts(const std::string& iso, int month, int day) {
  auto digits = [&iso](std::size_t at, std::size_t n) {
    int value = 0;
    for (std::size_t i = at; i < at + n; ++i) {
      if (iso[i] < '0' || iso[i] > '9') std::abort();
      value = value * 10 + (iso[i] - '0');
    }
    return value;
  };
  if (iso.size() != 4 && iso.size() != 7 && iso.size() != 10) std::abort();
  const int year = digits(0, 4);
  if (iso.size() >= 7) {
    if (iso[4] != '-') std::abort();
    month = digits(5, 2);
    if (month < 1 || month > 12) std::abort();
  }
  if (iso.size() == 10) {
    if (iso[7] != '-') std::abort();
    day = digits(8, 2);
    if (day < 1 || day > 31) std::abort();
  }
  if (year < 1) std::abort();
  return {year, month, day};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const brimsel::ReadDate date = brimsel::ReadGedcomDate(text);
  if (!date.readable) {
    if (!date.qualifier.empty() || date.calendar || !date.from.empty() || !date.to.empty() ||
        date.sortDay || !date.phrase.empty()) {
      std::abort();
    }
    return 0;
  }
  if (!date.calendar && (date.sortDay || !date.from.empty() || !date.to.empty())) std::abort();
  if (!date.from.empty() && !date.to.empty()) {
    // The earliest day the first allows is not after the latest day the second allows.
    if (IsoParts(date.from, 1, 1) > IsoParts(date.to, 12, 31)) std::abort();
  } else {
    if (!date.from.empty()) IsoParts(date.from, 1, 1);
    if (!date.to.empty()) IsoParts(date.to, 12, 31);
  }
  return 0;
}
