#include "wind/source_site.hpp"

#include <cmath>

namespace field {

void setProfileSite(SourceSite& site, double canopyHeight, double roughnessLength) {
    site.canopyHeightValue = canopyHeight;
    site.roughnessLengthValue = roughnessLength;
    site.canopyHeight = static_cast<float>(canopyHeight);
    site.roughnessLength = static_cast<float>(roughnessLength);
    // Of the decimals, not of the float quotient: ln(1.3 / 0.13) gives the float of ln(10).
    site.logCanopyOverRoughness = static_cast<float>(std::log(canopyHeight / roughnessLength));
}

SourceSite sourceSiteOf(const Campaign& campaign, const FieldLayout& field) {
    SourceSite site;
    setProfileSite(site, campaign.profile.canopyHeight, campaign.profile.roughnessLength);
    for (const MastLevel& level : field.mast) {
        site.mastHeights.push_back(static_cast<float>(level.height));
        site.mastLayers.push_back(static_cast<float>(level.layer));
    }
    for (std::size_t r = 0; r < 2; ++r) site.rings[r] = field.rings[r].atBearing;
    site.innerRadius = field.rings[0].radius;
    site.ringSpacing = field.rings[1].radius - field.rings[0].radius;
    site.balanceLength = field.balanceLength;
    return site;
}

}  // namespace field
