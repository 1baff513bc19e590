#include "wind/wind_statistics.hpp"

#include <cmath>

#include "wind/source_strength.hpp"
#include "wind/wind_profile.hpp"

namespace field {
namespace {

// The von Karman constant 0.4 times gravity 9.8, as the product of the two
// doubles: 3.9200000000000004, one unit in the last place above the literal 3.92.
constexpr double kKarmanTimesGravity = 0.4 * 9.8;
static_assert(kKarmanTimesGravity > 3.92);

}  // namespace

float covarianceWithW(const SampleBuffer& buffer, const float* x, float meanX, float avgW) {
    const float* w = buffer.w.data();
    float sum = 0.0f;  // +0, so a window without heat flux gives L = -infinity, not +infinity
    for (std::int32_t i = 0; i < buffer.count; ++i) sum += (x[i] - meanX) * (w[i] - avgW);
    if (buffer.count > 1) return sum / static_cast<float>(buffer.count - 1);
    return sum;
}

namespace {

/// Float sum of `x[0..count)` in index order divided by n.
float meanOf(const float* x, std::int32_t count, float n) {
    float sum = 0.0f;
    for (std::int32_t i = 0; i < count; ++i) sum += x[i];
    return sum / n;
}

/// Population standard deviation about `mean`: float sum of squares over n, root in double.
float standardDeviation(const float* x, std::int32_t count, float mean, float n) {
    float sum = 0.0f;
    for (std::int32_t i = 0; i < count; ++i) {
        const float d = x[i] - mean;
        sum += d * d;
    }
    return static_cast<float>(std::sqrt(static_cast<double>(sum / n)));
}

}  // namespace

void rotateSamples(SampleBuffer& buffer) {
    const std::int32_t count = buffer.count;
    const float n = static_cast<float>(count);
    float* u = buffer.u.data();
    float* v = buffer.v.data();
    float* w = buffer.w.data();
    // Raw means come from the running sums, not from a new pass over the arrays.
    const float meanU = buffer.sumU / n;
    const float meanV = buffer.sumV / n;
    const float meanW = buffer.sumW / n;
    // A NaN mean compares unequal, so an empty window still takes this branch.
    if (meanV != 0.0f || meanW != 0.0f) {
        // The one-argument arctangent keeps the rotated mean u on the sign of the raw mean u.
        const float alpha = static_cast<float>(std::atan(static_cast<double>(meanV / meanU)));
        const float sa = static_cast<float>(std::sin(static_cast<double>(alpha)));
        const float ca = static_cast<float>(std::cos(static_cast<double>(alpha)));
        const float beta = static_cast<float>(std::atan(static_cast<double>(meanW / (ca * meanU + sa * meanV))));
        if (count > 0) {
            const float sb = static_cast<float>(std::sin(static_cast<double>(beta)));
            const float cb = static_cast<float>(std::cos(static_cast<double>(beta)));
            for (std::int32_t i = 0; i < count; ++i) {
                const float ui = u[i];
                const float vi = v[i];
                const float wi = w[i];
                const float x = sa * vi + ca * ui;
                v[i] = ca * vi - sa * ui;
                u[i] = sb * wi + cb * x;
                w[i] = cb * wi - sb * x;
            }
        }
    }
}

void computeWindSummary(SampleBuffer& buffer, WindSummary& summary, const MeasurementCase& windowCase,
                        const ProgramVariant& variant) {
    const std::int32_t count = buffer.count;
    const float n = static_cast<float>(count);
    const float* u = buffer.u.data();
    const float* v = buffer.v.data();
    const float* w = buffer.w.data();
    const float* ts = buffer.Ts.data();

    const float meanU = buffer.sumU / n;
    const float meanV = buffer.sumV / n;
    summary.AvgTs = buffer.sumTs / n;

    summary.WindSpeed = static_cast<float>(std::sqrt(static_cast<double>(meanU * meanU + meanV * meanV)));
    const float theta = static_cast<float>(std::atan2(static_cast<double>(meanU), static_cast<double>(meanV)));
    summary.WindDirection =
        static_cast<float>(static_cast<double>(theta) * 180.0 / static_cast<double>(kPiRoundedDown) + 180.0);

    rotateSamples(buffer);

    summary.AvgU = meanOf(u, count, n);
    summary.AvgV = meanOf(v, count, n);
    summary.AvgW = meanOf(w, count, n);

    const float cuw = covarianceWithW(buffer, u, summary.AvgU, summary.AvgW);
    const float cvw = covarianceWithW(buffer, v, summary.AvgV, summary.AvgW);
    const float cTw = covarianceWithW(buffer, ts, summary.AvgTs, summary.AvgW);

    summary.UStar = static_cast<float>(std::pow(static_cast<double>(cuw * cuw + cvw * cvw), 0.25));
    const float uStarCubed = static_cast<float>(std::pow(static_cast<double>(summary.UStar), 3.0));
    summary.L = static_cast<float>(-(static_cast<double>(uStarCubed) * (static_cast<double>(summary.AvgTs) + 273.15)) /
                                   (static_cast<double>(cTw) * kKarmanTimesGravity));

    if (variant.standardDeviations) {
        summary.UStd = standardDeviation(u, count, summary.AvgU, n);
        summary.VStd = standardDeviation(v, count, summary.AvgV, n);
        summary.WStd = standardDeviation(w, count, summary.AvgW, n);
        summary.TsStd = standardDeviation(ts, count, summary.AvgTs, n);
    }

    computeSourceStrength(windowCase, summary, variant);
    if (variant.windProfile) computeWindProfile(summary);
}

}  // namespace field
