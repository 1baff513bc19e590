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

namespace {

void handLayersDown(const std::vector<float>& profile, std::vector<float>& thickness) {
    for (std::size_t i = 0; i + 1 < thickness.size() && i < profile.size(); ++i) {
        // Only a value below 0 is missing; a NaN reading keeps its layer.
        if (profile[i] < 0.0f) {
            thickness[i + 1] += thickness[i];
            thickness[i] = 0.0f;
        }
    }
}

}  // namespace

std::vector<float> mastLayerThicknesses(const std::vector<float>& profile, const std::vector<float>& layers) {
    std::vector<float> thickness = layers;
    handLayersDown(profile, thickness);
    return thickness;
}

SourceReadings sourceReadingsOf(const MeasurementCase& sourceCase, const SourceSite& site) {
    SourceReadings r;
    r.source = sourceCase.SourceDeposition;
    for (std::size_t k = 0; k < 4; ++k) {
        r.inner[k] = readingAt(sourceCase.Deposition, site.rings[0][k]);
        r.outer[k] = readingAt(sourceCase.Deposition, site.rings[1][k]);
    }
    r.mast = sourceCase.SourceProfile;
    r.mast.resize(site.mastLayers.size());  // a case read for this field has them all
    return r;
}

float sourceStrengthOf(const SourceReadings& readings, const WindSummary& summary, const ProgramVariant& variant,
                       const SourceSite& site, SourceScratch& scratch) {
    const float dc = readings.source;
    if (dc < 0.0f) return kMissingSource;
    // The ring samplers at 0, 90, 180 and 270 degrees, inner (a) and outer (b) ring.
    const auto& a = readings.inner;
    const auto& b = readings.outer;
    const float direction = summary.WindDirection;
    float r1 = 0.0f;
    float r2 = 0.0f;
    // Whole quadrants between the ring samplers at 0/360, 90, 180 and 270 degrees;
    // a negative or NaN direction falls into the last quadrant.
    if (direction >= 0.0f && direction < 90.0f) {
        const float span = 90.0f - direction;
        r1 = interpolateRing(a[0], a[1], span);
        r2 = interpolateRing(b[0], b[1], span);
    } else if (direction >= 90.0f && direction < 180.0f) {
        const float span = 180.0f - direction;
        r1 = interpolateRing(a[1], a[2], span);
        r2 = interpolateRing(b[1], b[2], span);
    } else if (direction >= 180.0f && direction < 270.0f) {
        const float span = 270.0f - direction;
        r1 = interpolateRing(a[2], a[3], span);
        r2 = interpolateRing(b[2], b[3], span);
    } else {
        const float span = 360.0f - direction;
        r1 = interpolateRing(a[3], a[0], span);
        r2 = interpolateRing(b[3], b[0], span);
    }

    // Trapezoidal rule over the source point and the two rings, per metre of balance length.
    float q = static_cast<float>((static_cast<double>(dc + r1) * 0.5 * site.innerRadius +
                                  static_cast<double>(r2 + r1) * 0.5 * site.ringSpacing) /
                                 site.balanceLength);

    std::vector<float>& c = scratch.mast;
    c.assign(readings.mast.begin(), readings.mast.end());
    c.resize(site.mastLayers.size());
    std::vector<float>& thickness = scratch.thickness;
    thickness.assign(site.mastLayers.begin(), site.mastLayers.end());
    handLayersDown(c, thickness);
    const float balanceLength = static_cast<float>(site.balanceLength);
    const std::size_t lowest = c.size() - 1;
    // The lowest level is always processed: a missing reading there borrows the one above's, even a missing one.
    if (c.size() >= 2 && c[lowest] < 0.0f) c[lowest] = c[lowest - 1];
    const ProfileCorrections psi = profileCorrections(summary, site);
    for (std::size_t i = 0; i < thickness.size(); ++i) {
        if (thickness[i] == 0.0f) continue;  // layer handed down
        q = profileWindSpeed(site.mastHeights[i], summary, site, psi) * c[i] * thickness[i] / balanceLength + q;
        // fieldjoin marks the running sum; later flux terms are added to the marker itself.
        if (variant.testRunningSourceSum && q < 0.0f) q = kMissingSource;
    }
    if (!variant.testRunningSourceSum && q < 0.0f) q = kMissingSource;
    return q;
}

void computeSourceStrength(MeasurementCase sourceCase, WindSummary& summary, const ProgramVariant& variant,
                           const SourceSite& site) {
    SourceScratch scratch;
    summary.SourceStrength = sourceStrengthOf(sourceReadingsOf(sourceCase, site), summary, variant, site, scratch);
}

}  // namespace field
