#pragma once
// The source strength: a mass balance of the deposition rings around the
// source point and the flux through the source mast's levels.

#include <array>
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

/// What the mass balance reads of a case: the source point, the rings, the mast.
struct SourceReadings {
    float source = 0;              // the source point's deposition; below 0: missing
    std::array<float, 4> inner{};  // at 0, 90, 180 and 270 degrees
    std::array<float, 4> outer{};
    std::vector<float> mast;  // the mast's levels, top first, one per level of the site
};

/// The readings of `sourceCase` at `site` (one the block did not hold counts as 0, a level it
/// did not hold as 0 too).
SourceReadings sourceReadingsOf(const MeasurementCase& sourceCase, const SourceSite& site);

/// Room a source strength works in, kept from call to call so that repeated calls allocate nothing.
struct SourceScratch {
    std::vector<float> mast, thickness;
};

/// The source strength (-999 when not computable) of `readings` under the summary's
/// WindDirection, UStar and L at `site`; the function the table's value comes from.
float sourceStrengthOf(const SourceReadings& readings, const WindSummary& summary, const ProgramVariant& variant,
                       const SourceSite& site, SourceScratch& scratch);

/// Sets summary.SourceStrength (-999 when not computable) from the case's samplers at `site`.
void computeSourceStrength(MeasurementCase sourceCase, WindSummary& summary, const ProgramVariant& variant,
                           const SourceSite& site);

}  // namespace field
