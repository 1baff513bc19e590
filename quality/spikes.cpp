#include "quality/spikes.hpp"

#include <algorithm>

namespace field {
namespace {

constexpr std::uint8_t kInPlay = 0;
constexpr std::uint8_t kOut = 1;  // invalid, or a spike of an earlier pass

// The sums of the samples in play of a window [begin, end), as differences to an origin:
// small sums, and no division until the comparison. `Masked`: some samples are out of play
// (without, the first pass of a series with no invalid sample, no state is looked at).
template <bool Masked>
struct WindowSums {
    const float* x;
    const std::vector<std::uint8_t>& state;
    double origin;
    double n = 0, s1 = 0, s2 = 0;

    void add(std::int64_t j) {
        if (Masked && state[static_cast<std::size_t>(j)] != kInPlay) return;
        const double d = static_cast<double>(x[j]) - origin;
        n += 1;
        s1 += d;
        s2 += d * d;
    }
    void remove(std::int64_t j) {
        if (Masked && state[static_cast<std::size_t>(j)] != kInPlay) return;
        const double d = static_cast<double>(x[j]) - origin;
        n -= 1;
        s1 -= d;
        s2 -= d * d;
    }
    // |x - mean| > k sigma, both sides times n and squared: no division, no root.
    bool beyond(std::int64_t i, double limit) const {
        if (n < 2) return false;
        const double deviation = (static_cast<double>(x[i]) - origin) * n - s1;
        const double spread = std::max(0.0, s2 * n - s1 * s1);
        return deviation * deviation > limit * spread;
    }
};

// One pass: the runs of at most maxRun samples beyond `limit` (k squared) into `found`.
template <bool Masked>
void screenPass(const float* x, std::int64_t n, std::int64_t width, double origin, double limit, int maxRun,
                const std::vector<std::uint8_t>& state, std::vector<std::int64_t>& run,
                std::vector<std::int64_t>& found) {
    WindowSums<Masked> sums{x, state, origin};
    for (std::int64_t j = 0; j < width; ++j) sums.add(j);
    run.clear();
    const auto check = [&](std::int64_t i) {
        // A sample out of play neither ends a run nor extends it.
        if (Masked && state[static_cast<std::size_t>(i)] != kInPlay) return;
        if (sums.beyond(i, limit)) {
            run.push_back(i);
        } else if (!run.empty()) {
            if (static_cast<int>(run.size()) <= maxRun) found.insert(found.end(), run.begin(), run.end());
            run.clear();
        }
    };
    // The window [start, start + width) is centred on sample i where it can be:
    // start = clamp(i - width / 2, 0, n - width), so it stands still at both ends.
    const std::int64_t half = width / 2;
    const std::int64_t lastMove = n - width + half;  // the last i whose window moved
    std::int64_t i = 0;
    for (; i <= half && i < n; ++i) check(i);
    for (; i <= lastMove; ++i) {
        sums.remove(i - half - 1);
        sums.add(i - half - 1 + width);
        check(i);
    }
    for (; i < n; ++i) check(i);
    if (!run.empty() && static_cast<int>(run.size()) <= maxRun) found.insert(found.end(), run.begin(), run.end());
    run.clear();
}

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
    bool masked = std::find(state.begin(), state.end(), kOut) != state.end();
    std::vector<std::int64_t> run, found;
    double threshold = rules.spikeThreshold;
    for (int pass = 0; pass < rules.spikePasses; ++pass) {
        const auto first = std::find(state.begin(), state.end(), kInPlay);
        if (first == state.end()) break;
        ++result.passes;
        const double origin = static_cast<double>(x[first - state.begin()]);
        found.clear();
        if (masked)
            screenPass<true>(x, n, width, origin, threshold * threshold, rules.spikeMaxRun, state, run, found);
        else
            screenPass<false>(x, n, width, origin, threshold * threshold, rules.spikeMaxRun, state, run, found);
        if (found.empty()) break;
        for (const std::int64_t j : found) state[static_cast<std::size_t>(j)] = kOut;
        result.spikes += static_cast<std::int32_t>(found.size());
        masked = true;
        threshold += rules.spikeThresholdStep;
    }
    return result;
}

}  // namespace field
