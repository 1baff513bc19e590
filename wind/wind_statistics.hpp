#pragma once
// The statistics of one window's accepted samples: the double rotation, means,
// covariances, friction velocity and Obukhov length.

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "input/measurement_case.hpp"
#include "input/program_variant.hpp"
#include "input/sample_buffer.hpp"
#include "wind/source_site.hpp"

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
    std::vector<float> UZ;  // at the mast heights, top first (fieldjoin)
    // Not columns: the rotated covariances u* and L come from, for the quality's uncertainty.
    float covUW = 0.0f, covVW = 0.0f, covWTs = 0.0f;
};

/// The double rotation of a window: u along the mean wind, mean v and mean w zero, the
/// angles from the running sums. Applied to one sample at a time, so the samples stay as read.
class Rotation {
public:
    explicit Rotation(const SampleBuffer& buffer);
    /// False where the window needs none (mean v and w zero) or holds no sample.
    bool turns() const { return turns_; }
    /// Turns one sample, in float, in the order every statistic has always used.
    void apply(float& u, float& v, float& w) const {
        if (!turns_) return;
        const float ui = u, vi = v, wi = w;
        const float x = sa_ * vi + ca_ * ui;
        v = ca_ * vi - sa_ * ui;
        u = sb_ * wi + cb_ * x;
        w = cb_ * wi - sb_ * x;
    }

private:
    float sa_ = 0.0f, ca_ = 1.0f, sb_ = 0.0f, cb_ = 1.0f;
    bool turns_ = false;
};

/// The rotated window's moments: means, covariances with w and standard deviations.
struct RotatedMoments {
    float avgU = 0.0f, avgV = 0.0f, avgW = 0.0f;
    float uw = 0.0f, vw = 0.0f, tw = 0.0f;  // covariances of u, v and Ts with w
    float uStd = 0.0f, vStd = 0.0f, wStd = 0.0f, tsStd = 0.0f;
};

/// A covariance from its sum of products: divided by (count - 1) when count > 1, else as it is.
float covarianceFromSum(float sum, std::int32_t count);

/// The moments of the window in the mean-wind frame, about the means (Ts about `avgTs`); the
/// buffer is read, never written.
RotatedMoments rotatedMoments(const SampleBuffer& buffer, float avgTs);

/// Rotates a buffer's samples in place, as Rotation turns them; for a copy of a window.
void rotateSamples(SampleBuffer& buffer);

/// u* from the rotated covariances of u and v with w, in float as the tables take it.
float frictionVelocity(float uw, float vw);

/// The Obukhov length from u*, the mean sonic temperature (degrees C) and cov(w, Ts).
float obukhovLength(float uStar, float avgTs, float wTs);

/// The statistics of a window's row: mean wind, speed and direction, the rotated moments, u*
/// and L, then the source strength and, where the variant says so, the wind profile. Reads the
/// buffer, never writes it.
void summariseWindow(const SampleBuffer& buffer, WindSummary& summary, const MeasurementCase& windowCase,
                     const ProgramVariant& variant, const SourceSite& site);

}  // namespace field
