#pragma once
// The random sampling error of a window's fluxes and wind direction, from the
// spread of its sub-records (Vickers and Mahrt 1997): the standard error of the
// mean of the sub-record values. Costs one pass over the window, whatever its
// length; the sub-records are the steady-state test's 5-minute sub-intervals.

#include <cstdint>
#include <limits>
#include <vector>

#include "input/sample_buffer.hpp"
#include "quality/steady_state.hpp"

namespace field {

struct SamplingErrors {
    static constexpr double kUnknown = std::numeric_limits<double>::quiet_NaN();
    double uw = kUnknown;   // m2/s2: standard error of cov(u, w)
    double vw = kUnknown;   // m2/s2: of cov(v, w)
    double wTs = kUnknown;  // K m/s: of cov(w, Ts)
    double directionDegrees = kUnknown;
    std::uint32_t subRecords = 0;  // those holding two samples or more

    /// True when every error is a number (two sub-records or more, no invalid sample).
    bool known() const;
};

/// One sub-record's sums: samples, the flux products about the window's means, and u and v.
struct SubRecordSums {
    double n = 0, uw = 0, vw = 0, tw = 0, u = 0, v = 0;
};

/// The errors from the sub-records' sums (those below two samples left out).
SamplingErrors samplingErrorsOf(const std::vector<SubRecordSums>& sums);

/// The errors of a rotated window's fluxes about the window's means, and of its direction (the
/// angle of each sub-record's mean horizontal wind in the mean-wind frame); unknown below two
/// sub-records that hold two samples.
SamplingErrors samplingErrors(const SampleBuffer& rotated, const SubIntervals& parts);

}  // namespace field
