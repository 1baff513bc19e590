#include "quality/window_quality.hpp"

#include "quality/sub_record_moments.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <numbers>
#include <string>
#include <vector>

namespace field {

int deviationClass(double percent) {
    // Upper bounds of classes 1 to 8; beyond the last (or not a number) is class 9.
    static constexpr double kBounds[] = {15, 30, 50, 75, 100, 250, 500, 1000};
    for (int i = 0; i < 8; ++i)
        if (percent <= kBounds[i]) return i + 1;
    return 9;
}

std::string qcReasonsText(unsigned reasons) {
    static constexpr const char* kNames[] = {"no-samples", "foreign",    "invalid",  "steady-not-run",  "coverage",
                                             "gap",        "spikes-u",   "spikes-v", "spikes-w",        "spikes-ts",
                                             "steady-uw",  "steady-wts", "itc",      "source-uncertain"};
    std::string text;
    for (unsigned bit = 0; bit < std::size(kNames); ++bit) {
        if (!(reasons & (1u << bit))) continue;
        if (!text.empty()) text += ';';
        text += kNames[bit];
    }
    return text;
}

double windowRateHz(const WindowRecord& record, std::int32_t count, const AskedWindow& window,
                    std::optional<double> nominal) {
    if (nominal) return *nominal;
    const auto from = static_cast<std::size_t>(std::clamp(record.foreignSamples, 0, count));
    const auto to = std::min(static_cast<std::size_t>(count), record.size());
    // The median of at most about 2000 steps spread over the window: the rate, at a fixed cost.
    std::vector<double> steps;
    const std::size_t stride = to > from + 1 ? std::max<std::size_t>(1, (to - from - 1) / 2000) : 1;
    for (std::size_t i = from + 1; i < to; i += stride) {
        const double step = record.time(i) - record.time(i - 1);
        if (step > 0) steps.push_back(step);
    }
    double rate = 0;
    if (!steps.empty()) {
        const auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
        std::nth_element(steps.begin(), middle, steps.end());
        rate = 1.0 / *middle;
    } else {
        // Too few times to tell: the samples over the window's length.
        const double seconds = window.end - window.begin;
        rate = seconds > 0 ? static_cast<double>(count) / seconds : 1.0;
    }
    if (!(rate > 0) || !std::isfinite(rate)) return 1.0;
    return rate >= 1 ? std::round(rate) : 1.0 / std::max(1.0, std::round(1.0 / rate));
}

void assessRawSamples(const SampleBuffer& buffer, const WindowRecord& record, const AskedWindow& window,
                      const QualitySite& site, WindowQuality& quality) {
    quality.samples = buffer.count;
    quality.rateHz = windowRateHz(record, buffer.count, window, site.rateHz);
    const auto n = static_cast<std::size_t>(std::max(0, buffer.count));
    // A value no sonic measures takes no part in any running sum: the spikes behind it are still found.
    std::vector<std::uint8_t> invalid(n, 0);
    const double limit = site.rules.windLimit;
    const auto outside = [limit](float value) {
        return !std::isfinite(value) || std::fabs(static_cast<double>(value)) > limit;
    };
    quality.invalidSamples = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (outside(buffer.u[i]) || outside(buffer.v[i]) || outside(buffer.w[i]) || !std::isfinite(buffer.Ts[i])) {
            invalid[i] = 1;
            ++quality.invalidSamples;
        }
    }
    const auto width = static_cast<std::int64_t>(std::llround(site.rules.spikeWindowMinutes * 60.0 * quality.rateHz));
    const float* series[4] = {buffer.u.data(), buffer.v.data(), buffer.w.data(), buffer.Ts.data()};
    // All four series' first pass at once where nothing is out of play: most windows end there.
    std::int32_t firstPass[4] = {1, 1, 1, 1};
    if (quality.invalidSamples == 0)
        firstPassSpikesOfFour(series, buffer.count, width, site.rules.spikeThreshold, site.rules.spikeMaxRun,
                              firstPass);
    std::vector<std::uint8_t> state;
    const double valid = static_cast<double>(n) - quality.invalidSamples;
    for (int k = 0; k < 4; ++k) {
        quality.spikes[k] =
            firstPass[k] == 0 ? 0 : screenSpikes(series[k], buffer.count, width, site.rules, invalid, state).spikes;
        quality.spikeShare[k] = valid > 0 ? 100.0 * quality.spikes[k] / valid : 0.0;
    }
}

namespace {

// Coverage (the row's own samples in the window over the samples the rate gives it) and the
// longest gap, the window's edges included.
void assessCoverage(const WindowRecord& record, std::int32_t count, const AskedWindow& window, WindowQuality& quality) {
    const auto from = static_cast<std::size_t>(std::clamp(record.foreignSamples, 0, count));
    const auto to = std::min(static_cast<std::size_t>(count), record.size());
    double inWindow = 0;
    double lastCounted = -std::numeric_limits<double>::infinity();
    double gap = 0;
    double previous = window.begin;  // the gap before the first sample counts
    for (std::size_t i = from; i < to; ++i) {
        const double t = record.time(i);
        gap = std::max(gap, t - previous);
        previous = std::max(previous, t);
        // Samples counted as they come in time order: a line out of order or repeated adds none.
        if (t >= window.begin && t < window.end && t > lastCounted) {
            inWindow += 1;
            lastCounted = t;
        }
    }
    const double seconds = window.end - window.begin;
    // The gap after the last sample, less the one step the last sample stands for.
    if (quality.rateHz > 0) gap = std::max(gap, window.end - previous - 1.0 / quality.rateHz);
    const double expected = seconds * quality.rateHz;
    quality.coveragePercent = expected > 0 ? std::min(100.0, 100.0 * inWindow / expected) : 0.0;
    quality.longestGapSeconds = std::max(0.0, gap);
}

double standardDeviationOf(const float* x, std::int32_t count) {
    double sum = 0;
    for (std::int32_t i = 0; i < count; ++i) sum += x[i];
    const double mean = sum / count;
    double squares = 0;
    for (std::int32_t i = 0; i < count; ++i) squares += (x[i] - mean) * (x[i] - mean);
    return std::sqrt(squares / count);
}

}  // namespace

void assessRotatedSamples(const SampleBuffer& buffer, const WindowRecord& record, const AskedWindow& window,
                          const WindSummary& wind, const QualitySite& site, WindowQuality& quality) {
    const std::optional<double>& sonicHeight = site.sonicHeight;
    const std::optional<double>& latitude = site.latitude;
    const std::int32_t count = buffer.count;
    if (!(quality.rateHz > 0)) quality.rateHz = windowRateHz(record, count, window, site.rateHz);
    assessCoverage(record, count, window, quality);

    quality.steadyRun = false;
    std::optional<double> sigmaW;  // of w, where the sub-records' passes give it
    if (record.size() >= static_cast<std::size_t>(count)) {
        const SubIntervals parts(record, count, window);
        SubRecordMoments moments;
        if (parts.intervals >= 2) {
            moments = subRecordMoments(buffer, parts);
            sigmaW = moments.sigmaW;
        }
        quality.errors = moments.errors;
        const auto& uw = moments.steadyUW;
        const auto& wt = moments.steadyWTs;
        if (uw && wt) {
            quality.steadyRun = true;
            quality.steadyUW = *uw;
            quality.steadyWTs = *wt;
            quality.steadyUWClass = deviationClass(*uw);
            quality.steadyWTsClass = deviationClass(*wt);
        }
    }

    quality.itcStatus = ItcStatus::NoSiteFacts;
    if (sonicHeight && latitude) {
        const double uStar = wind.UStar;
        const double l = wind.L;
        quality.itcStatus = ItcStatus::NoTurbulence;
        if (count > 1 && uStar > 0 && !std::isnan(l) && l != 0) {
            quality.zeta = *sonicHeight / l;
            const double coriolis = 2.0 * kEarthRotation * std::sin(*latitude * std::numbers::pi / 180.0);
            quality.itcStatus = ItcStatus::OutOfRange;
            if (const auto model = modelledSigmaWOverUStar(quality.zeta, coriolis, uStar)) {
                const double measured = (sigmaW ? *sigmaW : standardDeviationOf(buffer.w.data(), count)) / uStar;
                quality.itcW = 100.0 * std::fabs((*model - measured) / *model);
                quality.itcWClass = deviationClass(quality.itcW);
                quality.itcStatus = ItcStatus::Run;
            } else if (quality.zeta >= -0.2 && quality.zeta < 0.4) {
                quality.itcStatus = ItcStatus::NearEquator;
            }
        }
    }

    // The 0/1/2 scheme of Mauder and Foken (2004) on the worst class, then what the data lack.
    unsigned reasons = 0;
    int flag = 0;
    const auto raise = [&](int to, unsigned reason) {
        flag = std::max(flag, to);
        if (to > 0) reasons |= reason;
    };
    const auto classFlag = [](int worstClass) { return worstClass <= 2 ? 0 : worstClass <= 5 ? 1 : 2; };
    if (count == 0) raise(2, kReasonNoSamples);
    if (record.foreignSamples > 0) raise(2, kReasonForeign);
    if (quality.invalidSamples > 0) raise(2, kReasonInvalid);
    if (!quality.steadyRun) {
        raise(2, kReasonSteadyNotRun);
    } else {
        raise(classFlag(quality.steadyUWClass), kReasonSteadyUW);
        raise(classFlag(quality.steadyWTsClass), kReasonSteadyWTs);
    }
    if (quality.itcStatus == ItcStatus::Run) raise(classFlag(quality.itcWClass), kReasonItc);
    const QualityRules& rules = site.rules;
    if (count > 0) {
        const double coverage = quality.coveragePercent;
        raise(coverage < rules.coverageFlag2 ? 2 : coverage < rules.coverageFlag1 ? 1 : 0, kReasonCoverage);
        const double seconds = window.end - window.begin;
        const double gapShare = seconds > 0 ? 100.0 * quality.longestGapSeconds / seconds : 0.0;
        raise(gapShare > rules.gapFlag2 ? 2 : gapShare > rules.gapFlag1 ? 1 : 0, kReasonGap);
        for (int k = 0; k < 4; ++k) {
            const double share = quality.spikeShare[k];
            raise(share > rules.spikeShareFlag2 ? 2 : share > rules.spikeShareFlag1 ? 1 : 0, kReasonSpikesU << k);
        }
    }
    quality.flag = flag;
    quality.reasons = reasons;
}

void assessSourceInterval(SourceIntervalEstimator& estimator, const MeasurementCase& windowCase,
                          const WindSummary& wind, const QualityRules& rules, WindowQuality& quality) {
    quality.source = estimator.estimate(windowCase, wind, quality.errors);
    const SourceInterval& s = quality.source;
    if (!s.computed) return;
    const bool tooFewDraws = 40 * s.validDraws < 39 * rules.intervalDraws;  // over 2.5 % without a value
    if (s.spreadPercent > rules.sourceSpreadFlag1 || tooFewDraws) {
        quality.flag = std::max(quality.flag, 1);
        quality.reasons |= kReasonSourceUncertain;
    }
}

}  // namespace field
