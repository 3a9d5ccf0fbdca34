// GEDCOM dates for the complete database.
#include "records/gedcom_date.h"

namespace brimsel {

const char* CalendarName(DateCalendar calendar) {
  switch (calendar) {
    case DateCalendar::kGregorian:
      return "GREGORIAN";
    case DateCalendar::kJulian:
      return "JULIAN";
    case DateCalendar::kFrenchRepublican:
      return "FRENCH_R";
    case DateCalendar::kHebrew:
      return "HEBREW";
  }
  return "";
}

ReadDate ReadGedcomDate(std::string_view) {
  return {};
}

}  // namespace brimsel
