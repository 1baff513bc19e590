#include "tools/generator/sampling_cases.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace fieldgen {
namespace {

constexpr double kKarmanTimesGravity = 0.4 * 9.8;  // the programs' 3.92 in the Obukhov length

}  // namespace

std::vector<SamplingCase> scheduleCases(int days, int casesPerDay, int windowShare, RandomStream& random) {
    constexpr int kFirst = 10;
    constexpr int kLast = 1430;
    constexpr int kGap = 10;
    const int slot = (kLast - kFirst) / casesPerDay;  // at least 40 minutes for at most 35 cases
    std::vector<SamplingCase> cases;
    for (int day = 0; day < days; ++day) {
        for (int k = 0; k < casesPerDay; ++k) {
            const int slotBegin = kFirst + k * slot;
            // The same two draws either way: without a share the files stay as they always were.
            int shortest = 30, longest = std::min(120, slot - kGap);
            if (windowShare > 0) {
                const double mean = windowShare / 100.0 * kMinutesPerDay / casesPerDay;
                // Never below 30 minutes: the data problems need a whole sub-window.
                longest = std::clamp(static_cast<int>(std::lround(1.5 * mean)), 30, std::max(30, slot - kGap));
                shortest = std::clamp(static_cast<int>(std::lround(0.5 * mean)), 30, longest);
            }
            const int length = random.uniformInt(shortest, longest);
            const int begin = slotBegin + random.uniformInt(0, slot - kGap - length);
            cases.push_back({day, begin, begin + length});
        }
    }
    return cases;
}

RandomStream measurementStream(const Options& options, const FieldModel& field, const MaterialModel& material) {
    const auto f = static_cast<std::uint64_t>(field.number);
    const auto m = static_cast<std::uint64_t>(material.number);
    // The 2014 fields and materials keep their streams; the others lie past every stream.
    if (f < 2 && m < 2) return RandomStream(options.seed, kMeasurementStream + 2 * f + m);
    return RandomStream(options.seed, kMoreMeasurementStreams + kMaxMaterials * f + m);
}

std::vector<SamplingCase> fileCases(const Options& options, const FieldModel& field, const MaterialModel& material) {
    RandomStream random = measurementStream(options, field, material);
    return scheduleCases(options.days, options.casesPerDay, options.windowShare, random);
}

CaseWind caseWindOf(const std::vector<FieldMinute>& wind, const SamplingCase& sampling) {
    double u = 0, v = 0, uStar = 0, heatFlux = 0, temp = 0;
    for (int minute = sampling.beginMinute; minute < sampling.endMinute; ++minute) {
        const FieldMinute& m = wind[static_cast<std::size_t>(sampling.day * kMinutesPerDay + minute)];
        u += m.draw[kMeanU];
        v += m.draw[kMeanV];
        uStar += m.uStar;
        heatFlux += m.heatFlux;
        temp += m.sonicTemp;
    }
    const double n = sampling.endMinute - sampling.beginMinute;
    u /= n;
    v /= n;
    uStar /= n;
    heatFlux /= n;
    temp /= n;
    CaseWind result{};
    result.windFrom = std::atan2(u, v) * 180.0 / kPi + 180.0;
    result.speed = std::hypot(u, v);
    const double flux = std::abs(heatFlux) < 1e-6 ? (heatFlux < 0 ? -1e-6 : 1e-6) : heatFlux;
    result.obukhovLength = -(uStar * uStar * uStar * (temp + 273.15)) / (kKarmanTimesGravity * flux);
    return result;
}

}  // namespace fieldgen
