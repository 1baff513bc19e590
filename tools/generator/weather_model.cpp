#include "tools/generator/weather_model.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "tools/generator/experiment.hpp"
#include "tools/generator/random_stream.hpp"

namespace fieldgen {
namespace {

/// One shower: start minute of the day, length in minutes, intensity in inch per minute.
struct Shower {
    int start;
    int length;
    double intensity;
};

}  // namespace

double saturationVapourPressure(double tempC) { return 6.112 * std::exp(17.62 * tempC / (243.12 + tempC)); }

std::vector<WeatherMinute> buildWeather(const std::vector<CivilDate>& dates, std::uint64_t seed) {
    RandomStream random(seed, kWeatherStream);
    const int minutes = static_cast<int>(dates.size()) * kMinutesPerDay + 1;
    std::vector<WeatherMinute> weather(static_cast<std::size_t>(minutes));

    // Slowly varying states, carried across midnight so that nothing jumps there.
    double tempMean = 23.0 + random.normal();
    double cloud = std::clamp(0.3 + 0.15 * random.normal(), 0.0, 0.85);
    double cloudFlicker = 0.0;
    double dewMean = 17.0 + random.normal();
    double baseSpeed = std::clamp(3.0 + 0.5 * random.normal(), 2.0, 4.0);
    double gustiness = 0.0;
    double prevailing = 225.0 + 30.0 * random.normal();
    double wander = 0.0;
    double pressure = 985.0 + 3.0 * random.normal();
    double rainCooling = 0.0;
    double soilMoisture = 28.0;
    std::vector<Shower> showers;

    for (int g = 0; g < minutes; ++g) {
        const int dayNumber = std::min(g / kMinutesPerDay, static_cast<int>(dates.size()) - 1);
        const int minuteOfDay = g - dayNumber * kMinutesPerDay;  // 1440 for the extra end point
        if (minuteOfDay == 0) {
            // Showers of the day: about one day in three, mostly afternoon and evening.
            showers.clear();
            const int count = (random.chance(0.3) ? 1 : 0) + (random.chance(0.1) ? 1 : 0);
            for (int s = 0; s < count; ++s) {
                const int start = random.chance(0.7) ? random.uniformInt(780, 1260) : random.uniformInt(0, 1340);
                showers.push_back({start, random.uniformInt(20, 90), random.uniform(0.0008, 0.006)});
            }
        }
        const double hour = (minuteOfDay + 0.5) / 60.0;
        const double season = experimentDayIndex(dates[static_cast<std::size_t>(dayNumber)]) - 15;  // days after 15 Aug

        double rain = 0.0;
        for (const Shower& shower : showers) {
            if (minuteOfDay >= shower.start && minuteOfDay < shower.start + shower.length) rain += shower.intensity;
        }
        rainCooling += ((rain > 0 ? 2.0 : 0.0) - rainCooling) / 20.0;

        // Sun: a bell between sunrise and sunset, weakened by cloud and rain; days shorten.
        const double sunrise = 6.9 + 0.015 * season;
        const double sunset = 20.3 - 0.03 * season;
        const double peak = std::max(500.0, 900.0 - 5.0 * season);
        double clear = 0.0;
        if (hour > sunrise && hour < sunset) {
            clear = peak * std::pow(std::sin(kPi * (hour - sunrise) / (sunset - sunrise)), 1.2);
        }
        cloud = std::clamp(stepMeanReverting(cloud, 0.3, 0.2, 720.0, random), 0.0, 0.85);
        cloudFlicker = stepMeanReverting(cloudFlicker, 0.0, 0.12, 20.0, random);
        double transmittance = std::clamp(1.0 - cloud - cloudFlicker, 0.15, 1.0);
        if (rain > 0) transmittance *= 0.3;

        // Temperature: warmest mid-afternoon, the daily range smaller under cloud.
        tempMean = stepMeanReverting(tempMean, 23.0 - 0.1 * season, 2.0, 2880.0, random);
        const double amplitude = 7.0 * (1.0 - 0.6 * cloud);
        const double diurnal = amplitude * std::cos(2.0 * kPi * (hour - 15.5) / 24.0);
        const double airTemp = std::clamp(tempMean + diurnal - rainCooling, 12.0, 36.0);
        dewMean = stepMeanReverting(dewMean, 17.0 - 0.1 * season, 1.5, 1440.0, random);
        double dewPoint = std::min(dewMean, airTemp - 0.2);
        if (rain > 0 || rainCooling > 0.5) dewPoint = std::max(dewPoint, airTemp - 0.8);

        // Wind: a daily base, stronger by day, with gusty wander; direction drifts slowly.
        baseSpeed = stepMeanReverting(baseSpeed, 3.0, 0.5, 1440.0, random);
        gustiness = stepMeanReverting(gustiness, 0.0, 0.3, 90.0, random);
        const double daylight = std::sqrt(clear / peak);
        const double speed = std::clamp(baseSpeed * (0.55 + 0.45 * daylight) + gustiness, 1.0, 5.0);
        prevailing = stepMeanReverting(prevailing, 225.0, 40.0, 2880.0, random);
        wander = stepMeanReverting(wander, 0.0, 20.0, 180.0, random);

        pressure = stepMeanReverting(pressure, 985.0, 4.0, 2880.0, random);
        soilMoisture = std::max(15.0, soilMoisture + 50.0 * rain - 0.0015);

        WeatherMinute& w = weather[static_cast<std::size_t>(g)];
        w.solar = clear * transmittance;
        w.airTemp = airTemp;
        w.dewPoint = dewPoint;
        w.rain = rain;
        w.windSpeed = speed;
        w.windFrom = prevailing + wander;
        w.pressure = pressure + 0.8 * std::cos(4.0 * kPi * (hour - 10.0) / 24.0);
        w.soilMoisture = std::min(soilMoisture, 45.0);
    }
    return weather;
}

}  // namespace fieldgen
