#include "quality/source_interval.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace field {
namespace {

// Where a draw's numbers sit: the three fluxes, z0, h, the direction, then one per mast level.
constexpr std::size_t kUW = 0, kVW = 1, kWTs = 2, kZ0 = 3, kCanopy = 4, kDirection = 5, kMast = 6;

constexpr unsigned bitOf(SourceInput input) { return 1u << static_cast<unsigned>(input); }

struct SplitMix64 {
    std::uint64_t state;
    std::uint64_t next() {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    /// Uniform in (0, 1]: 53 random bits, never 0 (the logarithm of Box-Muller needs that).
    double uniform() { return (static_cast<double>(next() >> 11) + 1.0) * 0x1.0p-53; }
};

// Moves a float by `by` in double; no move leaves it as it is, bit for bit.
float moved(float value, double by) { return static_cast<float>(static_cast<double>(value) + by); }

}  // namespace

std::string_view sourceInputName(SourceInput input) {
    switch (input) {
        case SourceInput::UStar: return "ustar";
        case SourceInput::RoughnessLength: return "z0";
        case SourceInput::CanopyHeight: return "canopy";
        case SourceInput::Direction: return "direction";
        case SourceInput::Mast: return "mast";
    }
    return "";
}

NormalDraws::NormalDraws(int draws, std::size_t width, std::uint64_t seed)
    : draws_(std::max(draws, 0)), width_(width), values_(static_cast<std::size_t>(draws_) * width) {
    SplitMix64 random{seed};
    for (std::size_t i = 0; i < values_.size(); i += 2) {
        const double radius = std::sqrt(-2.0 * std::log(random.uniform()));
        const double angle = 2.0 * std::numbers::pi * random.uniform();
        values_[i] = radius * std::cos(angle);
        if (i + 1 < values_.size()) values_[i + 1] = radius * std::sin(angle);
    }
}

double quantileOfSorted(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) return std::numeric_limits<double>::quiet_NaN();
    const double at = p * static_cast<double>(sorted.size() - 1);
    const auto below = static_cast<std::size_t>(std::floor(at));
    if (below + 1 >= sorted.size()) return sorted.back();
    return sorted[below] + (at - static_cast<double>(below)) * (sorted[below + 1] - sorted[below]);
}

SourceIntervalEstimator::SourceIntervalEstimator(const ProgramVariant& variant, const SourceSite& site,
                                                 const QualityRules& rules)
    : variant_(variant), site_(site), moved_(site),
      normals_(rules.intervalDraws, kMast + site.mastLayers.size(), static_cast<std::uint64_t>(rules.intervalSeed)),
      roughnessFactor_(rules.roughnessLengthFactor), canopyFactor_(rules.canopyHeightFactor),
      mastFactor_(rules.mastReadingFactor) {}

void SourceIntervalEstimator::prepareFactors(const SourceRanges& ranges) {
    const std::array<double, 3> wanted = {ranges.roughnessFactor, ranges.canopyFactor, ranges.mastFactor};
    if (wanted == factorsFor_) return;
    factorsFor_ = wanted;
    // exp(0) is 1 exactly: a factor of 1 moves nothing, and the campaign's decimal stays as it is.
    const double logZ0 = std::log(ranges.roughnessFactor), logH = std::log(ranges.canopyFactor),
                 logMast = std::log(ranges.mastFactor);
    const std::size_t width = normals_.width();
    factors_.assign(static_cast<std::size_t>(normals_.draws()) * width, 1.0);
    for (int d = 0; d < normals_.draws(); ++d) {
        const double* z = normals_.of(d);
        double* f = factors_.data() + static_cast<std::size_t>(d) * width;
        f[kZ0] = std::exp(logZ0 * z[kZ0]);
        f[kCanopy] = std::exp(logH * z[kCanopy]);
        for (std::size_t i = kMast; i < width; ++i) f[i] = std::exp(logMast * z[i]);
    }
}

float SourceIntervalEstimator::draw(const SourceReadings& readings, const WindSummary& table,
                                    const SourceRanges& ranges, int d, unsigned held) {
    prepareFactors(ranges);
    const double* z = normals_.of(d);
    const double* factor = factors_.data() + static_cast<std::size_t>(d) * normals_.width();
    const auto active = [held](SourceInput input) { return (held & bitOf(input)) == 0; };
    WindSummary& wind = movedWind_;
    wind.WindDirection = table.WindDirection;
    wind.UStar = table.UStar;
    wind.L = table.L;
    const SamplingErrors& e = ranges.errors;
    if (active(SourceInput::UStar)) {
        // L follows the drawn u* and heat flux, as the table's L follows its own.
        const float uw = moved(table.covUW, e.uw * z[kUW]);
        const float vw = moved(table.covVW, e.vw * z[kVW]);
        const float wTs = moved(table.covWTs, e.wTs * z[kWTs]);
        wind.UStar = frictionVelocity(uw, vw);
        wind.L = obukhovLength(wind.UStar, table.AvgTs, wTs);
    }
    if (active(SourceInput::Direction)) {
        const double by = e.directionDegrees * z[kDirection];
        if (by != 0) {
            double direction = static_cast<double>(table.WindDirection) + by;
            direction -= 360.0 * std::floor(direction / 360.0);
            wind.WindDirection = static_cast<float>(direction);
        }
    }
    const double z0 = site_.roughnessLengthValue * (active(SourceInput::RoughnessLength) ? factor[kZ0] : 1.0);
    const double h = site_.canopyHeightValue * (active(SourceInput::CanopyHeight) ? factor[kCanopy] : 1.0);
    setProfileSite(moved_, h, z0);

    const SourceReadings* r = &readings;
    if (active(SourceInput::Mast) && ranges.mastFactor != 1) {
        movedReadings_.source = readings.source;
        movedReadings_.inner = readings.inner;
        movedReadings_.outer = readings.outer;
        movedReadings_.mast.assign(readings.mast.begin(), readings.mast.end());
        for (std::size_t i = 0; i < movedReadings_.mast.size(); ++i) {
            float& c = movedReadings_.mast[i];
            if (c >= 0.0f) c = static_cast<float>(static_cast<double>(c) * factor[kMast + i]);
        }
        r = &movedReadings_;
    }
    return sourceStrengthOf(*r, wind, variant_, moved_, scratch_);
}

void SourceIntervalEstimator::interval(const SourceReadings& readings, const WindSummary& table,
                                       const SourceRanges& ranges) {
    values_.clear();
    drawn_.clear();
    for (int d = 0; d < normals_.draws(); ++d) {
        const float q = draw(readings, table, ranges, d, 0);
        // -999 marks a draw whose balance came out negative: it has no source strength.
        if (!std::isfinite(q) || q < 0.0f) continue;
        values_.push_back(q);
        drawn_.push_back(d);
    }
}

std::array<double, kSourceInputs> SourceIntervalEstimator::varianceParts(const SourceRanges& ranges) {
    // The draws' numbers are independent: the slope of the value on each number alone is its
    // coefficient in the linear fit, and slope squared times the number's variance its part.
    const std::size_t n = values_.size();
    const std::size_t width = normals_.width();
    double mean = 0;
    for (const double q : values_) mean += q;
    mean /= static_cast<double>(n);
    sums_.assign(3 * width, 0.0);  // per number: sum of (q - mean) z, of z, of z squared
    for (std::size_t i = 0; i < n; ++i) {
        const double* z = normals_.of(drawn_[i]);
        const double dq = values_[i] - mean;
        for (std::size_t j = 0; j < width; ++j) {
            sums_[j] += dq * z[j];
            sums_[width + j] += z[j];
            sums_[2 * width + j] += z[j] * z[j];
        }
    }
    const auto part = [&](std::size_t j) {
        const double zMean = sums_[width + j] / static_cast<double>(n);
        const double squares = sums_[2 * width + j] - static_cast<double>(n) * zMean * zMean;
        const double products = sums_[j];  // the sum of (q - mean) is 0: z's own mean drops out
        return squares > 0 ? products * products / squares / static_cast<double>(n) : 0.0;
    };
    const SamplingErrors& e = ranges.errors;
    std::array<double, kSourceInputs> parts{};
    auto& [uStar, z0, canopy, direction, mast] = parts;
    if (e.uw != 0) uStar += part(kUW);
    if (e.vw != 0) uStar += part(kVW);
    if (e.wTs != 0) uStar += part(kWTs);
    if (ranges.roughnessFactor != 1) z0 = part(kZ0);
    if (ranges.canopyFactor != 1) canopy = part(kCanopy);
    if (e.directionDegrees != 0) direction = part(kDirection);
    if (ranges.mastFactor != 1)
        for (std::size_t i = kMast; i < normals_.width(); ++i) mast += part(i);
    return parts;
}

SourceInterval SourceIntervalEstimator::estimate(const SourceReadings& readings, const WindSummary& table,
                                                 const SourceRanges& ranges) {
    SourceInterval result;
    const float value = table.SourceStrength;
    if (normals_.draws() == 0 || !std::isfinite(value) || value < 0.0f) return result;
    const SamplingErrors& e = ranges.errors;
    if (!(std::isfinite(e.uw) && std::isfinite(e.vw) && std::isfinite(e.wTs) && std::isfinite(e.directionDegrees)))
        return result;
    interval(readings, table, ranges);
    result.validDraws = static_cast<int>(values_.size());
    if (values_.empty()) return result;
    const std::array<double, kSourceInputs> parts = varianceParts(ranges);
    sorted_.assign(values_.begin(), values_.end());
    std::sort(sorted_.begin(), sorted_.end());
    result.computed = true;
    result.median = quantileOfSorted(sorted_, 0.5);
    result.low = quantileOfSorted(sorted_, 0.025);
    result.high = quantileOfSorted(sorted_, 0.975);
    const double width = result.high - result.low;
    result.spreadPercent = result.median > 0 ? 100.0 * width / 2.0 / result.median
                                             : (width > 0 ? std::numeric_limits<double>::infinity() : 0.0);
    double total = 0;
    for (const double p : parts) total += p;
    if (!(width > 0) || !(total > 0)) return result;
    double largest = 0;
    for (std::size_t k = 0; k < kSourceInputs; ++k) {
        result.share[k] = 100.0 * parts[k] / total;
        if (parts[k] > largest) {
            largest = parts[k];
            result.driver = static_cast<int>(k);
        }
    }
    return result;
}

SourceInterval SourceIntervalEstimator::estimate(const MeasurementCase& windowCase, const WindSummary& table,
                                                 const SamplingErrors& errors) {
    readings_ = sourceReadingsOf(windowCase, site_);
    return estimate(readings_, table, {errors, roughnessFactor_, canopyFactor_, mastFactor_});
}

}  // namespace field
