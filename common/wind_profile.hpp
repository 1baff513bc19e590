#pragma once
// Stability-corrected wind profile over the canopy and the source strength
// from the samplers around the source point.

#include <array>

#include "common/field_layout.hpp"
#include "common/measurement_case.hpp"
#include "common/program_variant.hpp"
#include "common/wind_statistics.hpp"

namespace field {

inline constexpr float kSinglePi = 3.1415925f;  // the value of pi used by every statistic

/// Heights (m) of the source-mast samplers c1..c5, top to bottom.
inline constexpr std::array<float, kSourceProfileLevels> kMastHeights = [] {
    std::array<float, kSourceProfileLevels> heights{};
    const auto metres = sourceMastHeights(kFenceLayout);
    for (std::size_t i = 0; i < heights.size(); ++i) heights[i] = static_cast<float>(metres[i]);
    return heights;
}();
/// Layer thickness (m) of each mast level while every sampler is present.
inline constexpr std::array<float, kSourceProfileLevels> kMastLayerThicknesses{1.85f, 1.3875f, 0.925f, 0.8625f, 0.9f};

/// Thickness each level carries once every missing sampler (c < 0) above the lowest
/// has handed its layer to the level below (float sums, level by level); 0 marks a skipped level.
std::array<float, kSourceProfileLevels> mastLayerThicknesses(const std::array<float, kSourceProfileLevels>& profile);

/// psi(height) from the summary's L (unstable branch for L < 0, else -5 height / L).
float stabilityCorrection(float height, const WindSummary& summary);

/// Modelled wind speed at height z from the summary's UStar and L.
float profileWindSpeed(float z, const WindSummary& summary);

/// Sets summary.SourceStrength (-999 when not computable) from the case's samplers.
void computeSourceStrength(MeasurementCase sourceCase, WindSummary& summary, const ProgramVariant& variant);

/// Sets the five summary.UZ values at the mast heights.
void computeWindProfile(WindSummary& summary);

}  // namespace field
