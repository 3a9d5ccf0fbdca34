// Checks the invariants of a converted model, for the tests and the fuzzers.
#pragma once

#include <string>

#include "engine/model.h"

namespace brimsel {

// Returns an empty string when the model of a completed conversion is consistent: every link an
// index in range or -1, every dictionary identifier in range, the added individuals matching
// addedSexes, the counts matching the arrays. Otherwise the first inconsistency found.
std::string CheckModel(const GedcomModel& model);

}  // namespace brimsel
