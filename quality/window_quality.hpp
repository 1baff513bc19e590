#pragma once
// How far a window's statistics can be trusted: data coverage, spikes, the
// steady-state test, the developed-turbulence (ITC) test and the combined
// 0/1/2 flag. Everything here is double precision and deterministic; it reads
// the sample buffer and never changes what the tables' statistics see.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "input/campaign.hpp"
#include "input/measurement_case.hpp"
#include "input/window_record.hpp"
#include "quality/itc.hpp"
#include "quality/sampling_error.hpp"
#include "quality/source_interval.hpp"
#include "quality/spikes.hpp"
#include "quality/steady_state.hpp"
#include "wind/wind_statistics.hpp"

namespace field {

/// What the quality takes from the campaign and the command line for a field: the ITC test's
/// site facts (it runs only with both), the logger's nominal rate and the rules of the flag.
struct QualitySite {
    std::optional<double> sonicHeight;  // m above the displacement height
    std::optional<double> latitude;     // degrees north (south negative)
    std::optional<double> rateHz;       // none: found from the window's time steps
    QualityRules rules;
};

/// What raised a window's flag, one bit each, in the order QcReasons lists them.
enum QcReason : unsigned {
    kReasonNoSamples = 1u << 0,
    kReasonForeign = 1u << 1,
    kReasonInvalid = 1u << 2,
    kReasonSteadyNotRun = 1u << 3,
    kReasonCoverage = 1u << 4,
    kReasonGap = 1u << 5,
    kReasonSpikesU = 1u << 6,  // then v, w and Ts in the next bits
    kReasonSteadyUW = 1u << 10,
    kReasonSteadyWTs = 1u << 11,
    kReasonItc = 1u << 12,
    kReasonSourceUncertain = 1u << 13,
};

/// "coverage;spikes-w" and the like: the reasons' names joined by ';' (empty for none).
std::string qcReasonsText(unsigned reasons);

// NearEquator: a near-neutral window whose model needs the Coriolis parameter, which
// vanishes at the equator (and leaves no positive model within about 0.2 degrees of it).
enum class ItcStatus { Run, NoSiteFacts, OutOfRange, NoTurbulence, NearEquator };

/// The quality of one closed window, one row of the quality table.
struct WindowQuality {
    std::int32_t samples = 0;
    double rateHz = 0;  // the logger's rate the coverage counts against
    double coveragePercent = 0;
    double longestGapSeconds = 0;           // between samples, or before the first or after the last
    std::int32_t invalidSamples = 0;        // a u, v or w beyond the wind limit or not a number, or Ts not a number
    std::int32_t spikes[4] = {0, 0, 0, 0};  // u, v, w, Ts
    double spikeShare[4] = {0, 0, 0, 0};    // % of the valid samples

    bool steadyRun = false;
    double steadyUW = 0, steadyWTs = 0;  // relative deviations, %
    int steadyUWClass = 0, steadyWTsClass = 0;

    ItcStatus itcStatus = ItcStatus::NoSiteFacts;
    double zeta = 0;  // z / L
    double itcW = 0;  // %
    int itcWClass = 0;

    SamplingErrors errors;  // of the rotated fluxes and the direction
    SourceInterval source;  // the source strength's interval

    int flag = 2;
    unsigned reasons = 0;  // QcReason bits: what raised the flag
    bool assessed = true;  // false: the window could not be assessed (flag 2, no test values)
};

/// Class 1-9 of a relative deviation in % (Foken et al. 2004); NaN and infinity give 9.
int deviationClass(double percent);

/// The logger's rate for a window: the nominal one when given, else one over the median time
/// step of the row's own samples, rounded to a whole rate (or a whole period below 1 Hz).
double windowRateHz(const WindowRecord& record, std::int32_t count, const AskedWindow& window,
                    std::optional<double> nominal);

/// The part of the quality that reads the raw (unrotated) samples: the rate, the invalid
/// samples and the spikes.
void assessRawSamples(const SampleBuffer& buffer, const WindowRecord& record, const AskedWindow& window,
                      const QualitySite& site, WindowQuality& quality);

/// The rest, from the rotated buffer and the window's statistics: coverage, gap, steady state,
/// ITC, the flag and its reasons.
void assessRotatedSamples(const SampleBuffer& buffer, const WindowRecord& record, const AskedWindow& window,
                          const WindSummary& wind, const QualitySite& site, WindowQuality& quality);

/// The source strength's interval of a window whose table row is `wind`, from the errors
/// assessRotatedSamples found; a wider one than the rules allow (or one with more than 2.5 %
/// of its draws without a value) raises flag 1 at least with `source-uncertain`.
void assessSourceInterval(SourceIntervalEstimator& estimator, const MeasurementCase& windowCase,
                          const WindSummary& wind, const QualityRules& rules, WindowQuality& quality);

}  // namespace field
