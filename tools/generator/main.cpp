// generate_field_data: writes a synthetic field season under a drive mount root, laid out at the
// fixed Windows paths that fieldjoin and casetable read ("C:\a\b" lies at "ROOT/c/a/b"):
//   - the wind-data directory of each field, one subdirectory per day holding one logger file of
//     sonic samples (u, v, w, Ts) for the whole day,
//   - the weather-station directory, one tab-separated file per day with a record every 10 minutes,
//   - the four measurement-result files (seed and pollen on the fence and the hill field),
// and in four cases of each field deliberate faults of the logger data (data_problems.hpp).
//
// The numbers are physically plausible, not a simulation: a regional weather model per minute
// (sun, temperature, dew point, showers, a mean wind with drifting direction) drives, per field,
// the sonic turbulence (negative u'w' covariance, a heat flux w'Ts' that is positive by day and
// negative at night) and the sampler readings of each case (a plume from the source point carried
// in the mean wind direction).
//
// Determinism: the output is a function of the options only. Random numbers come from an own
// xoshiro256** generator with an own normal transform (no std distributions, whose output differs
// between standard libraries), every stream is seeded from (seed, stream number) so that no file
// depends on the order in which others were written, and values are printed from integers rounded
// with llround. Build without floating-point contraction (the project's CMake passes
// -ffp-contract=off): a fused multiply-add changes last bits.
//
// One concept per file: random_stream, calendar, text_format, output_files, options; the models
// (experiment: the fields and materials, weather_model, field_wind, sampling_cases); the writers
// (logger_files, station_files, measurement_files) and data_problems. The fields' paths and
// samplers come from the campaign (the built-in 2014 one or --campaign FILE), which the
// programs read too.

#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/generator/data_problems.hpp"
#include "tools/generator/experiment.hpp"
#include "tools/generator/field_wind.hpp"
#include "tools/generator/logger_files.hpp"
#include "tools/generator/measurement_files.hpp"
#include "tools/generator/options.hpp"
#include "tools/generator/output_files.hpp"
#include "tools/generator/station_files.hpp"
#include "tools/generator/text_format.hpp"
#include "tools/generator/weather_model.hpp"

namespace fieldgen {
namespace {

/// Writes the whole tree; returns the tally.
OutputTally generateFieldData(const Options& options, std::vector<std::string>& problemLines) {
    makeDirectories(options.root);
    const std::vector<CivilDate> dates = runDates(options);
    const std::vector<WeatherMinute> weather = buildWeather(dates, options.seed);
    OutputTally tally;
    writeStationFiles(options, dates, weather, tally);
    for (const FieldModel& field : options.fields) {
        const std::vector<FieldMinute> wind = buildFieldWind(weather, field, options.seed);
        for (const MaterialModel& material : options.materials) {
            tally.cases += writeMeasurementFile(options, dates, field, material, wind, tally);
        }
        std::vector<LoggerProblem> problems = planLoggerProblems(options, field, wind);
        for (const LoggerProblem& problem : problems)
            problemLines.push_back(describeProblem(options, field, dates, problem));
        writeLoggerFiles(options, dates, field, wind, LoggerFaults(std::move(problems), options.rateHz), tally);
    }
    return tally;
}

}  // namespace
}  // namespace fieldgen

/// Parses the options, writes the tree and prints a summary; 0 on success, 1 on a write failure,
/// 2 on bad options.
int main(int argc, char** argv) {
    using namespace fieldgen;
    Options options;
    std::string error;
    if (argc == 2 && (std::string_view(argv[1]) == "--help" || std::string_view(argv[1]) == "-h")) {
        std::fwrite(kUsage.data(), 1, kUsage.size(), stdout);
        return 0;
    }
    if (!parseOptions(argc, argv, options, error)) {
        std::fprintf(stderr, "generate_field_data: %s\n%.*s", error.c_str(), static_cast<int>(kUsage.size()),
                     kUsage.data());
        return 2;
    }
    const auto start = std::chrono::steady_clock::now();
    OutputTally tally;
    std::vector<std::string> problemLines;
    try {
        tally = generateFieldData(options, problemLines);
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "generate_field_data: %s\n", failure.what());
        return 1;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double megabytes = static_cast<double>(tally.bytes) / 1e6;
    std::printf("generate_field_data: %d days from %s at %d Hz, seed %llu, under %s\n", options.days,
                sortableDateText(options.firstDay).c_str(), options.rateHz,
                static_cast<unsigned long long>(options.seed), options.root.string().c_str());
    std::printf("  %d files, %.1f MB, %llu sonic lines, %d cases (%d per measurement-result file), %.2f s, %.0f MB/s\n",
                tally.files, megabytes, static_cast<unsigned long long>(tally.sonicLines), tally.cases,
                tally.cases / static_cast<int>(options.fields.size() * options.materials.size()), seconds,
                seconds > 0 ? megabytes / seconds : 0.0);
    if (options.listProblems) {
        std::printf("  data problems%s\n", problemLines.empty() ? ": none" : ":");
        for (const std::string& line : problemLines) std::printf("    %s\n", line.c_str());
    }
    return 0;
}
