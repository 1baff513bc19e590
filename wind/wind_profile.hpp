#pragma once
// The stability-corrected wind profile over the canopy.

#include <array>

#include "input/field_layout.hpp"
#include "input/measurement_case.hpp"
#include "input/program_variant.hpp"
#include "wind/wind_statistics.hpp"

namespace field {

// pi as every statistic takes it: 3.1415925, the float just below pi (not the nearest float, 3.1415927).
inline constexpr float kPiRoundedDown = 3.1415925f;

/// Heights (m) of the source-mast samplers c1..c5, top to bottom.
inline constexpr std::array<float, kSourceProfileLevels> kMastHeights = [] {
    std::array<float, kSourceProfileLevels> heights{};
    const auto metres = sourceMastHeights(kFenceLayout);
    for (std::size_t i = 0; i < heights.size(); ++i) heights[i] = static_cast<float>(metres[i]);
    return heights;
}();
/// psi(height) from the summary's L (unstable branch for L < 0, else -5 height / L).
float stabilityCorrection(float height, const WindSummary& summary);

/// Modelled wind speed at height z from the summary's UStar and L.
float profileWindSpeed(float z, const WindSummary& summary);

/// Sets the five summary.UZ values at the mast heights.
void computeWindProfile(WindSummary& summary);

}  // namespace field
