#pragma once
// The wind of one field per minute: the intended statistics (speed, direction, friction velocity,
// heat flux) and the parameters the sonic samples are drawn from.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tools/generator/experiment.hpp"
#include "tools/generator/weather_model.hpp"

namespace fieldgen {

// Parameters linearly interpolated between minutes for every sample.
enum SonicParameter : std::size_t {
    kMeanU,
    kMeanV,
    kMeanW,
    kAlongX,
    kAlongY,
    kCrossX,
    kCrossY,  // unit vectors along and across the mean wind, in (u, v)
    kAlongFromA,
    kAlongFromB,  // along-wind fluctuation = A-part x a + B-part x b
    kCrossSigma,
    kWSigma,      // cross-wind and vertical fluctuation scales
    kWFromAlong,  // a tilted sonic sees part of the along-wind flow as w
    kTsFromA,
    kTsFromD,  // Ts fluctuation = A-part x a + D-part x d
    kMeanTs,
    kSonicParameterCount
};

struct FieldMinute {
    double windFrom = 0;   // degrees, direction the wind comes from
    double speed = 0;      // m/s
    double uStar = 0;      // m/s, intended friction velocity
    double heatFlux = 0;   // K m/s, intended w'Ts' covariance
    double sonicTemp = 0;  // deg C
    std::array<double, kSonicParameterCount> draw{};
};

/// The wind of one field for every minute, from the regional weather with a field offset.
std::vector<FieldMinute> buildFieldWind(const std::vector<WeatherMinute>& weather, const FieldModel& field,
                                        std::uint64_t seed);

}  // namespace fieldgen
