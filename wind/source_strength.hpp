#pragma once
// The source strength: a mass balance of the deposition rings around the
// source point and the flux through the source mast's levels.

#include <vector>

#include "input/measurement_case.hpp"
#include "input/program_variant.hpp"
#include "wind/source_site.hpp"
#include "wind/wind_statistics.hpp"

namespace field {

/// Thickness each level carries once every missing sampler (c < 0) above the lowest
/// has handed its layer to the level below (float sums, level by level); 0 marks a skipped level.
/// `layers` are the thicknesses while every sampler is present; `profile` has as many levels.
std::vector<float> mastLayerThicknesses(const std::vector<float>& profile, const std::vector<float>& layers);

/// Sets summary.SourceStrength (-999 when not computable) from the case's samplers at `site`.
void computeSourceStrength(MeasurementCase sourceCase, WindSummary& summary, const ProgramVariant& variant,
                           const SourceSite& site);

}  // namespace field
