#include "wind/wind_profile.hpp"

#include <cmath>

namespace field {

namespace {

constexpr double kVonKarman = 0.4;

}  // namespace

float stabilityCorrection(float height, const WindSummary& summary) {
    const double l = static_cast<double>(summary.L);
    const double z = static_cast<double>(height);
    if (summary.L < 0.0f) {
        const float x = static_cast<float>(std::sqrt(std::sqrt(1.0 - 15.0 * z / l)));
        // x*x + 1 is float but (x + 1)*0.5 is double: only this mix reproduces the
        // reference values psi(z0) = 0.0211182 and psi(5) = 0.473891.
        const float arcTangent = static_cast<float>(std::atan(static_cast<double>(x)));
        const double psi = std::log(static_cast<double>(x * x + 1.0f) * 0.5) +
                           2.0 * std::log((static_cast<double>(x) + 1.0) * 0.5) -
                           static_cast<double>(2.0f * arcTangent) + static_cast<double>(kPiRoundedDown / 2.0f);
        return static_cast<float>(psi);
    }
    // Stable, neutral (L = +-inf gives -0 or +0) and NaN L all take this branch.
    return static_cast<float>(-5.0 * z / l);
}

ProfileCorrections profileCorrections(const WindSummary& summary, const SourceSite& site) {
    return {stabilityCorrection(site.roughnessLength, summary), stabilityCorrection(site.canopyHeight, summary)};
}

float profileWindSpeed(float z, const WindSummary& summary, const SourceSite& site) {
    return profileWindSpeed(z, summary, site, profileCorrections(summary, site));
}

float profileWindSpeed(float z, const WindSummary& summary, const SourceSite& site, const ProfileCorrections& psi) {
    const double k = static_cast<double>(summary.UStar) / kVonKarman;
    const float h = site.canopyHeight;
    if (z <= h) {
        // ln(h/z0) is of the decimal values rounded to float, not the log of the float quotient.
        const float bracket = site.logCanopyOverRoughness - psi.atCanopy + psi.atRoughness;
        const float uh = static_cast<float>(static_cast<double>(bracket) * k);
        const float ratio = z / h;
        return static_cast<float>(std::exp(2.0 * (static_cast<double>(ratio) - 1.0)) * static_cast<double>(uh));
    }
    const float logZOverZ0 = static_cast<float>(std::log(static_cast<double>(z / site.roughnessLength)));
    const float bracket = logZOverZ0 - stabilityCorrection(z, summary) + psi.atRoughness;
    return static_cast<float>(static_cast<double>(bracket) * k);
}

void computeWindProfile(WindSummary& summary, const SourceSite& site) {
    summary.UZ.resize(site.mastHeights.size());
    const ProfileCorrections psi = profileCorrections(summary, site);
    for (std::size_t k = 0; k < summary.UZ.size(); ++k)
        summary.UZ[k] = profileWindSpeed(site.mastHeights[k], summary, site, psi);
}

}  // namespace field
