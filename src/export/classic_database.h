// The parts of the database beside the seven tables: the record of the conversion and the two
// views that read like a family tree.
#pragma once

#include <string>

#include "engine/model.h"
#include "export/classic_rows.h"
#include "platform/typed_rows.h"

namespace brimsel {

// The table "conversion": the source, the options, the version, the time, the counts.
const TableSchema& ConversionTable();
// Its one row for the model converted last, made now (the time is the present, in UTC).
RowBlock ConversionRow(const GedcomModel& model, bool refCounts, NumberingBases bases,
                       const std::string& version);

// The views "individuals" and "unions".
extern const char* const kClassicViewSql[2];

}  // namespace brimsel
