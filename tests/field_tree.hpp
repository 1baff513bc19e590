#pragma once
// A small field-data tree for whole runs: logger files, measurement-result
// files and station files at the programs' fixed paths under a mount root.

#include <cstdio>
#include <functional>
#include <string>

#include "common/run_configuration.hpp"
#include "test_support.hpp"

namespace field::testing {

/// One logger sample; `second` is the second of the minute.
struct TreeSample {
    float u, v, w, Ts;
};

/// Deterministic, varying samples: the value for a minute and tenth of a second.
inline TreeSample sampleAt(int minute, int tenth) {
    const int k = minute * 600 + tenth;
    return {2.0f + 0.25f * static_cast<float>(k % 7), 0.5f - 0.125f * static_cast<float>(k % 5),
            0.0625f * static_cast<float>(k % 3) - 0.0625f, 20.0f + 0.5f * static_cast<float>(k % 4)};
}

/// Logger file text with the four header lines and one line per `step` tenths of a second
/// for minutes [from, to) of the given day of August 2014.
inline std::string loggerText(int dayOfAugust, int fromMinute, int toMinute, int stepTenths = 10) {
    std::string text = "header 1\nheader 2,a,b\nheader 3\nheader 4\n";
    char line[160];
    for (int m = fromMinute; m < toMinute; ++m) {
        for (int t = 0; t < 600; t += stepTenths) {
            const TreeSample s = sampleAt(m, t);
            std::snprintf(line, sizeof line, "\"2014-08-%02d %02d:%02d:%02d.%d\",%d,%.4f,%.4f,%.4f,%.3f,0\n", dayOfAugust,
                          m / 60, m % 60, t / 10, t % 10, m * 600 + t, static_cast<double>(s.u),
                          static_cast<double>(s.v), static_cast<double>(s.w), static_cast<double>(s.Ts));
            text += line;
        }
    }
    return text;
}

/// A measurement-result file: two header lines and one block per case (begin, end).
inline std::string measurementText(int samplers, const std::vector<std::pair<int, int>>& windows, int day = 15) {
    std::string text = "Day,Begin,End,Date,BeginTime,EndTime,Sampler,Dep,Con\nunits\n";
    for (const auto& [begin, end] : windows) {
        text += std::to_string(day) + "," + std::to_string(begin) + "," + std::to_string(end) + ",8/" +
                std::to_string(day) + "/2014,x,y,S1,1.5\n";
        for (int n = 2; n <= samplers; ++n)
            text += "s,s,s,s,s,s,S" + std::to_string(n) + "," + std::to_string(n) + "," + std::to_string(200 - n) + "\n";
    }
    return text;
}

/// Station text: two header lines, a record every 10 minutes of the day, 20 fields.
inline std::string stationText(int dayOfAugust) {
    std::string text = "station\nunits\n";
    for (int m = 0; m < 1440; m += 10) {
        const int hour12 = (m / 60) % 12 == 0 ? 12 : (m / 60) % 12;
        text += "8/" + std::to_string(dayOfAugust) + "/2014\t" + std::to_string(hour12) + ":" +
                (m % 60 < 10 ? "0" : "") + std::to_string(m % 60) + (m < 720 ? " a" : " p");
        // Two appends, not "\t" + string: MinGW's GCC 12 sees a false -Wrestrict in that at -O3.
        for (int f = 3; f <= 20; ++f) {
            text += '\t';
            text += std::to_string(f == 20 ? m : f == 6 ? 50 : f == 18 ? 0 : f);
        }
        text += "\n";
    }
    return text;
}

/// Writes a configuration's measurement-result file.
inline void writeMeasurements(const std::filesystem::path& root, bool fence, bool seed, const std::string& text) {
    const RunConfiguration config = makeRunConfiguration(fence, seed, Program::Fieldjoin);
    writeFile(underRoot(root, config.MeasurementResultPath), text);
}

/// Writes a logger file into subdirectory `subdirectory` of a field's wind-data directory.
inline void writeLogger(const std::filesystem::path& root, bool fence, const std::string& subdirectory,
                        const std::string& text) {
    const RunConfiguration config = makeRunConfiguration(fence, true, Program::Fieldjoin);
    writeFile(underRoot(root, config.WindDirectory) / subdirectory /
                  ("logger" + std::string(fieldLayout(fence).loggerFileSuffix)),
              text);
}

/// Writes one station file.
inline void writeStation(const std::filesystem::path& root, const std::string& name, const std::string& text) {
    writeFile(underRoot(root, kStationDirectory) / name, text);
}

}  // namespace field::testing
