#pragma once
// Deliberate faults in a field's logger data, so that the quality checks of the programs' windows
// have something to find: a non-stationary window, a gap, a window of poor coverage and spikes.
// Each lies in one sampling case of one of the field's measurement-result files; the faults draw
// from their own random stream, so every sample outside them is the same as without them.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/generator/field_wind.hpp"
#include "tools/generator/options.hpp"
#include "tools/generator/sampling_cases.hpp"

namespace fieldgen {

enum class ProblemKind {
    Step,      // the mean wind, w and Ts change at once in the middle of the case
    Gap,       // 20 minutes of logger lines missing
    Coverage,  // 40 % of the window's seconds without a logger line
    Spikes,    // single samples, and runs of 2 and 3, far off the others
};

/// One sample of a spike: its place from the fault's first minute, and its jumps.
struct SpikeSample {
    std::int64_t sample;  // samples since the fault's first minute began
    double du, dw;        // m/s
};

struct LoggerProblem {
    ProblemKind kind = ProblemKind::Step;
    const MaterialModel* material = nullptr;  // of the measurement-result file holding the case
    int caseNumber = 0;                       // in that file, from 1
    SamplingCase window{};                    // that case
    std::int64_t firstMinute = 0;             // minutes since the run's first midnight: [firstMinute, endMinute)
    std::int64_t endMinute = 0;
    // Step: the added means (u, v, w in m/s; Ts in K), from firstMinute to endMinute.
    double du = 0, dv = 0, dw = 0, dts = 0;
    std::vector<bool> droppedSeconds;  // Coverage: per second since firstMinute
    std::vector<SpikeSample> spikes;   // Spikes: in time order
};

/// The faults of one field's logger data in time order (none when options.dataProblems is off): in
/// cases 2 to 5 of the seed file, then of the pollen file, a step, a gap, poor coverage and spikes,
/// as far as those cases exist and do not overlap a case with a fault.
std::vector<LoggerProblem> planLoggerProblems(const Options& options, const FieldModel& field,
                                              const std::vector<FieldMinute>& wind);

/// One line per fault, e.g. "fence seed case 3 (8/15/2014, day index 15, minutes 1281-1394): no logger lines
/// 21:56-22:16".
std::string describeProblem(const Options& options, const FieldModel& field, const std::vector<CivilDate>& dates,
                            const LoggerProblem& problem);

/// A sample as the logger file will print it.
struct SonicSample {
    double u, v, w, ts;
};

/// Applies a field's faults to its samples while the logger file is written, minute by minute.
class LoggerFaults {
public:
    LoggerFaults(std::vector<LoggerProblem> problems, int rateHz) : problems_(std::move(problems)), rate_(rateHz) {}

    /// The fault over run minute `minute`, or nullptr (faults do not overlap).
    const LoggerProblem* at(std::int64_t minute) const;

    /// Changes `sample` (sample `index` of run minute `minute`) as `problem` has it; false when
    /// the logger line is to be left out.
    bool apply(const LoggerProblem& problem, std::int64_t minute, int index, SonicSample& sample) const;

private:
    std::vector<LoggerProblem> problems_;
    int rate_;
};

}  // namespace fieldgen
