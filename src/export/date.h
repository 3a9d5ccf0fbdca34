// Date normalisation: rewrites a GEDCOM date in place into one fixed form and returns its
// quality code.
#pragma once

namespace brimsel {

// Rewrites `date` (a NUL-terminated text in a 32-byte buffer) as "day month year" and returns
// the quality code: 0 for a null date, 127 for an unreadable one, otherwise an odd code from
// 145 to 255.
int NormaliseDate(char* date);

}  // namespace brimsel
