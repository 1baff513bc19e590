#include "quality/itc.hpp"

#include <cmath>

namespace field {

std::optional<double> modelledSigmaWOverUStar(double zeta, double coriolis, double uStar) {
    double model = 0;
    if (zeta > -3.0 && zeta < -0.2) {
        model = 2.0 * std::pow(-zeta, 1.0 / 8.0);
    } else if (zeta >= -0.2 && zeta < 0.4) {
        constexpr double kReferenceHeight = 1.0;  // z+ in m
        model = 0.21 * std::log(kReferenceHeight * std::fabs(coriolis) / uStar) + 3.1;
    } else {
        return std::nullopt;
    }
    if (!(model > 0) || !std::isfinite(model)) return std::nullopt;
    return model;
}

}  // namespace field
