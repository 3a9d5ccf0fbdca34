// The count fields' table and how a conversion's counts fill them.
#include "ui/count_fields.h"

#include <cstdio>

namespace brimsel {

const std::array<CountField, 20> kCountFields = {{
    {ctl::kIndiTotal, "Individu total", &ConversionCounts::individuals, true},
    {ctl::kFamTotal, "Union total", &ConversionCounts::unions, true},
    {ctl::kBirthDate, "Individu naissance date", &ConversionCounts::birthDates},
    {ctl::kBirthPlace, "Individu naissance lieu", &ConversionCounts::birthPlaces},
    {ctl::kDeathDate, "Individu décès date", &ConversionCounts::deathDates},
    {ctl::kDeathPlace, "Individu décès lieu", &ConversionCounts::deathPlaces},
    {ctl::kBaptismDate, "Individu baptême date", &ConversionCounts::baptismDates},
    {ctl::kBaptismPlace, "Individu baptême lieu", &ConversionCounts::baptismPlaces},
    {ctl::kBurialDate, "Individu sépulture date", &ConversionCounts::burialDates},
    {ctl::kBurialPlace, "Individu sépulture lieu", &ConversionCounts::burialPlaces},
    {ctl::kUnionStartDate, "Union début date", &ConversionCounts::marriageDates},
    {ctl::kUnionStartPlace, "Union début lieu", &ConversionCounts::marriagePlaces},
    {ctl::kUnionEndDate, "Union fin date", nullptr},
    {ctl::kUnionEndPlace, "Union fin lieu", nullptr},
    {ctl::kErrors, "erreurs", &ConversionCounts::errors},
    {ctl::kParent, "Individu parent", &ConversionCounts::parents},
    {ctl::kNoteFam, "Note FAM", &ConversionCounts::unionNotes},
    {ctl::kNoteIndi, "Note INDI", &ConversionCounts::individualNotes},
    {ctl::kQuay, "QUAY", &ConversionCounts::quay},
    {ctl::kSour, "SOUR", &ConversionCounts::sources},
}};

std::string CountFieldText(const CountField& field, const ConversionCounts& counts) {
  const int value = field.count ? counts.*field.count : 0;
  if (value == 0 && field.total) return {};
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  return text;
}

void ShowTotals(DialogServices& dialog, const ConversionCounts& counts) {
  for (const CountField& field : kCountFields) {
    if (field.total) dialog.SetFieldText(field.id, CountFieldText(field, counts).c_str());
  }
}

void ShowCounts(DialogServices& dialog, const ConversionCounts& counts) {
  for (const CountField& field : kCountFields) {
    if (!field.total) dialog.SetFieldText(field.id, CountFieldText(field, counts).c_str());
  }
}

}  // namespace brimsel
