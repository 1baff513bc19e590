#include "wind/source_strength.hpp"

#include "wind/wind_profile.hpp"

namespace field {
namespace {

constexpr float kMissingSource = -999.0f;

/// R = (a - b)/90.0 * span + b: the difference and span in float, the rest in double.
float interpolateRing(float a, float b, float span) {
    return static_cast<float>(static_cast<double>(a - b) / 90.0 * static_cast<double>(span) + static_cast<double>(b));
}

// A reading of the case; one the block did not hold counts as 0.
float readingAt(const std::vector<float>& readings, int index) {
    const auto i = static_cast<std::size_t>(index);
    return i < readings.size() ? readings[i] : 0.0f;
}

}  // namespace

std::vector<float> mastLayerThicknesses(const std::vector<float>& profile, const std::vector<float>& layers) {
    std::vector<float> thickness = layers;
    for (std::size_t i = 0; i + 1 < thickness.size() && i < profile.size(); ++i) {
        // Only a value below 0 is missing; a NaN reading keeps its layer.
        if (profile[i] < 0.0f) {
            thickness[i + 1] += thickness[i];
            thickness[i] = 0.0f;
        }
    }
    return thickness;
}

void computeSourceStrength(MeasurementCase sourceCase, WindSummary& summary, const ProgramVariant& variant,
                           const SourceSite& site) {
    const float dc = sourceCase.SourceDeposition;
    if (dc < 0.0f) {
        summary.SourceStrength = kMissingSource;
        return;
    }
    // The ring samplers at 0, 90, 180 and 270 degrees, inner (a) and outer (b) ring.
    const auto& d = sourceCase.Deposition;
    const auto& inner = site.rings[0];
    const auto& outer = site.rings[1];
    const float a0 = readingAt(d, inner[0]), a90 = readingAt(d, inner[1]), a180 = readingAt(d, inner[2]),
                a270 = readingAt(d, inner[3]);
    const float b0 = readingAt(d, outer[0]), b90 = readingAt(d, outer[1]), b180 = readingAt(d, outer[2]),
                b270 = readingAt(d, outer[3]);
    const float direction = summary.WindDirection;
    float r1 = 0.0f;
    float r2 = 0.0f;
    // Whole quadrants between the ring samplers at 0/360, 90, 180 and 270 degrees;
    // a negative or NaN direction falls into the last quadrant.
    if (direction >= 0.0f && direction < 90.0f) {
        const float span = 90.0f - direction;
        r1 = interpolateRing(a0, a90, span);
        r2 = interpolateRing(b0, b90, span);
    } else if (direction >= 90.0f && direction < 180.0f) {
        const float span = 180.0f - direction;
        r1 = interpolateRing(a90, a180, span);
        r2 = interpolateRing(b90, b180, span);
    } else if (direction >= 180.0f && direction < 270.0f) {
        const float span = 270.0f - direction;
        r1 = interpolateRing(a180, a270, span);
        r2 = interpolateRing(b180, b270, span);
    } else {
        const float span = 360.0f - direction;
        r1 = interpolateRing(a270, a0, span);
        r2 = interpolateRing(b270, b0, span);
    }

    // Trapezoidal rule over the source point and the two rings, per metre of balance length.
    float q = static_cast<float>((static_cast<double>(dc + r1) * 0.5 * site.innerRadius +
                                  static_cast<double>(r2 + r1) * 0.5 * site.ringSpacing) /
                                 site.balanceLength);

    auto& c = sourceCase.SourceProfile;
    c.resize(site.mastLayers.size());  // a case read for this field has them all
    const std::vector<float> thickness = mastLayerThicknesses(c, site.mastLayers);
    const float balanceLength = static_cast<float>(site.balanceLength);
    const std::size_t lowest = c.size() - 1;
    // The lowest level is always processed: a missing reading there borrows the one above's, even a missing one.
    if (c.size() >= 2 && c[lowest] < 0.0f) c[lowest] = c[lowest - 1];
    for (std::size_t i = 0; i < thickness.size(); ++i) {
        if (thickness[i] == 0.0f) continue;  // layer handed down
        q = profileWindSpeed(site.mastHeights[i], summary, site) * c[i] * thickness[i] / balanceLength + q;
        // fieldjoin marks the running sum; later flux terms are added to the marker itself.
        if (variant.testRunningSourceSum && q < 0.0f) q = kMissingSource;
    }
    if (!variant.testRunningSourceSum && q < 0.0f) q = kMissingSource;
    summary.SourceStrength = q;
}

}  // namespace field
