#pragma once
// The test-case table: one row per 30-minute sub-window of each case.
// Header rows end every field with a comma; data rows have none after the last.

#include <cstdint>
#include <string>

#include "input/measurement_case.hpp"
#include "platform/table_file.hpp"
#include "wind/wind_statistics.hpp"

namespace field {

/// Writes the column-name row and the unit row.
void writeTestCaseHeader(TableRows& table);

/// Writes one data row when the table is open; `windowCase.BeginMinute` is the sub-window's begin.
void writeTestCaseRow(TableRows& table, std::int32_t testCaseId, const MeasurementCase& windowCase,
                      std::int32_t lastWindowMinute, const WindSummary& wind);

}  // namespace field
