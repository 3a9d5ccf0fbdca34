// The count fields of the panel: which count each one shows, under which label.
#pragma once

#include <array>

#include "engine/model.h"
#include "ui/dialog_services.h"

namespace brimsel {

struct CountField {
  int id;                           // the field's control identifier
  const char* label;                // the panel's label, UTF-8
  int ConversionCounts::*count;     // the count it shows; null: always 0 (union end)
};

// The twenty count fields, in the order the console prints them: the two totals first.
extern const std::array<CountField, 20> kCountFields;

// Shows the totals of individuals and unions, empty when 0 (known once the records are filled).
void ShowTotals(DialogServices& dialog, const ConversionCounts& counts);
// Shows the other eighteen counts, "0" included.
void ShowCounts(DialogServices& dialog, const ConversionCounts& counts);

}  // namespace brimsel
