#include "tools/generator/field_wind.hpp"

#include <algorithm>
#include <cmath>

#include "tools/generator/random_stream.hpp"

namespace fieldgen {

std::vector<FieldMinute> buildFieldWind(const std::vector<WeatherMinute>& weather, const FieldModel& field,
                                        std::uint64_t seed) {
    RandomStream random(seed, kFieldWindStream + static_cast<std::uint64_t>(field.number));
    std::vector<FieldMinute> minutes(weather.size());
    double directionJitter = 0.0;
    double speedJitter = 0.0;
    const double tilt = std::tan(field.tiltDegrees * kPi / 180.0);
    for (std::size_t g = 0; g < weather.size(); ++g) {
        const WeatherMinute& w = weather[g];
        directionJitter = stepMeanReverting(directionJitter, 0.0, 6.0, 40.0, random);
        speedJitter = stepMeanReverting(speedJitter, 0.0, 0.08, 60.0, random);
        FieldMinute& m = minutes[g];
        m.windFrom = std::fmod(std::fmod(w.windFrom + field.directionOffset + directionJitter, 360.0) + 360.0, 360.0);
        m.speed = std::clamp(w.windSpeed * (field.speedFactor + speedJitter), 1.0, 5.0);

        // Daytime heating makes w'Ts' positive (unstable); at night the ground cools the air
        // above it, more so in a stronger wind (stable).
        const double sun = w.solar / 900.0;
        const double nightCooling = std::clamp(0.008 * m.speed, 0.008, 0.035) * std::max(0.0, 1.0 - 8.0 * sun);
        m.heatFlux = 0.23 * sun - nightCooling;
        // Neutral log law at 3 m over a 0.13 m roughness, livelier by day.
        m.uStar = std::clamp(0.127 * m.speed * (0.9 + 0.25 * sun), 0.07, 0.7);
        m.sonicTemp = w.airTemp + 0.8;  // sonic temperature reads a little above the air temperature

        const double sigmaW = std::clamp(1.25 * m.uStar * (1.0 + 0.6 * sun), 0.1, 0.4);
        const double sigmaAlong = 2.2 * m.uStar + 0.25;
        const double sigmaCross = 1.8 * m.uStar + 0.3;
        // cov(along, w) = -rho sigmaAlong sigmaW = -u*^2 unless rho must be capped.
        const double rho = std::min(0.55, m.uStar * m.uStar / (sigmaAlong * sigmaW));
        const double sigmaTs = std::max(0.04, std::abs(m.heatFlux) / (0.5 * sigmaW));
        const double rhoTs = m.heatFlux / (sigmaW * sigmaTs);

        const double from = m.windFrom * kPi / 180.0;
        // The wind from direction theta blows towards (-sin theta, -cos theta) in (u, v), so the
        // programs' direction atan2(u, v) + 180 degrees gives theta back.
        const double alongX = -std::sin(from);
        const double alongY = -std::cos(from);
        m.draw[kMeanU] = m.speed * alongX;
        m.draw[kMeanV] = m.speed * alongY;
        m.draw[kMeanW] = m.speed * tilt;
        m.draw[kAlongX] = alongX;
        m.draw[kAlongY] = alongY;
        m.draw[kCrossX] = -alongY;
        m.draw[kCrossY] = alongX;
        m.draw[kAlongFromA] = -rho * sigmaAlong;
        m.draw[kAlongFromB] = sigmaAlong * std::sqrt(1.0 - rho * rho);
        m.draw[kCrossSigma] = sigmaCross;
        m.draw[kWSigma] = sigmaW;
        m.draw[kWFromAlong] = tilt;
        m.draw[kTsFromA] = sigmaTs * rhoTs;
        m.draw[kTsFromD] = sigmaTs * std::sqrt(1.0 - rhoTs * rhoTs);
        m.draw[kMeanTs] = m.sonicTemp;
    }
    return minutes;
}

}  // namespace fieldgen
