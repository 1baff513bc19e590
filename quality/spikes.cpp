#include "quality/spikes.hpp"

#include <algorithm>

namespace field {
namespace {

constexpr std::uint8_t kInPlay = 0;
constexpr std::uint8_t kOut = 1;  // invalid, or a spike of an earlier pass

// The sums of the samples in play of a window [begin, end), as differences to an origin:
// small sums, and no division until the comparison.
struct WindowSums {
    const float* x;
    const std::vector<std::uint8_t>& state;
    double origin;
    double n = 0, s1 = 0, s2 = 0;

    void add(std::int64_t j, double sign) {
        if (state[static_cast<std::size_t>(j)] != kInPlay) return;
        const double d = static_cast<double>(x[j]) - origin;
        n += sign;
        s1 += sign * d;
        s2 += sign * d * d;
    }
    // |x - mean| > k sigma, both sides times n and squared: no division, no root.
    bool beyond(std::int64_t i, double limit) const {
        if (n < 2) return false;
        const double deviation = (static_cast<double>(x[i]) - origin) * n - s1;
        const double spread = std::max(0.0, s2 * n - s1 * s1);
        return deviation * deviation > limit * spread;
    }
};

}  // namespace

SpikeScreen screenSpikes(const float* x, std::int32_t count, std::int64_t width, const QualityRules& rules,
                         const std::vector<std::uint8_t>& invalid, std::vector<std::uint8_t>& state) {
    SpikeScreen result;
    const auto n = static_cast<std::int64_t>(count);
    if (n < 3) return result;
    state.assign(static_cast<std::size_t>(n), kInPlay);
    for (std::int64_t i = 0; i < n && i < static_cast<std::int64_t>(invalid.size()); ++i)
        if (invalid[static_cast<std::size_t>(i)]) state[static_cast<std::size_t>(i)] = kOut;
    width = std::clamp<std::int64_t>(width, 1, n);
    const std::int64_t half = width / 2;
    std::vector<std::int64_t> run, found;
    double threshold = rules.spikeThreshold;
    for (int pass = 0; pass < rules.spikePasses; ++pass) {
        const auto first = std::find(state.begin(), state.end(), kInPlay);
        if (first == state.end()) break;
        ++result.passes;
        WindowSums sums{x, state, static_cast<double>(x[first - state.begin()])};
        for (std::int64_t j = 0; j < width; ++j) sums.add(j, 1);
        std::int64_t start = 0;
        const double limit = threshold * threshold;
        const auto endRun = [&] {
            if (!run.empty() && static_cast<int>(run.size()) <= rules.spikeMaxRun)
                found.insert(found.end(), run.begin(), run.end());
            run.clear();
        };
        found.clear();
        for (std::int64_t i = 0; i < n; ++i) {
            // The window [start, start + width) centred on i where it can be.
            const std::int64_t wanted = std::clamp<std::int64_t>(i - half, 0, n - width);
            for (; start < wanted; ++start) {
                sums.add(start, -1);
                sums.add(start + width, 1);
            }
            // A sample out of play neither ends a run nor extends it.
            if (state[static_cast<std::size_t>(i)] != kInPlay) continue;
            if (sums.beyond(i, limit))
                run.push_back(i);
            else
                endRun();
        }
        endRun();
        if (found.empty()) break;
        for (const std::int64_t j : found) state[static_cast<std::size_t>(j)] = kOut;
        result.spikes += static_cast<std::int32_t>(found.size());
        threshold += rules.spikeThresholdStep;
    }
    return result;
}

}  // namespace field
