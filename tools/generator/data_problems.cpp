#include "tools/generator/data_problems.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tools/generator/calendar.hpp"
#include "tools/generator/random_stream.hpp"
#include "tools/generator/text_format.hpp"

namespace fieldgen {
namespace {

constexpr double kStepAlongWind = 2.0;  // m/s
// The step adds -1.5 times each natural covariance (u'w', w'Ts') to the whole window's: that
// covariance turns to -0.5 times the mean of the 5-minute ones, which the step leaves nearly as
// they were, 300 % apart; any factor from 0.7 to 2 would still keep them more than 200 % apart.
constexpr double kCovarianceReversal = 1.5;
constexpr int kGapMinutes = 20;
constexpr double kDroppedShare = 0.4;
constexpr int kSpikeGroups = 10;
constexpr double kSpikeTs = 8.0;          // K
constexpr double kHighestSpikeTs = 39.5;  // the programs leave out samples of 40 degrees and more

std::int64_t runMinute(const SamplingCase& c, int minuteOfDay) {
    return std::int64_t{c.day} * kMinutesPerDay + minuteOfDay;
}

LoggerProblem problemOver(ProblemKind kind, int number, const SamplingCase& c, int firstMinute, int endMinute) {
    LoggerProblem problem;
    problem.kind = kind;
    problem.caseNumber = number;
    problem.window = c;
    problem.firstMinute = runMinute(c, firstMinute);
    problem.endMinute = runMinute(c, endMinute);
    return problem;
}

LoggerProblem stepProblem(const SamplingCase& c, int number, const FieldModel& field,
                          const std::vector<FieldMinute>& wind) {
    const int length = c.endMinute - c.beginMinute;
    // On a 5-minute mark that is also the middle of a 30-minute sub-window, nearest the middle of
    // the case: the case and that sub-window are both non-stationary.
    int offset = 15;
    for (int candidate = 45; candidate < length; candidate += 30)
        if (std::abs(2 * candidate - length) < std::abs(2 * offset - length)) offset = candidate;

    // The model's means and covariances over the case (in the mean-wind frame, tilt aside).
    double u = 0, v = 0, speed = 0, alongW = 0, wTs = 0;
    for (int minute = c.beginMinute; minute < c.endMinute; ++minute) {
        const FieldMinute& m = wind[static_cast<std::size_t>(runMinute(c, minute))];
        u += m.draw[kMeanU];
        v += m.draw[kMeanV];
        speed += m.speed;
        alongW += m.draw[kAlongFromA] * m.draw[kWSigma];
        wTs += m.draw[kTsFromA] * m.draw[kWSigma];
    }
    const double n = length;
    u /= n;
    v /= n;
    speed /= n;
    alongW /= n;
    wTs /= n;

    // A step of d between the shares p and q of a window adds d1 d2 p q to a covariance.
    const double p = static_cast<double>(offset) / length;
    const double q = 1.0 - p;
    const double dwFrame = std::clamp(-kCovarianceReversal * alongW / (kStepAlongWind * p * q), 0.1, 1.5);
    const double dts = std::clamp(-kCovarianceReversal * wTs / (dwFrame * p * q), -6.0, 6.0);
    // The double rotation tilts w towards the window's mean wind, which the step lifts too; the
    // sonic's own tilt puts part of the along-wind step into w.
    const double tilt = std::tan(field.tiltDegrees * kPi / 180.0);
    const double dw = dwFrame * (1.0 + q * kStepAlongWind / speed) + kStepAlongWind * tilt;

    LoggerProblem problem = problemOver(ProblemKind::Step, number, c, c.beginMinute + offset, c.endMinute);
    const double horizontal = std::max(1e-6, std::hypot(u, v));
    problem.du = kStepAlongWind * u / horizontal;
    problem.dv = kStepAlongWind * v / horizontal;
    problem.dw = dw;
    problem.dts = dts;
    return problem;
}

LoggerProblem gapProblem(const SamplingCase& c, int number) {
    // Inside one 30-minute sub-window, away from its ends: every sub-window keeps its last minute.
    const int slices = (c.endMinute - c.beginMinute) / 30;
    const int first = c.beginMinute + 30 * ((slices - 1) / 2) + 5;
    return problemOver(ProblemKind::Gap, number, c, first, first + kGapMinutes);
}

LoggerProblem coverageProblem(const SamplingCase& c, int number, RandomStream& random) {
    LoggerProblem problem = problemOver(ProblemKind::Coverage, number, c, c.beginMinute, c.endMinute);
    // Whole seconds: the share is the same counted in lines or in seconds with a line.
    problem.droppedSeconds.resize(static_cast<std::size_t>(c.endMinute - c.beginMinute) * 60);
    for (std::size_t s = 0; s < problem.droppedSeconds.size(); ++s)
        problem.droppedSeconds[s] = random.chance(kDroppedShare);
    return problem;
}

LoggerProblem spikeProblem(const SamplingCase& c, int number, int rateHz, RandomStream& random) {
    LoggerProblem problem = problemOver(ProblemKind::Spikes, number, c, c.beginMinute, c.endMinute);
    const int length = c.endMinute - c.beginMinute;
    for (int k = 0; k < kSpikeGroups; ++k) {
        // Groups minutes apart, so each stands alone in its 5-minute neighbourhood.
        const int minute = length * (2 * k + 1) / (2 * kSpikeGroups);
        const int second = random.uniformInt(5, 54);
        const int first = random.uniformInt(0, rateHz - 1);
        const int run = k == 3 ? 2 : k == 7 ? 3 : 1;
        for (int r = 0; r < run; ++r) {
            const std::int64_t sample = (std::int64_t{minute} * 60 + second) * rateHz + first + r;
            problem.spikes.push_back({sample, random.uniform(8.0, 10.0), random.uniform(8.0, 10.0)});
        }
    }
    return problem;
}

std::string clockOf(std::int64_t runMinuteValue) {
    const int minute = static_cast<int>(runMinuteValue % kMinutesPerDay);
    std::string text = clockText(minute);
    text.insert(2, 1, ':');
    return text;
}

std::string signedText(double value, int decimals) {
    std::string text = fixedText(value, decimals);
    // Insertion, not "+" + text: GCC 12 reports a false -Wrestrict for that at -O3.
    if (value >= 0) text.insert(0, 1, '+');
    return text;
}

}  // namespace

std::vector<LoggerProblem> planLoggerProblems(const Options& options, const FieldModel& field,
                                              const std::vector<FieldMinute>& wind) {
    std::vector<LoggerProblem> problems;
    if (!options.dataProblems) return problems;
    RandomStream random(options.seed, kDataProblemStream + static_cast<std::uint64_t>(field.number));
    for (const MaterialModel& material : options.materials) {
        const std::vector<SamplingCase> cases = fileCases(options, field, material);
        for (std::size_t i = 1; i < cases.size() && i <= 4; ++i) {
            const SamplingCase& c = cases[i];
            // One fault per stretch of data: a case over an earlier fault's case stays as it is.
            const bool overlaps = std::any_of(problems.begin(), problems.end(), [&](const LoggerProblem& p) {
                return p.window.day == c.day && p.window.beginMinute < c.endMinute &&
                       c.beginMinute < p.window.endMinute;
            });
            if (overlaps) continue;
            const int number = static_cast<int>(i) + 1;
            switch (i) {
                case 1: problems.push_back(stepProblem(c, number, field, wind)); break;
                case 2: problems.push_back(gapProblem(c, number)); break;
                case 3: problems.push_back(coverageProblem(c, number, random)); break;
                default: problems.push_back(spikeProblem(c, number, options.rateHz, random)); break;
            }
            problems.back().material = &material;
        }
    }
    std::sort(problems.begin(), problems.end(),
              [](const LoggerProblem& a, const LoggerProblem& b) { return a.firstMinute < b.firstMinute; });
    return problems;
}

std::string describeProblem(const Options& options, const FieldModel& field, const std::vector<CivilDate>& dates,
                            const LoggerProblem& problem) {
    const SamplingCase& c = problem.window;
    const CivilDate date = dates[static_cast<std::size_t>(c.day)];
    std::string text = field.layout->name + " " + problem.material->name + " case " +
                       std::to_string(problem.caseNumber) + " (" + slashDateText(date) + ", day index " +
                       std::to_string(options.dayIndex(date)) + ", minutes " + std::to_string(c.beginMinute) + "-" +
                       std::to_string(c.endMinute) + "): ";
    switch (problem.kind) {
        case ProblemKind::Step:
            text += "step at " + clockOf(problem.firstMinute) + " (u " + signedText(problem.du, 2) + ", v " +
                    signedText(problem.dv, 2) + ", w " + signedText(problem.dw, 2) + " m/s, Ts " +
                    signedText(problem.dts, 2) + " K)";
            break;
        case ProblemKind::Gap:
            text += "no logger lines " + clockOf(problem.firstMinute) + "-" + clockOf(problem.endMinute);
            break;
        case ProblemKind::Coverage: {
            const auto dropped = std::count(problem.droppedSeconds.begin(), problem.droppedSeconds.end(), true);
            text += fixedText(100.0 * static_cast<double>(dropped) / static_cast<double>(problem.droppedSeconds.size()),
                              1) +
                    " % of the seconds without logger lines";
            break;
        }
        case ProblemKind::Spikes:
            text += std::to_string(problem.spikes.size()) + " spike samples (single ones, a run of 2, a run of 3)";
            break;
    }
    return text;
}

const LoggerProblem* LoggerFaults::at(std::int64_t minute) const {
    for (const LoggerProblem& p : problems_)
        if (minute >= p.firstMinute && minute < p.endMinute) return &p;
    return nullptr;
}

bool LoggerFaults::apply(const LoggerProblem& problem, std::int64_t minute, int index, SonicSample& sample) const {
    switch (problem.kind) {
        case ProblemKind::Step:
            sample.u += problem.du;
            sample.v += problem.dv;
            sample.w += problem.dw;
            sample.ts = std::clamp(sample.ts + problem.dts, 10.01, 39.99);
            return true;
        case ProblemKind::Gap: return false;
        case ProblemKind::Coverage: {
            const std::int64_t second = (minute - problem.firstMinute) * 60 + index / rate_;
            return !problem.droppedSeconds[static_cast<std::size_t>(second)];
        }
        case ProblemKind::Spikes: {
            const std::int64_t at = (minute - problem.firstMinute) * 60 * rate_ + index;
            const auto spike =
                std::lower_bound(problem.spikes.begin(), problem.spikes.end(), at,
                                 [](const SpikeSample& s, std::int64_t value) { return s.sample < value; });
            if (spike != problem.spikes.end() && spike->sample == at) {
                sample.u += spike->du;
                sample.w += spike->dw;
                sample.ts += sample.ts + kSpikeTs < kHighestSpikeTs ? kSpikeTs : -kSpikeTs;
            }
            return true;
        }
    }
    return true;
}

}  // namespace fieldgen
