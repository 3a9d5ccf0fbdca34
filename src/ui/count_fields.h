// The count fields of the panel: which count each one shows, under which label.
#pragma once

#include <array>
#include <string>

#include "engine/model.h"
#include "ui/dialog_services.h"

namespace brimsel {

struct CountField {
  int id;                           // the field's control identifier
  const char* label;                // the panel's label, UTF-8
  int ConversionCounts::*count;     // the count it shows; null: always 0 (union end)
  bool total = false;  // a total: known once the records are filled, empty while it is 0
};

// The twenty count fields, in the order the console prints them: the two totals first.
extern const std::array<CountField, 20> kCountFields;

// What `field` shows for `counts`: the number, or nothing for a total of 0.
std::string CountFieldText(const CountField& field, const ConversionCounts& counts);

// Shows the totals of individuals and unions, empty when 0 (known once the records are filled).
void ShowTotals(DialogServices& dialog, const ConversionCounts& counts);
// Shows the other eighteen counts, "0" included.
void ShowCounts(DialogServices& dialog, const ConversionCounts& counts);

}  // namespace brimsel
