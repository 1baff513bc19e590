#pragma once
// The sampling periods (cases) of a measurement-result file and the wind they were meant to see.

#include <vector>

#include "tools/generator/experiment.hpp"
#include "tools/generator/field_wind.hpp"
#include "tools/generator/options.hpp"
#include "tools/generator/random_stream.hpp"

namespace fieldgen {

struct SamplingCase {
    int day;          // index into the run's dates
    int beginMinute;  // first minute of the window
    int endMinute;    // the window ends before this minute
};

/// Sampling periods of one file: K per day, each 30 to 120 whole minutes inside its own slot of
/// the day, so that they come in time order, lie apart by 10 minutes or more and keep 10 minutes
/// from midnight (a window never crosses a day's files, and station records stamped before its
/// begin stay on its day).
std::vector<SamplingCase> scheduleCases(int days, int casesPerDay, int windowShare, RandomStream& random);

/// The random stream of one measurement-result file: its schedule first, then its readings.
RandomStream measurementStream(const Options& options, const FieldModel& field, const MaterialModel& material);

/// The cases of one measurement-result file, as writing it schedules them.
std::vector<SamplingCase> fileCases(const Options& options, const FieldModel& field, const MaterialModel& material);

/// The intended wind of a case window, averaged from the field's minutes.
struct CaseWind {
    double windFrom;       // degrees, as the programs compute the direction
    double speed;          // m/s
    double obukhovLength;  // m
};

/// Averages the field's wind over the window of `sampling`.
CaseWind caseWindOf(const std::vector<FieldMinute>& wind, const SamplingCase& sampling);

}  // namespace fieldgen
