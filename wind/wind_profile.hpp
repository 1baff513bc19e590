#pragma once
// The stability-corrected wind profile over the canopy.

#include "wind/source_site.hpp"
#include "wind/wind_statistics.hpp"

namespace field {

// pi as every statistic takes it: 3.1415925, the float just below pi (not the nearest float, 3.1415927).
inline constexpr float kPiRoundedDown = 3.1415925f;

/// psi(height) from the summary's L (unstable branch for L < 0, else -5 height / L).
float stabilityCorrection(float height, const WindSummary& summary);

/// psi at the roughness length and at the canopy height: what every height's speed of a window shares.
struct ProfileCorrections {
    float atRoughness = 0;
    float atCanopy = 0;
};

/// The two corrections of the summary's L at the site.
ProfileCorrections profileCorrections(const WindSummary& summary, const SourceSite& site);

/// Modelled wind speed at height z from the summary's UStar and L over the site's canopy.
float profileWindSpeed(float z, const WindSummary& summary, const SourceSite& site);

/// The same, with the corrections made once for the window (the same value bit for bit).
float profileWindSpeed(float z, const WindSummary& summary, const SourceSite& site, const ProfileCorrections& psi);

/// Sets summary.UZ, a value at each of the site's mast heights.
void computeWindProfile(WindSummary& summary, const SourceSite& site);

}  // namespace field
