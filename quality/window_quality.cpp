#include "quality/window_quality.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <numbers>

#include "platform/simd.hpp"

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

namespace {

// The spikes of K series of one window in one pass: each series keeps its own sums and
// runs, in the same order as alone, so the counts are those of K separate passes; the
// K independent chains of additions keep the processor busy where one would wait.
template <int K>
void countSpikesOf(const float* const* x, std::int32_t count, std::int32_t* spikes) {
    for (int k = 0; k < K; ++k) spikes[k] = 0;
    if (count < 3) return;
    const auto n = static_cast<std::int64_t>(count);
    const auto width = std::min<std::int64_t>(n, static_cast<std::int64_t>(kSpikeWindowSamples));
    const double w = static_cast<double>(width);
    const double limit = kSpikeThreshold * kSpikeThreshold;
    // Sums of the differences to the first sample keep the running sums small.
    double origin[K], s1[K], s2[K];
    std::int32_t run[K];
    for (int k = 0; k < K; ++k) {
        origin[k] = static_cast<double>(x[k][0]);
        s1[k] = s2[k] = 0;
        run[k] = 0;
        for (std::int64_t j = 0; j < width; ++j) {
            const double d = static_cast<double>(x[k][j]) - origin[k];
            s1[k] += d;
            s2[k] += d * d;
        }
    }
    const auto check = [&](std::int64_t i) {
        for (int k = 0; k < K; ++k) {
            // |x - mean| > k sigma, both sides times the width and squared: no division, no root.
            const double deviation = (static_cast<double>(x[k][i]) - origin[k]) * w - s1[k];
            const double spread = std::max(0.0, s2[k] * w - s1[k] * s1[k]);
            if (deviation * deviation > limit * spread) {
                ++run[k];
            } else {
                if (run[k] > 0 && run[k] <= kSpikeMaxRun) spikes[k] += run[k];
                run[k] = 0;
            }
        }
    };
    // The window [start, start + width) is centred on sample i where it can be:
    // start = clamp(i - width / 2, 0, n - width), so it stands still at both ends.
    const std::int64_t half = width / 2;
    const std::int64_t lastMove = n - width + half;  // the last i whose window moved
    std::int64_t i = 0;
    for (; i <= half && i < n; ++i) check(i);
    for (; i <= lastMove; ++i) {
        for (int k = 0; k < K; ++k) {
            const double out = static_cast<double>(x[k][i - half - 1]) - origin[k];
            const double in = static_cast<double>(x[k][i - half - 1 + width]) - origin[k];
            s1[k] += in - out;
            s2[k] += in * in - out * out;
        }
        check(i);
    }
    for (; i < n; ++i) check(i);
    for (int k = 0; k < K; ++k)
        if (run[k] > 0 && run[k] <= kSpikeMaxRun) spikes[k] += run[k];
}

}  // namespace

std::int32_t countSpikes(const float* x, std::int32_t count) {
    std::int32_t spikes = 0;
    countSpikesOf<1>(&x, count, &spikes);
    return spikes;
}

SubIntervals::SubIntervals(const WindowRecord& record, std::int32_t samples, const AskedWindow& window)
    : record_(record), begin_(window.begin) {
    // A remainder shorter than a sub-interval joins the last one; the cap keeps absurd
    // windows from bad input from asking for absurd memory.
    const double whole = std::floor((window.end - window.begin) / kSubIntervalSeconds);
    if (!(whole >= 2) || samples < 4) return;
    intervals = static_cast<std::uint32_t>(std::min(whole, 100000.0));
    count = samples;
    if (intervals > 65536) return;
    index_.resize(static_cast<std::size_t>(samples));
    // A time of a whole minute plus seconds below 60 falls in the sub-interval of its minute:
    // a sub-interval is five whole minutes from the window's begin (a whole minute too), so
    // the integers give what the floating-point route gives, as long as the rounding of the
    // seconds cannot reach the next minute (times below 2^36 s, some 795000 days).
    constexpr double kExactLimit = 68719476736.0;  // 2^36
    constexpr std::int64_t kMinuteLimit = std::int64_t{1} << 30;  // 2^36 s / 64, below 2^36 / 60 minutes
    const bool wholeBegin = std::floor(begin_) == begin_ && std::fabs(begin_) < kExactLimit;
    const auto beginSeconds = wholeBegin ? static_cast<std::int64_t>(begin_) : 0;
    const auto last = static_cast<std::int64_t>(intervals) - 1;
    for (std::size_t i = 0; i < index_.size(); ++i) {
        std::int64_t minuteIndex = 0;
        if (wholeBegin && record.minuteIndexOf(i, minuteIndex) && minuteIndex < kMinuteLimit) {
            const std::int64_t from = minuteIndex * 60 - beginSeconds;
            const std::int64_t k = from >= 0 ? from / 300 : -((-from + 299) / 300);  // floor
            index_[i] = static_cast<std::uint16_t>(k <= 0 ? 0 : std::min(k, last));
        } else {
            index_[i] = static_cast<std::uint16_t>(find(i));
        }
    }
}

namespace {

// The steady-state test of cov(a_k, w) for K series a_k in one pass over the samples.
template <int K>
void steadyStateDeviationsOf(const float* const* a, const float* w, const SubIntervals& parts,
                             std::optional<double>* deviation) {
    for (int k = 0; k < K; ++k) deviation[k].reset();
    if (parts.intervals < 2) return;
    const std::int32_t count = parts.count;
    struct Sums {
        double n = 0, w = 0, a[K] = {}, aw[K] = {};
    };
    std::vector<Sums> part(parts.intervals);
    double sumW = 0, sumA[K] = {};
    for (std::int32_t i = 0; i < count; ++i) {
        Sums& p = part[parts.of(static_cast<std::size_t>(i))];
        p.n += 1;
        p.w += w[i];
        sumW += w[i];
        for (int k = 0; k < K; ++k) {
            p.a[k] += a[k][i];
            sumA[k] += a[k][i];
        }
    }
    const double n = static_cast<double>(count);
    const double meanW = sumW / n;
    double meanA[K];
    for (int k = 0; k < K; ++k) meanA[k] = sumA[k] / n;
    for (Sums& p : part) {
        if (p.n > 0) {
            p.w /= p.n;  // from here on the sub-interval means
            for (int k = 0; k < K; ++k) p.a[k] /= p.n;
        }
    }
    double wholeSum[K] = {};
    for (std::int32_t i = 0; i < count; ++i) {
        Sums& p = part[parts.of(static_cast<std::size_t>(i))];
        const double dw = w[i] - p.w, wholeDw = w[i] - meanW;
        for (int k = 0; k < K; ++k) {
            p.aw[k] += (a[k][i] - p.a[k]) * dw;
            wholeSum[k] += (a[k][i] - meanA[k]) * wholeDw;
        }
    }
    for (int k = 0; k < K; ++k) {
        double sumOfCovariances = 0;
        int used = 0;
        for (const Sums& p : part) {
            if (p.n < 2) continue;
            sumOfCovariances += p.aw[k] / (p.n - 1);
            ++used;
        }
        if (used < 2) return;
        const double meanOfParts = sumOfCovariances / used;
        const double covariance = wholeSum[k] / (n - 1);
        deviation[k] = 100.0 * std::fabs((meanOfParts - covariance) / covariance);
    }
}

}  // namespace

std::optional<double> steadyStateDeviation(const float* a, const float* w, const SubIntervals& parts) {
    std::optional<double> deviation;
    steadyStateDeviationsOf<1>(&a, w, parts, &deviation);
    return deviation;
}

std::optional<double> steadyStateDeviation(const float* a, const float* w, const WindowRecord& record,
                                           std::int32_t count, const AskedWindow& window) {
    return steadyStateDeviation(a, w, SubIntervals(record, count, window));
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

#if FIELD_SSE2
namespace {

// countSpikesOf<4> with the four series in two registers of two doubles each: lane by lane
// the same operations in the same order (no fused multiply-add), so the same counts.
void countSpikesOfFour(const float* const* x, std::int32_t count, std::int32_t* spikes) {
    for (int k = 0; k < 4; ++k) spikes[k] = 0;
    if (count < 3) return;
    const auto n = static_cast<std::int64_t>(count);
    const auto width = std::min<std::int64_t>(n, static_cast<std::int64_t>(kSpikeWindowSamples));
    const __m128d w = _mm_set1_pd(static_cast<double>(width));
    const __m128d limit = _mm_set1_pd(kSpikeThreshold * kSpikeThreshold);
    const __m128d zero = _mm_setzero_pd();
    // Samples i of series 0 and 1, and of series 2 and 3, as doubles.
    const auto pairAt = [x](int first, std::int64_t i) {
        return _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(x[first] + i), _mm_load_ss(x[first + 1] + i)));
    };
    const __m128d origin[2] = {pairAt(0, 0), pairAt(2, 0)};
    __m128d s1[2] = {zero, zero}, s2[2] = {zero, zero};
    for (std::int64_t j = 0; j < width; ++j) {
        for (int h = 0; h < 2; ++h) {
            const __m128d d = _mm_sub_pd(pairAt(2 * h, j), origin[h]);
            s1[h] = _mm_add_pd(s1[h], d);
            s2[h] = _mm_add_pd(s2[h], _mm_mul_pd(d, d));
        }
    }
    std::int32_t run[4] = {0, 0, 0, 0};
    unsigned running = 0;  // bit k: series k is in a run
    const auto check = [&](std::int64_t i) {
        unsigned beyond = 0;
        for (int h = 0; h < 2; ++h) {
            // |x - mean| > k sigma, both sides times the width and squared: no division, no root.
            const __m128d deviation = _mm_sub_pd(_mm_mul_pd(_mm_sub_pd(pairAt(2 * h, i), origin[h]), w), s1[h]);
            // max(spread, 0) is 0 for a NaN spread, as std::max(0.0, spread) is.
            const __m128d spread = _mm_max_pd(_mm_sub_pd(_mm_mul_pd(s2[h], w), _mm_mul_pd(s1[h], s1[h])), zero);
            const __m128d over = _mm_cmpgt_pd(_mm_mul_pd(deviation, deviation), _mm_mul_pd(limit, spread));
            beyond |= static_cast<unsigned>(_mm_movemask_pd(over)) << (2 * h);
        }
        if ((beyond | running) == 0) return;
        for (int k = 0; k < 4; ++k) {
            if (beyond & (1u << k)) {
                ++run[k];
            } else {
                if (run[k] > 0 && run[k] <= kSpikeMaxRun) spikes[k] += run[k];
                run[k] = 0;
            }
        }
        running = beyond;
    };
    const std::int64_t half = width / 2;
    const std::int64_t lastMove = n - width + half;
    std::int64_t i = 0;
    for (; i <= half && i < n; ++i) check(i);
    for (; i <= lastMove; ++i) {
        for (int h = 0; h < 2; ++h) {
            const __m128d out = _mm_sub_pd(pairAt(2 * h, i - half - 1), origin[h]);
            const __m128d in = _mm_sub_pd(pairAt(2 * h, i - half - 1 + width), origin[h]);
            s1[h] = _mm_add_pd(s1[h], _mm_sub_pd(in, out));
            s2[h] = _mm_add_pd(s2[h], _mm_sub_pd(_mm_mul_pd(in, in), _mm_mul_pd(out, out)));
        }
        check(i);
    }
    for (; i < n; ++i) check(i);
    for (int k = 0; k < 4; ++k)
        if (run[k] > 0 && run[k] <= kSpikeMaxRun) spikes[k] += run[k];
}

}  // namespace
#endif

void assessRawSamples(const SampleBuffer& buffer, WindowQuality& quality) {
    quality.samples = buffer.count;
    const float* series[4] = {buffer.u.data(), buffer.v.data(), buffer.w.data(), buffer.Ts.data()};
#if FIELD_SSE2
    countSpikesOfFour(series, buffer.count, quality.spikes);
#else
    countSpikesOf<4>(series, buffer.count, quality.spikes);
#endif
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
        steadyStateDeviationsOf<2>(series, buffer.w.data(), parts, deviations);
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
