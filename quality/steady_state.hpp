#pragma once
// The steady-state test of a window's covariances over its 5-minute sub-intervals.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <vector>

#include "input/window_record.hpp"

namespace field {

inline constexpr double kSubIntervalSeconds = 300;  // steady-state sub-intervals (5 min)

/// The window a row was asked for, in seconds from day index 0: [begin, end).
struct AskedWindow {
    double begin = 0;
    double end = 0;
};

/// The asked window of a case or sub-window: `endMinute` is the case's end or the sub-window's end.
AskedWindow askedWindow(std::int32_t dayIndex, std::int32_t beginMinute, std::int32_t endMinute);

/// The steady-state sub-interval of every sample of a window, found once for all its covariances:
/// the samples as runs in one sub-interval, each minute's samples at once.
class SubIntervals {
public:
    SubIntervals(const WindowRecord& record, std::int32_t count, const AskedWindow& window);
    /// The sub-interval of sample i.
    std::uint32_t of(std::size_t i) const;
    /// A stretch of samples in a row in one sub-interval: [previous run's end, end).
    struct Run {
        std::uint32_t end;
        std::uint32_t interval;
    };
    /// The window's samples as runs, in order (a few per sub-interval where time runs forward).
    const std::vector<Run>& runs() const { return runs_; }
    std::uint32_t intervals = 0;  // 0 when the window holds fewer than two or too few samples
    std::int32_t count = 0;       // samples

private:
    std::uint32_t find(std::size_t i) const {
        const double k = std::floor((record_.time(i) - begin_) / kSubIntervalSeconds);
        // Samples before the window (or not a number) go to the first, after it to the last.
        return !(k > 0) ? 0u : static_cast<std::uint32_t>(std::min(k, intervals - 1.0));
    }
    const WindowRecord& record_;
    double begin_ = 0;
    std::vector<Run> runs_;
};

/// Steady-state test of cov(a, w) over given sub-intervals (see below).
std::optional<double> steadyStateDeviation(const float* a, const float* w, const SubIntervals& parts);

/// Steady-state test of cov(a, w): 100 |(mean of the sub-interval covariances - whole covariance) /
/// whole covariance|. Empty when fewer than two sub-intervals hold two samples.
std::optional<double> steadyStateDeviation(const float* a, const float* w, const WindowRecord& record,
                                           std::int32_t count, const AskedWindow& window);

/// The test from its sums: each sub-interval's samples (`partN`) and products about its own
/// means (`partProducts`), the window's products about its means and its samples.
std::optional<double> steadyStateDeviationOf(const std::vector<double>& partN, const std::vector<double>& partProducts,
                                             double wholeProducts, double n);

}  // namespace field
