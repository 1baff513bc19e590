#pragma once
// How far a window's statistics can be trusted: data coverage, spikes, the
// steady-state test, the developed-turbulence (ITC) test and the combined
// 0/1/2 flag. Everything here is double precision and deterministic; it reads
// the sample buffer and never changes what the tables' statistics see.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "input/measurement_case.hpp"
#include "input/window_record.hpp"
#include "wind/wind_statistics.hpp"

namespace field {

/// What the ITC test needs of the site beyond the data; it runs only with both.
struct ItcSite {
    std::optional<double> sonicHeight;  // m above the displacement height
    std::optional<double> latitude;     // degrees north (south negative)
};

// clang-format off
inline constexpr double kSpikeWindowSamples  = 3000;  // 5 min at 10 Hz, centred on the sample
inline constexpr double kSpikeThreshold      = 3.5;   // standard deviations of the moving window
inline constexpr int    kSpikeMaxRun         = 3;     // longer runs are taken as real changes
inline constexpr double kSubIntervalSeconds  = 300;   // steady-state sub-intervals (5 min)
inline constexpr double kLowCoveragePercent  = 80;    // below this a window is reported
inline constexpr double kEarthRotation       = 7.292e-5;  // rad/s
// clang-format on

// NearEquator: a near-neutral window whose model needs the Coriolis parameter, which
// vanishes at the equator (and leaves no positive model within about 0.2 degrees of it).
enum class ItcStatus { Run, NoSiteFacts, OutOfRange, NoTurbulence, NearEquator };

/// The quality of one closed window, one row of the quality table.
struct WindowQuality {
    std::int32_t samples = 0;
    double coveragePercent = 0;
    double longestGapSeconds = 0;
    std::int32_t spikes[4] = {0, 0, 0, 0};  // u, v, w, Ts

    bool steadyRun = false;
    double steadyUW = 0, steadyWTs = 0;  // relative deviations, %
    int steadyUWClass = 0, steadyWTsClass = 0;

    ItcStatus itcStatus = ItcStatus::NoSiteFacts;
    double zeta = 0;  // z / L
    double itcW = 0;  // %
    int itcWClass = 0;

    int flag = 2;
    bool assessed = true;  // false: the window could not be assessed (flag 2, no test values)
};

/// The window a row was asked for, in seconds from day index 0: [begin, end).
struct AskedWindow {
    double begin = 0;
    double end = 0;
};

/// The asked window of a case or sub-window: `endMinute` is the case's end or the sub-window's end.
AskedWindow askedWindow(std::int32_t dayIndex, std::int32_t beginMinute, std::int32_t endMinute);

/// Class 1-9 of a relative deviation in % (Foken et al. 2004); NaN and infinity give 9.
int deviationClass(double percent);

/// Number of samples flagged as spikes: runs of at most kSpikeMaxRun consecutive samples
/// further than kSpikeThreshold standard deviations from the mean of a moving window.
std::int32_t countSpikes(const float* x, std::int32_t count);

/// The steady-state sub-interval of every sample of a window, found once for all its covariances.
/// Kept in 2 bytes a sample where a window has at most 65536 of them (every real one),
/// else found from each sample's time when asked.
class SubIntervals {
public:
    SubIntervals(const WindowRecord& record, std::int32_t count, const AskedWindow& window);
    /// The sub-interval of sample i.
    std::uint32_t of(std::size_t i) const { return index_.empty() ? find(i) : index_[i]; }
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
    std::vector<std::uint16_t> index_;
};

/// Steady-state test of cov(a, w) over given sub-intervals (see below).
std::optional<double> steadyStateDeviation(const float* a, const float* w, const SubIntervals& parts);

/// Steady-state test of cov(a, w): 100 |(mean of the sub-interval covariances - whole covariance) /
/// whole covariance|. Empty when fewer than two sub-intervals hold two samples.
std::optional<double> steadyStateDeviation(const float* a, const float* w, const WindowRecord& record,
                                           std::int32_t count, const AskedWindow& window);

/// Modelled sigma_w / u* for the stability zeta (Thomas and Foken 2002, as in Foken et al. 2004);
/// empty outside -3 < zeta < 0.4. `coriolis` in 1/s, `uStar` in m/s.
std::optional<double> modelledSigmaWOverUStar(double zeta, double coriolis, double uStar);

/// The part of the quality that reads the raw (unrotated) samples: the spike counts.
void assessRawSamples(const SampleBuffer& buffer, WindowQuality& quality);

/// The rest, from the rotated buffer and the window's statistics: coverage, gap, steady state,
/// ITC and the flag. `ownFrom` is the index of the first sample of the row's own case.
void assessRotatedSamples(const SampleBuffer& buffer, const WindowRecord& record, const AskedWindow& window,
                          const WindSummary& wind, std::optional<double> sonicHeight, std::optional<double> latitude,
                          WindowQuality& quality);

}  // namespace field
