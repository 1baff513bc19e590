#include "quality/steady_state.hpp"

#include <algorithm>
#include <vector>

namespace field {

AskedWindow askedWindow(std::int32_t dayIndex, std::int32_t beginMinute, std::int32_t endMinute) {
    const double day = static_cast<double>(dayIndex) * 86400.0;
    return {day + static_cast<double>(beginMinute) * 60.0, day + static_cast<double>(endMinute) * 60.0};
}

SubIntervals::SubIntervals(const WindowRecord& record, std::int32_t samples, const AskedWindow& window)
    : record_(record), begin_(window.begin) {
    // A remainder shorter than a sub-interval joins the last one; the cap keeps absurd
    // windows from bad input from asking for absurd memory.
    const double whole = std::floor((window.end - window.begin) / kSubIntervalSeconds);
    if (!(whole >= 2) || samples < 4) return;
    intervals = static_cast<std::uint32_t>(std::min(whole, 100000.0));
    count = samples;
    const auto addRun = [this](std::size_t end, std::uint32_t k) {
        if (!runs_.empty() && runs_.back().interval == k)
            runs_.back().end = static_cast<std::uint32_t>(end);
        else
            runs_.push_back({static_cast<std::uint32_t>(end), k});
    };
    // A time of a whole minute plus seconds below 60 falls in the sub-interval of its minute:
    // a sub-interval is five whole minutes from the window's begin (a whole minute too), so
    // the integers give what the floating-point route gives, as long as the rounding of the
    // seconds cannot reach the next minute (times below 2^36 s, some 795000 days).
    constexpr double kExactLimit = 68719476736.0;                 // 2^36
    constexpr std::int64_t kMinuteLimit = std::int64_t{1} << 30;  // 2^36 s / 64, below 2^36 / 60 minutes
    const bool wholeBegin = std::floor(begin_) == begin_ && std::fabs(begin_) < kExactLimit;
    const auto beginSeconds = wholeBegin ? static_cast<std::int64_t>(begin_) : 0;
    const auto last = static_cast<std::int64_t>(intervals) - 1;
    const auto n = static_cast<std::size_t>(samples);
    // Some 600 samples in a row share a minute at 10 Hz: its sub-interval is found once.
    for (std::size_t i = 0; i < n;) {
        std::int64_t minuteIndex = 0;
        if (wholeBegin && record.minuteIndexOf(i, minuteIndex) && minuteIndex < kMinuteLimit) {
            const std::int64_t from = minuteIndex * 60 - beginSeconds;
            const std::int64_t k = from >= 0 ? from / 300 : -((-from + 299) / 300);  // floor
            const std::size_t end = std::min(record.sameMinuteEnd(i), n);
            addRun(end, static_cast<std::uint32_t>(k <= 0 ? 0 : std::min(k, last)));
            i = end;
        } else {
            addRun(i + 1, find(i));
            ++i;
        }
    }
}

std::uint32_t SubIntervals::of(std::size_t i) const {
    const auto run =
        std::upper_bound(runs_.begin(), runs_.end(), i, [](std::size_t at, const Run& r) { return at < r.end; });
    return run == runs_.end() ? find(i) : run->interval;
}

std::optional<double> steadyStateDeviationOf(const std::vector<double>& partN, const std::vector<double>& partProducts,
                                             double wholeProducts, double n) {
    double sumOfCovariances = 0;
    int used = 0;
    for (std::size_t j = 0; j < partN.size(); ++j) {
        if (partN[j] < 2) continue;
        sumOfCovariances += partProducts[j] / (partN[j] - 1);
        ++used;
    }
    if (used < 2) return std::nullopt;
    const double meanOfParts = sumOfCovariances / used;
    const double covariance = wholeProducts / (n - 1);
    return 100.0 * std::fabs((meanOfParts - covariance) / covariance);
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
    std::vector<double> partN(part.size()), partProducts(part.size());
    for (std::size_t j = 0; j < part.size(); ++j) partN[j] = part[j].n;
    for (int k = 0; k < K; ++k) {
        for (std::size_t j = 0; j < part.size(); ++j) partProducts[j] = part[j].aw[k];
        deviation[k] = steadyStateDeviationOf(partN, partProducts, wholeSum[k], n);
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

}  // namespace field
