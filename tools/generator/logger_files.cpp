#include "tools/generator/logger_files.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <string>

#include "tools/generator/random_stream.hpp"
#include "tools/generator/text_format.hpp"

namespace fieldgen {

void writeLoggerFiles(const Options& options, const std::vector<CivilDate>& dates, const FieldModel& field,
                      const std::vector<FieldMinute>& wind, const LoggerFaults& faults, OutputTally& tally) {
    RandomStream random(options.seed, kSonicSampleStream + static_cast<std::uint64_t>(field.number));
    const fs::path windDirectory = localPathOf(options.root, field.layout->windDirectory);
    const int rate = options.rateHz;
    const int samplesPerMinute = 60 * rate;
    const double minuteFraction = 1.0 / samplesPerMinute;
    // Fluctuations are AR(1) processes with an integral time scale of 0.8 s, unit variance.
    const double keep = std::exp(-1.0 / (0.8 * rate));
    const double renew = std::sqrt(1.0 - keep * keep);
    double a = random.normal();  // shared by w, the along-wind part and Ts: gives the covariances
    double b = random.normal();
    double c = random.normal();
    double d = random.normal();
    long long record = 0;

    for (std::size_t day = 0; day < dates.size(); ++day) {
        const CivilDate date = dates[day];
        const std::string dayName = sortableDateText(date);
        const fs::path dayDirectory = windDirectory / dayName;
        makeDirectories(dayDirectory);
        BlockWriter out(dayDirectory / (field.loggerFilePrefix + dayName + field.layout->loggerFilePattern.substr(1)));
        out.write("Synthetic sonic anemometer record," + std::string(field.layout->name) + " field,seed " +
                  std::to_string(options.seed) + "," + std::to_string(rate) + " Hz\n");
        out.write("Timestamp,Record,u,v,w,Ts,Flag\n");
        out.write("yyyy-mm-dd hh:mm:ss.s,count,m/s,m/s,m/s,degC,code\n");
        out.write("sample,sample,sample,sample,sample,sample,sample\n");

        // "YYYY-MM-DD with the opening quote, written once per day.
        char datePrefix[48];
        char* p = datePrefix;
        *p++ = '"';
        p = appendInteger(p, date.year);
        *p++ = '-';
        p = appendTwoDigits(p, date.month);
        *p++ = '-';
        p = appendTwoDigits(p, date.day);
        *p++ = ' ';
        const std::size_t datePrefixLength = static_cast<std::size_t>(p - datePrefix);

        for (int minute = 0; minute < kMinutesPerDay; ++minute) {
            const std::size_t g = day * kMinutesPerDay + static_cast<std::size_t>(minute);
            const LoggerProblem* problem = faults.at(static_cast<std::int64_t>(g));
            const auto& from = wind[g].draw;
            const auto& to = wind[g + 1].draw;
            std::array<double, kSonicParameterCount> slope{};
            for (std::size_t k = 0; k < kSonicParameterCount; ++k) slope[k] = to[k] - from[k];
            char clock[6];
            appendTwoDigits(appendTwoDigits(clock, minute / 60) + 1, minute % 60);
            clock[2] = ':';
            clock[5] = ':';

            for (int s = 0; s < samplesPerMinute; ++s) {
                const double f = s * minuteFraction;
                std::array<double, kSonicParameterCount> q{};
                for (std::size_t k = 0; k < kSonicParameterCount; ++k) q[k] = from[k] + f * slope[k];
                a = keep * a + renew * random.normal();
                b = keep * b + renew * random.normal();
                c = keep * c + renew * random.normal();
                d = keep * d + renew * random.normal();
                const double along = q[kAlongFromA] * a + q[kAlongFromB] * b;
                const double cross = q[kCrossSigma] * c;
                const double u = q[kMeanU] + along * q[kAlongX] + cross * q[kCrossX];
                const double v = q[kMeanV] + along * q[kAlongY] + cross * q[kCrossY];
                const double w = q[kMeanW] + q[kWFromAlong] * along + q[kWSigma] * a;
                // The programs drop samples with Ts outside (10, 40): keep every one inside.
                const double ts = std::clamp(q[kMeanTs] + q[kTsFromA] * a + q[kTsFromD] * d, 10.01, 39.99);
                SonicSample sample{u, v, w, ts};
                if (problem != nullptr && !faults.apply(*problem, static_cast<std::int64_t>(g), s, sample)) {
                    ++record;  // a lost line leaves its record number out
                    continue;
                }

                char* line = out.reserve();
                std::memcpy(line, datePrefix, datePrefixLength);
                line += datePrefixLength;
                std::memcpy(line, clock, 6);
                line += 6;
                const int tenths = s * 10 / rate;  // one decimal of the second, as the logger writes
                line = appendTwoDigits(line, tenths / 10);
                *line++ = '.';
                *line++ = static_cast<char>('0' + tenths % 10);
                *line++ = '"';
                *line++ = ',';
                line = appendInteger(line, record++);
                *line++ = ',';
                line = appendFixed(line, sample.u, 3);
                *line++ = ',';
                line = appendFixed(line, sample.v, 3);
                *line++ = ',';
                line = appendFixed(line, sample.w, 3);
                *line++ = ',';
                line = appendFixed(line, sample.ts, 2);
                *line++ = ',';
                *line++ = '0';
                *line++ = '\n';
                out.commit(line);
                ++tally.sonicLines;
            }
        }
        tally.addFile(out.close());
    }
}

}  // namespace fieldgen
