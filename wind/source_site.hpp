#pragma once
// What the source strength and the wind profile take from the campaign for one
// field, in the precision the statistics compute in; made once per run.

#include <array>
#include <vector>

#include "input/campaign.hpp"

namespace field {

struct SourceSite {
    double canopyHeightValue = 0;               // h, m, as the campaign gives it
    double roughnessLengthValue = 0;            // z0, m, as the campaign gives it
    float canopyHeight = 0;                     // h, m
    float roughnessLength = 0;                  // z0, m
    float logCanopyOverRoughness = 0;           // ln(h/z0) of the decimal values, rounded once to float
    std::vector<float> mastHeights;             // m, top first
    std::vector<float> mastLayers;              // m, the layer of air each level stands for
    std::array<std::array<int, 4>, 2> rings{};  // deposition readings at 0, 90, 180, 270 degrees, inner ring first
    double innerRadius = 0;                     // m: source point to the inner ring
    double ringSpacing = 0;                     // m: inner ring to the outer ring
    double balanceLength = 0;                   // m, per which the source strength is given
};

/// Sets the canopy height and the roughness length, and the floats made of them.
void setProfileSite(SourceSite& site, double canopyHeight, double roughnessLength);

/// The source site of `field` in `campaign`.
SourceSite sourceSiteOf(const Campaign& campaign, const FieldLayout& field);

}  // namespace field
