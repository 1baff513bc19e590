#pragma once
// The developed-turbulence (ITC) test's model of sigma_w / u*.

#include <optional>

namespace field {

inline constexpr double kEarthRotation = 7.292e-5;  // rad/s

/// Modelled sigma_w / u* for the stability zeta (Thomas and Foken 2002, as in Foken et al. 2004);
/// empty outside -3 < zeta < 0.4. `coriolis` in 1/s, `uStar` in m/s.
std::optional<double> modelledSigmaWOverUStar(double zeta, double coriolis, double uStar);

}  // namespace field
