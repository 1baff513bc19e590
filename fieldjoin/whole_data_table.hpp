#pragma once
// The whole-data table: per case the timing, the wind statistics, the
// weather-station means, every sampler's position and reading and the
// modelled wind speeds. Every field is followed by a comma.

#include <cstdint>
#include <span>
#include <string>

#include "fieldjoin/weather_station.hpp"
#include "input/campaign.hpp"
#include "input/measurement_case.hpp"
#include "input/run_configuration.hpp"
#include "platform/table_file.hpp"
#include "wind/wind_statistics.hpp"

namespace field {

/// Writes the column-name row and the unit row.
void writeWholeDataHeader(TableRows& table, const RunConfiguration& config);

/// Writes one data row (when the table is open).
void writeWholeDataRow(TableRows& table, const MeasurementCase& windowCase, std::int32_t lastWindowMinute,
                       const WindSummary& wind, const WeatherSummary& weather, const RunConfiguration& config);

}  // namespace field
