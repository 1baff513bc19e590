#pragma once
// The source strength: a mass balance of the deposition rings around the
// source point and the flux through the source mast's levels.

#include <array>

#include "input/measurement_case.hpp"
#include "input/program_variant.hpp"
#include "wind/wind_statistics.hpp"

namespace field {

/// Layer thickness (m) of each mast level while every sampler is present.
inline constexpr std::array<float, kSourceProfileLevels> kMastLayerThicknesses{1.85f, 1.3875f, 0.925f, 0.8625f, 0.9f};

/// Thickness each level carries once every missing sampler (c < 0) above the lowest
/// has handed its layer to the level below (float sums, level by level); 0 marks a skipped level.
std::array<float, kSourceProfileLevels> mastLayerThicknesses(const std::array<float, kSourceProfileLevels>& profile);

/// Sets summary.SourceStrength (-999 when not computable) from the case's samplers.
void computeSourceStrength(MeasurementCase sourceCase, WindSummary& summary, const ProgramVariant& variant);

}  // namespace field
