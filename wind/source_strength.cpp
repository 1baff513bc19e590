#include "wind/source_strength.hpp"

#include "wind/wind_profile.hpp"

namespace field {
namespace {

constexpr float kMissingSource = -999.0f;
constexpr float kBalanceLength = 6.0f;  // m from the source point to the second ring

/// R = (a - b)/90.0 * span + b: the difference and span in float, the rest in double.
float interpolateRing(float a, float b, float span) {
    return static_cast<float>(static_cast<double>(a - b) / 90.0 * static_cast<double>(span) + static_cast<double>(b));
}

}  // namespace

std::array<float, kSourceProfileLevels> mastLayerThicknesses(const std::array<float, kSourceProfileLevels>& profile) {
    std::array<float, kSourceProfileLevels> thickness = kMastLayerThicknesses;
    for (std::size_t i = 0; i + 1 < thickness.size(); ++i) {
        // Only a value below 0 is missing; a NaN reading keeps its layer.
        if (profile[i] < 0.0f) {
            thickness[i + 1] += thickness[i];
            thickness[i] = 0.0f;
        }
    }
    return thickness;
}

void computeSourceStrength(MeasurementCase sourceCase, WindSummary& summary, const ProgramVariant& variant) {
    const float dc = sourceCase.SourceDeposition;
    if (dc < 0.0f) {
        summary.SourceStrength = kMissingSource;
        return;
    }
    const auto& d = sourceCase.Deposition;  // d[0..7] = D1..D8
    const float direction = summary.WindDirection;
    float r1 = 0.0f;
    float r2 = 0.0f;
    // Whole quadrants between the ring samplers at 0/360, 90, 180 and 270 degrees;
    // a negative or NaN direction falls into the last quadrant.
    if (direction >= 0.0f && direction < 90.0f) {
        const float span = 90.0f - direction;
        r1 = interpolateRing(d[1], d[5], span);
        r2 = interpolateRing(d[0], d[4], span);
    } else if (direction >= 90.0f && direction < 180.0f) {
        const float span = 180.0f - direction;
        r1 = interpolateRing(d[5], d[2], span);
        r2 = interpolateRing(d[4], d[3], span);
    } else if (direction >= 180.0f && direction < 270.0f) {
        const float span = 270.0f - direction;
        r1 = interpolateRing(d[2], d[6], span);
        r2 = interpolateRing(d[3], d[7], span);
    } else {
        const float span = 360.0f - direction;
        r1 = interpolateRing(d[6], d[1], span);
        r2 = interpolateRing(d[7], d[0], span);
    }

    // Trapezoidal rule over the source point and the two rings, 3 m apart, per metre of balance length.
    float q =
        static_cast<float>((static_cast<double>(dc + r1) * 0.5 * 3.0 + static_cast<double>(r2 + r1) * 0.5 * 3.0) / 6.0);

    auto& c = sourceCase.SourceProfile;
    const std::array<float, kSourceProfileLevels> thickness = mastLayerThicknesses(c);
    constexpr std::size_t lowest = kSourceProfileLevels - 1;
    // The 0.5 m level is always processed: a missing reading there borrows c4's, even a missing c4.
    if (c[lowest] < 0.0f) c[lowest] = c[lowest - 1];
    for (std::size_t i = 0; i < thickness.size(); ++i) {
        if (thickness[i] == 0.0f) continue;  // layer handed down
        q = profileWindSpeed(kMastHeights[i], summary) * c[i] * thickness[i] / kBalanceLength + q;
        // fieldjoin marks the running sum; later flux terms are added to the marker itself.
        if (variant.testRunningSourceSum && q < 0.0f) q = kMissingSource;
    }
    if (!variant.testRunningSourceSum && q < 0.0f) q = kMissingSource;
    summary.SourceStrength = q;
}

}  // namespace field
