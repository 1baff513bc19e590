#include "tools/generator/station_files.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "tools/generator/experiment.hpp"
#include "tools/generator/text_format.hpp"

namespace fieldgen {

void writeStationFiles(const Options& options, const std::vector<CivilDate>& dates,
                       const std::vector<WeatherMinute>& weather, OutputTally& tally) {
    const fs::path directory = localPathOf(options.root, options.campaign->stationDirectory);
    makeDirectories(directory);
    double rainCarry = 0.0;  // the gauge reports whole hundredths of an inch; the rest waits
    for (std::size_t day = 0; day < dates.size(); ++day) {
        const CivilDate date = dates[day];
        BlockWriter out(directory / ("weather_" + sortableDateText(date) + ".txt"));
        out.write(
            "Date\tTime\tAirTemp\tAirTempMax\tAirTempMin\tRelHum\tDewPoint\tWindSpeed\tWindDir\tGustSpeed\t"
            "GustDir\tPressure\tSoilTemp\tSoilMoisture\tLeafWetness\tVaporPressure\tRainRate\tRain\tUVIndex\t"
            "SolarRad\tSolarEnergy\tETo\n");
        out.write(
            "M/D/YYYY\th:mm a/p\tdegC\tdegC\tdegC\t%\tdegC\tm/s\tdeg\tm/s\tdeg\thPa\tdegC\t%\tindex\tkPa\tin/h\t"
            "in\tindex\tW/m2\tMJ/m2\tmm\n");
        const std::string dateText = slashDateText(date);
        for (int minute = 0; minute < kMinutesPerDay; minute += 10) {
            // A record summarises the minutes up to its time stamp.
            const std::size_t g = day * kMinutesPerDay + static_cast<std::size_t>(minute);
            const std::size_t first = g >= 9 ? g - 9 : 0;
            double temp = 0, tempMax = -100, tempMin = 100, dew = 0, speed = 0, gust = 0, east = 0, north = 0;
            double solar = 0, rain = 0;
            for (std::size_t k = first; k <= g; ++k) {
                const WeatherMinute& w = weather[k];
                temp += w.airTemp;
                tempMax = std::max(tempMax, w.airTemp);
                tempMin = std::min(tempMin, w.airTemp);
                dew += w.dewPoint;
                speed += w.windSpeed;
                gust = std::max(gust, w.windSpeed);
                east += std::sin(w.windFrom * kPi / 180.0);
                north += std::cos(w.windFrom * kPi / 180.0);
                solar += w.solar;
                rain += w.rain;
            }
            const double n = static_cast<double>(g - first + 1);
            temp /= n;
            dew /= n;
            speed = 0.85 * speed / n;  // the station mast is lower than the sonic
            solar /= n;
            rainCarry += rain;
            const double gauge = std::floor(rainCarry * 100.0 + 1e-9) / 100.0;
            rainCarry -= gauge;
            const double humidity =
                std::min(100.0, 100.0 * saturationVapourPressure(dew) / saturationVapourPressure(temp));
            const double direction = std::fmod(std::atan2(east, north) * 180.0 / kPi + 360.0, 360.0);
            const WeatherMinute& now = weather[g];
            const double hour = minute / 60.0;
            const double soilTemp = temp - 1.0 + 2.0 * std::cos(2.0 * kPi * (hour - 18.0) / 24.0) - 0.3 * (temp - 23.0);
            const int leafWetness =
                humidity > 95.0 || gauge > 0 ? std::clamp(8 + static_cast<int>(humidity - 95.0), 8, 15) : 0;

            const std::string fields[] = {
                dateText,
                twelveHourText(minute),
                fixedText(temp, 1),
                fixedText(tempMax, 1),
                fixedText(tempMin, 1),
                fixedText(humidity, 0),
                fixedText(dew, 1),
                fixedText(speed, 1),
                fixedText(direction, 0),
                fixedText(1.6 * 0.85 * gust, 1),
                fixedText(direction, 0),
                fixedText(now.pressure, 1),
                fixedText(soilTemp, 1),
                fixedText(now.soilMoisture, 1),
                std::to_string(leafWetness),
                fixedText(saturationVapourPressure(dew) / 10.0, 2),
                fixedText(gauge * 6.0, 2),
                fixedText(gauge, 2),
                fixedText(solar / 90.0, 1),
                fixedText(solar, 0),
                fixedText(solar * 600.0 / 1e6, 3),
                fixedText(solar * 600.0 / 2.45e6 * 0.6, 3),
            };
            std::string line;
            for (const std::string& field : fields) {
                if (!line.empty()) line += '\t';
                line += field;
            }
            line += '\n';
            out.write(line);
        }
        tally.addFile(out.close());
    }
}

}  // namespace fieldgen
