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

Rotation::Rotation(const SampleBuffer& buffer) {
    const float n = static_cast<float>(buffer.count);
    // Raw means come from the running sums, not from a new pass over the arrays.
    const float meanU = buffer.sumU / n;
    const float meanV = buffer.sumV / n;
    const float meanW = buffer.sumW / n;
    // A NaN mean compares unequal, so an empty window still takes this branch.
    if (meanV != 0.0f || meanW != 0.0f) {
        // The one-argument arctangent keeps the rotated mean u on the sign of the raw mean u.
        const float alpha = static_cast<float>(std::atan(static_cast<double>(meanV / meanU)));
        sa_ = static_cast<float>(std::sin(static_cast<double>(alpha)));
        ca_ = static_cast<float>(std::cos(static_cast<double>(alpha)));
        const float beta = static_cast<float>(std::atan(static_cast<double>(meanW / (ca_ * meanU + sa_ * meanV))));
        if (buffer.count > 0) {
            sb_ = static_cast<float>(std::sin(static_cast<double>(beta)));
            cb_ = static_cast<float>(std::cos(static_cast<double>(beta)));
            turns_ = true;
        }
    }
}

void rotateSamples(SampleBuffer& buffer) {
    const Rotation rotation(buffer);
    if (!rotation.turns()) return;
    for (std::int32_t i = 0; i < buffer.count; ++i) {
        const auto k = static_cast<std::size_t>(i);
        rotation.apply(buffer.u[k], buffer.v[k], buffer.w[k]);
    }
}

float covarianceFromSum(float sum, std::int32_t count) {
    if (count > 1) return sum / static_cast<float>(count - 1);
    return sum;
}

RotatedMoments rotatedMoments(const SampleBuffer& buffer, float avgTs) {
    const std::int32_t count = buffer.count;
    const float n = static_cast<float>(count);
    const Rotation rotation(buffer);
    const float* rawU = buffer.u.data();
    const float* rawV = buffer.v.data();
    const float* rawW = buffer.w.data();
    const float* ts = buffer.Ts.data();
    // Two passes, each sample rotated as it is read. Every sum has its own accumulator,
    // in float and in index order, so each is the sum a pass of its own would give.
    float sumU = 0.0f, sumV = 0.0f, sumW = 0.0f;
    for (std::int32_t i = 0; i < count; ++i) {
        float u = rawU[i], v = rawV[i], w = rawW[i];
        rotation.apply(u, v, w);
        sumU += u;
        sumV += v;
        sumW += w;
    }
    RotatedMoments m;
    m.avgU = sumU / n;
    m.avgV = sumV / n;
    m.avgW = sumW / n;
    // +0 starts: a window without heat flux gives L = -infinity, not +infinity.
    float uw = 0.0f, vw = 0.0f, tw = 0.0f, uu = 0.0f, vv = 0.0f, ww = 0.0f, tt = 0.0f;
    for (std::int32_t i = 0; i < count; ++i) {
        float u = rawU[i], v = rawV[i], w = rawW[i];
        rotation.apply(u, v, w);
        const float du = u - m.avgU, dv = v - m.avgV, dw = w - m.avgW, dt = ts[i] - avgTs;
        uw += du * dw;
        vw += dv * dw;
        tw += dt * dw;
        uu += du * du;
        vv += dv * dv;
        ww += dw * dw;
        tt += dt * dt;
    }
    m.uw = covarianceFromSum(uw, count);
    m.vw = covarianceFromSum(vw, count);
    m.tw = covarianceFromSum(tw, count);
    // Population standard deviations: the float sum of squares over n, the root in double.
    m.uStd = static_cast<float>(std::sqrt(static_cast<double>(uu / n)));
    m.vStd = static_cast<float>(std::sqrt(static_cast<double>(vv / n)));
    m.wStd = static_cast<float>(std::sqrt(static_cast<double>(ww / n)));
    m.tsStd = static_cast<float>(std::sqrt(static_cast<double>(tt / n)));
    return m;
}

float frictionVelocity(float uw, float vw) {
    return static_cast<float>(std::pow(static_cast<double>(uw * uw + vw * vw), 0.25));
}

float obukhovLength(float uStar, float avgTs, float wTs) {
    const float uStarCubed = static_cast<float>(std::pow(static_cast<double>(uStar), 3.0));
    return static_cast<float>(-(static_cast<double>(uStarCubed) * (static_cast<double>(avgTs) + 273.15)) /
                              (static_cast<double>(wTs) * kKarmanTimesGravity));
}

void summariseWindow(const SampleBuffer& buffer, WindSummary& summary, const MeasurementCase& windowCase,
                     const ProgramVariant& variant, const SourceSite& site) {
    const float n = static_cast<float>(buffer.count);
    const float meanU = buffer.sumU / n;
    const float meanV = buffer.sumV / n;
    summary.AvgTs = buffer.sumTs / n;

    summary.WindSpeed = static_cast<float>(std::sqrt(static_cast<double>(meanU * meanU + meanV * meanV)));
    const float theta = static_cast<float>(std::atan2(static_cast<double>(meanU), static_cast<double>(meanV)));
    summary.WindDirection =
        static_cast<float>(static_cast<double>(theta) * 180.0 / static_cast<double>(kPiRoundedDown) + 180.0);

    const RotatedMoments m = rotatedMoments(buffer, summary.AvgTs);
    summary.AvgU = m.avgU;
    summary.AvgV = m.avgV;
    summary.AvgW = m.avgW;

    summary.covUW = m.uw;
    summary.covVW = m.vw;
    summary.covWTs = m.tw;
    summary.UStar = frictionVelocity(m.uw, m.vw);
    summary.L = obukhovLength(summary.UStar, summary.AvgTs, m.tw);

    if (variant.standardDeviations) {
        summary.UStd = m.uStd;
        summary.VStd = m.vStd;
        summary.WStd = m.wStd;
        summary.TsStd = m.tsStd;
    }

    computeSourceStrength(windowCase, summary, variant, site);
    if (variant.windProfile) computeWindProfile(summary, site);
}

}  // namespace field
