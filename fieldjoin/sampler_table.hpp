#pragma once
// The sampler table beside the whole-data table: one row per case and sampler,
// in long form for dispersal analysis (distance, bearing, downwind and crosswind
// distance, the reading and the case's wind), one header row, no units row.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "input/campaign.hpp"
#include "input/measurement_case.hpp"
#include "platform/table_file.hpp"
#include "wind/wind_statistics.hpp"

namespace field {

/// The sampler table's file name for a table's file name: "X.txt" gives "X Samplers.txt".
std::string samplerTableName(const std::string& tableName);

/// Writes the header row.
void writeSamplerHeader(TableRows& table);

/// The bearing of a position as the field's rings take it: the WindDirection (degrees) at
/// which a sampler there lies on the line the source strength reads (the inner ring's at_0
/// sampler at 0, its at_90 sampler at 90); none at the source point.
std::optional<double> samplerBearing(const FieldLayout& field, double x, double y);

/// "2014-08-15T10:00" of a date text (M/D/YYYY, or YYYY/M/D) and a minute of its day (any
/// minute: the date moves on or back); empty when the text is no such date.
std::string isoDateTime(std::string_view date, std::int64_t minute);

/// Appends the rows of a case's samplers to `rows`, each line ending in a comma: the
/// window's QcFlag (or nothing) is added to each before it is written.
void appendSamplerRows(std::string& rows, const MeasurementCase& windowCase, std::int32_t lastWindowMinute,
                       const WindSummary& wind, const FieldLayout& field);

}  // namespace field
