#pragma once
// A small field-data tree for whole runs: logger files (logger_text.hpp),
// measurement-result files and station files at the programs' fixed paths under
// a mount root.

#include <cstdio>
#include <functional>
#include <string>

#include "common/run_configuration.hpp"
#include "logger_text.hpp"
#include "test_support.hpp"

namespace field::testing {

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
