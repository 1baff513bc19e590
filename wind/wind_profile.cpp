#include "wind/wind_profile.hpp"

#include <cmath>

namespace field {

namespace {

constexpr float kCanopyHeight = 1.3f;      // h, m
constexpr float kRoughnessLength = 0.13f;  // z0, m
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

float profileWindSpeed(float z, const WindSummary& summary) {
    const double k = static_cast<double>(summary.UStar) / kVonKarman;
    const float psiZ0 = stabilityCorrection(kRoughnessLength, summary);
    if (z <= kCanopyHeight) {
        // ln(h/z0) is ln(10) rounded to float, not the log of the float quotient.
        const float logHOverZ0 = static_cast<float>(std::log(10.0));
        const float bracket = logHOverZ0 - stabilityCorrection(kCanopyHeight, summary) + psiZ0;
        const float uh = static_cast<float>(static_cast<double>(bracket) * k);
        const float ratio = z / kCanopyHeight;
        return static_cast<float>(std::exp(2.0 * (static_cast<double>(ratio) - 1.0)) * static_cast<double>(uh));
    }
    const float logZOverZ0 = static_cast<float>(std::log(static_cast<double>(z / kRoughnessLength)));
    const float bracket = logZOverZ0 - stabilityCorrection(z, summary) + psiZ0;
    return static_cast<float>(static_cast<double>(bracket) * k);
}

void computeWindProfile(WindSummary& summary) {
    for (std::size_t k = 0; k < summary.UZ.size(); ++k) summary.UZ[k] = profileWindSpeed(kMastHeights[k], summary);
}

}  // namespace field
