#include "quality/window_quality.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <numbers>

namespace field {

int deviationClass(double percent) {
    // Upper bounds of classes 1 to 8; beyond the last (or not a number) is class 9.
    static constexpr double kBounds[] = {15, 30, 50, 75, 100, 250, 500, 1000};
    for (int i = 0; i < 8; ++i)
        if (percent <= kBounds[i]) return i + 1;
    return 9;
}

void assessRawSamples(const SampleBuffer& buffer, WindowQuality& quality) {
    quality.samples = buffer.count;
    const float* series[4] = {buffer.u.data(), buffer.v.data(), buffer.w.data(), buffer.Ts.data()};
    countSpikesOfFour(series, buffer.count, quality.spikes);
}

namespace {

// Coverage and the longest gap, from the samples of the row's own case.
void assessCoverage(const WindowRecord& record, std::int32_t count, const AskedWindow& window, WindowQuality& quality) {
    const auto from = static_cast<std::size_t>(std::min(record.foreignSamples, count));
    const auto to = std::min(static_cast<std::size_t>(count), record.size());
    double covered = 0;
    double lastSecond = -std::numeric_limits<double>::infinity();
    double gap = 0, previous = 0;
    for (std::size_t i = from; i < to; ++i) {
        const double t = record.time(i);
        if (i > from) gap = std::max(gap, t - previous);
        previous = t;
        // Seconds counted as they first appear in time order: a line out of order adds none.
        const double second = std::floor(t);
        if (t >= window.begin && t < window.end && second > lastSecond) {
            covered += 1;
            lastSecond = second;
        }
    }
    const double seconds = window.end - window.begin;
    quality.coveragePercent = seconds > 0 ? std::min(100.0, 100.0 * covered / seconds) : 0.0;
    quality.longestGapSeconds = gap;
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
                          const WindSummary& wind, std::optional<double> sonicHeight, std::optional<double> latitude,
                          WindowQuality& quality) {
    const std::int32_t count = buffer.count;
    assessCoverage(record, count, window, quality);

    quality.steadyRun = false;
    if (record.size() >= static_cast<std::size_t>(count)) {
        const SubIntervals parts(record, count, window);
        const float* series[2] = {buffer.u.data(), buffer.Ts.data()};
        std::optional<double> deviations[2];
        steadyStateDeviationsOfTwo(series, buffer.w.data(), parts, deviations);
        const auto& uw = deviations[0];
        const auto& wt = deviations[1];
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
                const double measured = standardDeviationOf(buffer.w.data(), count) / uStar;
                quality.itcW = 100.0 * std::fabs((*model - measured) / *model);
                quality.itcWClass = deviationClass(quality.itcW);
                quality.itcStatus = ItcStatus::Run;
            } else if (quality.zeta >= -0.2 && quality.zeta < 0.4) {
                quality.itcStatus = ItcStatus::NearEquator;
            }
        }
    }

    // The 0/1/2 scheme of Mauder and Foken (2004) on the worst class, plus what no test can mend.
    if (count == 0 || record.foreignSamples > 0 || !quality.steadyRun) {
        quality.flag = 2;
        return;
    }
    int worst = std::max(quality.steadyUWClass, quality.steadyWTsClass);
    if (quality.itcStatus == ItcStatus::Run) worst = std::max(worst, quality.itcWClass);
    quality.flag = worst <= 2 ? 0 : worst <= 5 ? 1 : 2;
}

}  // namespace field
