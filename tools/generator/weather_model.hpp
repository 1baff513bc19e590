#pragma once
// The regional weather, one value set per minute: sun, temperature, dew point, showers and a
// mean wind with drifting direction, shared by both fields and the station files.

#include <cstdint>
#include <vector>

#include "tools/generator/calendar.hpp"

namespace fieldgen {

struct WeatherMinute {
    double solar = 0;         // global radiation, W/m2
    double airTemp = 0;       // deg C
    double dewPoint = 0;      // deg C
    double rain = 0;          // inch fallen in this minute
    double windSpeed = 0;     // m/s, regional mean at sonic height
    double windFrom = 0;      // degrees, direction the wind comes from
    double pressure = 0;      // hPa
    double soilMoisture = 0;  // % by volume
};

/// Saturation vapour pressure over water, hPa (Magnus form).
double saturationVapourPressure(double tempC);

/// The regional weather of every minute of the run plus one (the end point of the last minute).
std::vector<WeatherMinute> buildWeather(const std::vector<CivilDate>& dates, std::uint64_t seed);

}  // namespace fieldgen
