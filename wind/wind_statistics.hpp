#pragma once
// The statistics of one window's accepted samples: the double rotation, means,
// covariances, friction velocity and Obukhov length.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "input/measurement_case.hpp"
#include "input/program_variant.hpp"
#include "input/sample_buffer.hpp"

namespace field {

/// Statistics of one window; fields are named after their column keys.
struct WindSummary {
    float SourceStrength = 0.0f;
    float UStar = 0.0f;
    float L = 0.0f;
    float WindSpeed = 0.0f;
    float WindDirection = 0.0f;
    float AvgU = 0.0f;
    float UStd = 0.0f;
    float AvgV = 0.0f;
    float VStd = 0.0f;
    float AvgW = 0.0f;
    float WStd = 0.0f;
    float AvgTs = 0.0f;
    float TsStd = 0.0f;
    std::array<float, 5> UZ{};  // 5, 3.15, 2.225, 1.3, 0.5 m
};

/// Covariance of `x` with the rotated w of the buffer: float sum in index order,
/// divided by (count - 1) when count > 1, else returned undivided.
float covarianceWithW(const SampleBuffer& buffer, const float* x, float meanX, float avgW);

/// The double rotation, in place: u along the mean wind, mean v and mean w zero (angles
/// from the running sums); computeWindSummary's first step, for whoever needs only that.
void rotateSamples(SampleBuffer& buffer);

/// Rotates the buffer in place and fills `summary` (then the source strength and,
/// where the variant says so, the wind profile). One pass per statistic, no allocation.
void computeWindSummary(SampleBuffer& buffer, WindSummary& summary, const MeasurementCase& windowCase,
                        const ProgramVariant& variant);

}  // namespace field
