#include "common/window_quality.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace field {

AskedWindow askedWindow(std::int32_t dayIndex, std::int32_t beginMinute, std::int32_t endMinute) {
    const double day = static_cast<double>(dayIndex) * 86400.0;
    return {day + static_cast<double>(beginMinute) * 60.0, day + static_cast<double>(endMinute) * 60.0};
}

int deviationClass(double percent) {
    // Upper bounds of classes 1 to 8; beyond the last (or not a number) is class 9.
    static constexpr double kBounds[] = {15, 30, 50, 75, 100, 250, 500, 1000};
    for (int i = 0; i < 8; ++i)
        if (percent <= kBounds[i]) return i + 1;
    return 9;
}

std::int32_t countSpikes(const float* x, std::int32_t count) {
    if (count < 3) return 0;
    const auto n = static_cast<std::int64_t>(count);
    const auto width = std::min<std::int64_t>(n, static_cast<std::int64_t>(kSpikeWindowSamples));
    const double w = static_cast<double>(width);
    const double limit = kSpikeThreshold * kSpikeThreshold;
    // Sums of the differences to the first sample keep the running sums small.
    const double origin = static_cast<double>(x[0]);
    double s1 = 0, s2 = 0;
    for (std::int64_t j = 0; j < width; ++j) {
        const double d = static_cast<double>(x[j]) - origin;
        s1 += d;
        s2 += d * d;
    }
    std::int32_t spikes = 0;
    std::int32_t run = 0;
    const auto check = [&](std::int64_t i) {
        // |x - mean| > k sigma, both sides times the width and squared: no division, no root.
        const double deviation = (static_cast<double>(x[i]) - origin) * w - s1;
        const double spread = std::max(0.0, s2 * w - s1 * s1);
        if (deviation * deviation > limit * spread) {
            ++run;
        } else {
            if (run > 0 && run <= kSpikeMaxRun) spikes += run;
            run = 0;
        }
    };
    // The window [start, start + width) is centred on sample i where it can be:
    // start = clamp(i - width / 2, 0, n - width), so it stands still at both ends.
    const std::int64_t half = width / 2;
    const std::int64_t lastMove = n - width + half;  // the last i whose window moved
    std::int64_t i = 0;
    for (; i <= half && i < n; ++i) check(i);
    for (; i <= lastMove; ++i) {
        const double out = static_cast<double>(x[i - half - 1]) - origin;
        const double in = static_cast<double>(x[i - half - 1 + width]) - origin;
        s1 += in - out;
        s2 += in * in - out * out;
        check(i);
    }
    for (; i < n; ++i) check(i);
    if (run > 0 && run <= kSpikeMaxRun) spikes += run;
    return spikes;
}

SubIntervals::SubIntervals(const double* time, std::int32_t count, const AskedWindow& window) {
    // A remainder shorter than a sub-interval joins the last one; the cap keeps absurd
    // windows from bad input from asking for absurd memory.
    const double whole = std::floor((window.end - window.begin) / kSubIntervalSeconds);
    if (!(whole >= 2) || count < 4) return;
    intervals = static_cast<std::uint32_t>(std::min(whole, 100000.0));
    index.resize(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
        const double k = std::floor((time[i] - window.begin) / kSubIntervalSeconds);
        // Samples before the window (or not a number) go to the first, after it to the last.
        index[static_cast<std::size_t>(i)] = !(k > 0) ? 0u : static_cast<std::uint32_t>(std::min(k, intervals - 1.0));
    }
}

std::optional<double> steadyStateDeviation(const float* a, const float* w, const SubIntervals& parts) {
    if (parts.intervals < 2) return std::nullopt;
    const auto count = static_cast<std::int32_t>(parts.index.size());
    struct Sums {
        double n = 0, a = 0, w = 0, aw = 0;
    };
    std::vector<Sums> part(parts.intervals);
    double sumA = 0, sumW = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        Sums& p = part[parts.index[static_cast<std::size_t>(i)]];
        p.n += 1;
        p.a += a[i];
        p.w += w[i];
        sumA += a[i];
        sumW += w[i];
    }
    const double n = static_cast<double>(count);
    const double meanA = sumA / n, meanW = sumW / n;
    for (Sums& p : part) {
        if (p.n > 0) {
            p.a /= p.n;  // from here on the sub-interval means
            p.w /= p.n;
        }
    }
    double wholeSum = 0;
    for (std::int32_t i = 0; i < count; ++i) {
        Sums& p = part[parts.index[static_cast<std::size_t>(i)]];
        p.aw += (a[i] - p.a) * (w[i] - p.w);
        wholeSum += (a[i] - meanA) * (w[i] - meanW);
    }
    double sumOfCovariances = 0;
    int used = 0;
    for (const Sums& p : part) {
        if (p.n < 2) continue;
        sumOfCovariances += p.aw / (p.n - 1);
        ++used;
    }
    if (used < 2) return std::nullopt;
    const double meanOfParts = sumOfCovariances / used;
    const double covariance = wholeSum / (n - 1);
    return 100.0 * std::fabs((meanOfParts - covariance) / covariance);
}

std::optional<double> steadyStateDeviation(const float* a, const float* w, const double* time, std::int32_t count,
                                           const AskedWindow& window) {
    return steadyStateDeviation(a, w, SubIntervals(time, count, window));
}

std::optional<double> modelledSigmaWOverUStar(double zeta, double coriolis, double uStar) {
    double model = 0;
    if (zeta > -3.0 && zeta < -0.2) {
        model = 2.0 * std::pow(-zeta, 1.0 / 8.0);
    } else if (zeta >= -0.2 && zeta < 0.4) {
        constexpr double kReferenceHeight = 1.0;  // z+ in m
        model = 0.21 * std::log(kReferenceHeight * std::fabs(coriolis) / uStar) + 3.1;
    } else {
        return std::nullopt;
    }
    if (!(model > 0) || !std::isfinite(model)) return std::nullopt;
    return model;
}

void assessRawSamples(const SampleBuffer& buffer, WindowQuality& quality) {
    quality.samples = buffer.count;
    const float* series[4] = {buffer.u.data(), buffer.v.data(), buffer.w.data(), buffer.Ts.data()};
    for (int k = 0; k < 4; ++k) quality.spikes[k] = countSpikes(series[k], buffer.count);
}

namespace {

// Coverage and the longest gap, from the samples of the row's own case.
void assessCoverage(const WindowRecord& record, std::int32_t count, const AskedWindow& window, WindowQuality& quality) {
    const auto from = static_cast<std::size_t>(std::min(record.foreignSamples, count));
    const auto to = std::min(static_cast<std::size_t>(count), record.time.size());
    double covered = 0;
    double lastSecond = -std::numeric_limits<double>::infinity();
    double gap = 0;
    for (std::size_t i = from; i < to; ++i) {
        const double t = record.time[i];
        if (i > from) gap = std::max(gap, t - record.time[i - 1]);
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
    if (record.time.size() >= static_cast<std::size_t>(count)) {
        const SubIntervals parts(record.time.data(), count, window);
        const auto uw = steadyStateDeviation(buffer.u.data(), buffer.w.data(), parts);
        const auto wt = steadyStateDeviation(buffer.Ts.data(), buffer.w.data(), parts);
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
