#pragma once
// How sure the source strength is: a Monte Carlo interval of a row's value.
// Each draw moves the inputs of the mass balance (u* and L through the fluxes'
// sampling errors, the roughness length, the canopy height, the wind direction,
// the mast's readings) and computes the source strength with the table's own
// function, so a draw that moves nothing gives the table's value bit for bit.
// The draws are made once per run from a fixed seed: every window, every run and
// every platform sees the same ones. What input drives the interval comes from
// the same draws: each input's part of their variance in a linear fit on its
// numbers (standardised regression coefficients), the input whose holding
// would narrow the interval most to first order.

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "input/campaign.hpp"
#include "input/measurement_case.hpp"
#include "input/program_variant.hpp"
#include "quality/sampling_error.hpp"
#include "wind/source_strength.hpp"
#include "wind/wind_statistics.hpp"

namespace field {

/// The inputs a draw moves, in the order of the table's columns.
enum class SourceInput { UStar, RoughnessLength, CanopyHeight, Direction, Mast };
inline constexpr std::size_t kSourceInputs = 5;

/// "ustar", "z0", "canopy", "direction", "mast".
std::string_view sourceInputName(SourceInput input);

/// Standard normal numbers, `width` per draw, from a fixed seed (splitmix64, Box-Muller).
class NormalDraws {
public:
    NormalDraws(int draws, std::size_t width, std::uint64_t seed);
    int draws() const { return draws_; }
    std::size_t width() const { return width_; }
    /// The numbers of draw `d`.
    const double* of(int d) const { return values_.data() + static_cast<std::size_t>(d) * width_; }

private:
    int draws_;
    std::size_t width_;
    std::vector<double> values_;
};

/// How far each input moves: standard errors (from the window) and geometric standard deviations.
struct SourceRanges {
    SamplingErrors errors;
    double roughnessFactor = 1, canopyFactor = 1, mastFactor = 1;
};

struct SourceInterval {
    bool computed = false;                      // false: the row has no value (-999, not a number) or no sampling error
    double median = 0, low = 0, high = 0;       // the 50, 2.5 and 97.5 % points of the draws
    double spreadPercent = 0;                   // (high - low) / 2 / median, %
    int validDraws = 0;                         // draws with a source strength (not -999, a number)
    int driver = -1;                            // the SourceInput of the largest share; -1: none
    std::array<double, kSourceInputs> share{};  // %, each input's part of the draws' variance
};

/// The interval estimator of one run: the draws, and room kept from window to window.
class SourceIntervalEstimator {
public:
    /// `site` outlives the estimator.
    SourceIntervalEstimator(const ProgramVariant& variant, const SourceSite& site, const QualityRules& rules);

    /// The interval of the row whose statistics are `table`, for the window's case.
    SourceInterval estimate(const MeasurementCase& windowCase, const WindSummary& table, const SamplingErrors& errors);

    /// The interval of given readings under given ranges (the public seam of estimate()).
    SourceInterval estimate(const SourceReadings& readings, const WindSummary& table, const SourceRanges& ranges);

    /// Draw `d`'s source strength, the inputs whose bit is set in `held` kept as the table has them.
    float draw(const SourceReadings& readings, const WindSummary& table, const SourceRanges& ranges, int d,
               unsigned held);

private:
    void prepareFactors(const SourceRanges& ranges);
    void interval(const SourceReadings& readings, const WindSummary& table, const SourceRanges& ranges);
    std::array<double, kSourceInputs> varianceParts(const SourceRanges& ranges);

    const ProgramVariant& variant_;
    const SourceSite& site_;
    SourceSite moved_;  // the site of a draw
    NormalDraws normals_;
    SourceScratch scratch_;
    double roughnessFactor_, canopyFactor_, mastFactor_;
    // exp(ln(factor) z) of every draw for z0, h and the mast levels (the columns of the normals),
    // made once for the factors they were made for.
    std::vector<double> factors_;
    std::array<double, 3> factorsFor_{0, 0, 0};
    SourceReadings readings_, movedReadings_;
    WindSummary movedWind_;
    std::vector<double> values_, sorted_;  // the draws with a value, in draw order and sorted
    std::vector<int> drawn_;               // the draw each value came from
    std::vector<double> sums_;             // the linear fit's sums
};

/// The p-quantile (0..1) of sorted values, interpolated between order statistics.
double quantileOfSorted(const std::vector<double>& sorted, double p);

}  // namespace field
