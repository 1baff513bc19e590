#pragma once
// The steady-state test of u'w' and w'Ts', the sampling errors and the spread
// of w, all from the window's 5-minute sub-records, in two passes over the
// rotated samples instead of six: each sum is the one the separate routines
// make, added in the same order, so every result has the same bits.

#include <optional>

#include "input/sample_buffer.hpp"
#include "quality/sampling_error.hpp"
#include "quality/steady_state.hpp"

namespace field {

struct SubRecordMoments {
    std::optional<double> steadyUW, steadyWTs;  // steadyStateDeviation of u and of Ts against w
    SamplingErrors errors;                      // samplingErrors
    double sigmaW = 0;                          // the population standard deviation of w
};

/// What steadyStateDeviation (u and Ts against w), samplingErrors and the standard deviation of
/// w give for the rotated window; the parts must cover every sample (parts.intervals >= 2).
SubRecordMoments subRecordMoments(const SampleBuffer& rotated, const SubIntervals& parts);

}  // namespace field
