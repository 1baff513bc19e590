#pragma once
// A small field-data tree for whole runs: logger files (logger_text.hpp),
// measurement-result files and station files at the programs' fixed paths under
// a mount root; and the statistics columns its windows must give.

#include <functional>
#include <string>
#include <vector>

#include "campaign_2014.hpp"
#include "input/program_variant.hpp"
#include "input/run_configuration.hpp"
#include "logger_text.hpp"
#include "test_support.hpp"
#include "text/number_format.hpp"
#include "wind/wind_statistics.hpp"

namespace field::testing {

/// A measurement-result file: two header lines and one block per case (begin, end).
inline std::string measurementText(int samplers, const std::vector<std::pair<int, int>>& windows, int day = 15) {
    std::string text = "Day,Begin,End,Date,BeginTime,EndTime,Sampler,Dep,Con\nunits\n";
    for (const auto& [begin, end] : windows) {
        text += std::to_string(day) + "," + std::to_string(begin) + "," + std::to_string(end) + ",8/" +
                std::to_string(day) + "/2014,x,y,S1,1.5\n";
        for (int n = 2; n <= samplers; ++n)
            text +=
                "s,s,s,s,s,s,S" + std::to_string(n) + "," + std::to_string(n) + "," + std::to_string(200 - n) + "\n";
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
    const RunConfiguration config = configFor(fence, seed, Program::Fieldjoin);
    writeFile(underRoot(root, config.MeasurementResultPath), text);
}

/// Writes a logger file into subdirectory `subdirectory` of a field's wind-data directory.
inline void writeLogger(const std::filesystem::path& root, bool fence, const std::string& subdirectory,
                        const std::string& text) {
    const RunConfiguration config = configFor(fence, true, Program::Fieldjoin);
    writeFile(underRoot(root, config.WindDirectory) / subdirectory / ("logger" + loggerSuffix(fence)), text);
}

/// Writes one station file.
inline void writeStation(const std::filesystem::path& root, const std::string& name, const std::string& text) {
    writeFile(underRoot(root, stationDirectory2014()) / name, text);
}

/// The readings of a case of measurementText, placed as a program of `variant` places them.
inline MeasurementCase measurementTextReadings(const ProgramVariant& variant) {
    MeasurementCase c;
    if (variant.appendReadings) {
        c.Deposition = {1.5f, 2, 3, 4, 5, 6, 7, 8, 9};
    } else {
        c.Deposition = {1.5f, 2, 3, 4, 5, 6, 7, 8};
    }
    c.SourceDeposition = 9;
    c.SourceProfile = {190, 189, 188, 187, 186};
    return c;
}

/// Appends the samples of sampleAt(m, k) for minutes [from, to), k from 0 to `steps` in steps of
/// `step` (600 and 10 for loggerText's 10 Hz lines); the first minute starts at `firstStep`.
inline void appendTreeSamples(SampleBuffer& buffer, int from, int to, int steps = 600, int step = 10,
                              int firstStep = 0) {
    for (int m = from; m < to; ++m)
        for (int k = m == from ? firstStep : 0; k < steps; k += step) {
            const Sample s = sampleAt(m, k);
            buffer.append(s.u, s.v, s.w, s.Ts);
        }
}

/// The statistics columns a window of these samples prints: SourceStrength to TsStd in
/// fieldjoin, SourceStrength to WindDirection in casetable.
inline std::vector<std::string> printedStatistics(SampleBuffer& buffer, const MeasurementCase& c,
                                                  const ProgramVariant& variant) {
    WindSummary w;
    summariseWindow(buffer, w, c, variant, field::site2014());
    std::vector<float> values{w.SourceStrength, w.UStar, w.L, w.WindSpeed, w.WindDirection};
    if (variant.standardDeviations)
        values.insert(values.end(), {w.AvgU, w.UStd, w.AvgV, w.VStd, w.AvgW, w.WStd, w.AvgTs, w.TsStd});
    std::vector<std::string> out;
    for (const float v : values) {
        std::string text;
        appendFloat(text, v);
        out.push_back(text);
    }
    return out;
}

}  // namespace field::testing
