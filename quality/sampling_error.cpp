#include "quality/sampling_error.hpp"

#include <cmath>
#include <numbers>
#include <vector>

namespace field {
namespace {

// The standard error of the mean of `values`: their sample standard deviation over sqrt(n).
double standardErrorOfMean(const std::vector<double>& values) {
    const auto n = static_cast<double>(values.size());
    double mean = 0;
    for (const double v : values) mean += v;
    mean /= n;
    double squares = 0;
    for (const double v : values) squares += (v - mean) * (v - mean);
    return std::sqrt(squares / (n - 1.0) / n);
}

}  // namespace

bool SamplingErrors::known() const {
    return std::isfinite(uw) && std::isfinite(vw) && std::isfinite(wTs) && std::isfinite(directionDegrees);
}

SamplingErrors samplingErrors(const SampleBuffer& rotated, const SubIntervals& parts) {
    SamplingErrors errors;
    if (parts.intervals < 2) return errors;
    const auto count = static_cast<std::size_t>(parts.count);
    const float* u = rotated.u.data();
    const float* v = rotated.v.data();
    const float* w = rotated.w.data();
    const float* t = rotated.Ts.data();
    double mu = 0, mv = 0, mw = 0, mt = 0;
    for (std::size_t i = 0; i < count; ++i) {
        mu += u[i];
        mv += v[i];
        mw += w[i];
        mt += t[i];
    }
    const auto n = static_cast<double>(count);
    mu /= n;
    mv /= n;
    mw /= n;
    mt /= n;

    std::vector<SubRecordSums> sums(parts.intervals);
    for (std::size_t i = 0; i < count; ++i) {
        SubRecordSums& p = sums[parts.of(i)];
        const double dw = w[i] - mw;
        p.n += 1;
        p.uw += (u[i] - mu) * dw;
        p.vw += (v[i] - mv) * dw;
        p.tw += (t[i] - mt) * dw;
        p.u += u[i];
        p.v += v[i];
    }
    return samplingErrorsOf(sums);
}

SamplingErrors samplingErrorsOf(const std::vector<SubRecordSums>& sums) {
    SamplingErrors errors;
    std::vector<double> uw, vw, tw, direction;
    for (const SubRecordSums& p : sums) {
        if (p.n < 2) continue;
        uw.push_back(p.uw / (p.n - 1));
        vw.push_back(p.vw / (p.n - 1));
        tw.push_back(p.tw / (p.n - 1));
        // The one-argument arctangent: the mean-wind frame's u may point against the wind.
        direction.push_back(std::atan(p.v / p.u) * 180.0 / std::numbers::pi);
    }
    errors.subRecords = static_cast<std::uint32_t>(uw.size());
    if (uw.size() < 2) return errors;
    errors.uw = standardErrorOfMean(uw);
    errors.vw = standardErrorOfMean(vw);
    errors.wTs = standardErrorOfMean(tw);
    errors.directionDegrees = standardErrorOfMean(direction);
    return errors;
}

}  // namespace field
