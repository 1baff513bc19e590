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
#include "quality/itc.hpp"
#include "quality/spikes.hpp"
#include "quality/steady_state.hpp"
#include "wind/wind_statistics.hpp"

namespace field {

/// What the ITC test needs of the site beyond the data; it runs only with both.
struct ItcSite {
    std::optional<double> sonicHeight;  // m above the displacement height
    std::optional<double> latitude;     // degrees north (south negative)
};

// clang-format off
inline constexpr double kLowCoveragePercent  = 80;    // below this a window is reported
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

/// Class 1-9 of a relative deviation in % (Foken et al. 2004); NaN and infinity give 9.
int deviationClass(double percent);

/// The part of the quality that reads the raw (unrotated) samples: the spike counts.
void assessRawSamples(const SampleBuffer& buffer, WindowQuality& quality);

/// The rest, from the rotated buffer and the window's statistics: coverage, gap, steady state,
/// ITC and the flag. `ownFrom` is the index of the first sample of the row's own case.
void assessRotatedSamples(const SampleBuffer& buffer, const WindowRecord& record, const AskedWindow& window,
                          const WindSummary& wind, std::optional<double> sonicHeight, std::optional<double> latitude,
                          WindowQuality& quality);

}  // namespace field
