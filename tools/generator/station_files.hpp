#pragma once
// The weather-station files: one tab-separated file per day, a record every 10 minutes.

#include <vector>

#include "tools/generator/calendar.hpp"
#include "tools/generator/options.hpp"
#include "tools/generator/output_files.hpp"
#include "tools/generator/weather_model.hpp"

namespace fieldgen {

/// Writes one tab-separated station file per day, a record every 10 minutes.
void writeStationFiles(const Options& options, const std::vector<CivilDate>& dates,
                       const std::vector<WeatherMinute>& weather, OutputTally& tally);

}  // namespace fieldgen
