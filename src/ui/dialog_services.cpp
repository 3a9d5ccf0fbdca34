// Shared helpers of the dialog-service implementations.
#include "ui/dialog_services.h"

#include <cstdint>

namespace brimsel {

bool ParseFieldNumber(const char* text, unsigned* value) {
  if (text == nullptr) return false;
  while (*text == ' ') ++text;
  if (*text == '\0') return false;
  std::uint64_t n = 0;
  for (; *text != '\0'; ++text) {
    if (*text < '0' || *text > '9') return false;
    n = n * 10 + static_cast<unsigned>(*text - '0');
    if (n > 2147483647u) return false;
  }
  *value = static_cast<unsigned>(n);
  return true;
}

}  // namespace brimsel
