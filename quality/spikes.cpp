#include "quality/spikes.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/simd.hpp"

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

// The first pass of K series together (nothing out of play), as screenSpikes runs it alone.
// The spikes of K series of one window in one pass: each series keeps its own sums and
// runs, in the same order as alone, so the counts are those of K separate passes; the
// K independent chains of additions keep the processor busy where one would wait.
template <int K>
void countSpikesOf(const float* const* x, std::int32_t count, std::int64_t windowSamples, double threshold, int maxRun,
                   std::int32_t* spikes) {
    for (int k = 0; k < K; ++k) spikes[k] = 0;
    if (count < 3) return;
    const auto n = static_cast<std::int64_t>(count);
    const auto width = std::clamp<std::int64_t>(windowSamples, 1, n);
    const double w = static_cast<double>(width);
    const double limit = threshold * threshold;
    // Sums of the differences to the first sample keep the running sums small.
    double origin[K], s1[K], s2[K];
    std::int32_t run[K];
    for (int k = 0; k < K; ++k) {
        origin[k] = static_cast<double>(x[k][0]);
        s1[k] = s2[k] = 0;
        run[k] = 0;
        for (std::int64_t j = 0; j < width; ++j) {
            const double d = static_cast<double>(x[k][j]) - origin[k];
            s1[k] += d;
            s2[k] += d * d;
        }
    }
    const auto check = [&](std::int64_t i) {
        for (int k = 0; k < K; ++k) {
            // |x - mean| > k sigma, both sides times the width and squared: no division, no root.
            const double deviation = (static_cast<double>(x[k][i]) - origin[k]) * w - s1[k];
            const double spread = std::max(0.0, s2[k] * w - s1[k] * s1[k]);
            if (deviation * deviation > limit * spread) {
                ++run[k];
            } else {
                if (run[k] > 0 && run[k] <= maxRun) spikes[k] += run[k];
                run[k] = 0;
            }
        }
    };
    // The window [start, start + width) is centred on sample i where it can be:
    // start = clamp(i - width / 2, 0, n - width), so it stands still at both ends.
    const std::int64_t half = width / 2;
    const std::int64_t lastMove = n - width + half;  // the last i whose window moved
    std::int64_t i = 0;
    for (; i <= half && i < n; ++i) check(i);
    for (; i <= lastMove; ++i) {
        for (int k = 0; k < K; ++k) {
            const double out = static_cast<double>(x[k][i - half - 1]) - origin[k];
            const double in = static_cast<double>(x[k][i - half - 1 + width]) - origin[k];
            s1[k] += in - out;
            s2[k] += in * in - out * out;
        }
        check(i);
    }
    for (; i < n; ++i) check(i);
    for (int k = 0; k < K; ++k)
        if (run[k] > 0 && run[k] <= maxRun) spikes[k] += run[k];
}

}  // namespace

#if FIELD_SSE2
namespace {

// countSpikesOf<4> with the four series in two registers of two doubles each: lane by lane
// the same operations in the same order (no fused multiply-add), so the same counts.
void countSpikesOfFourTogether(const float* const* x, std::int32_t count, std::int64_t windowSamples, double threshold,
                               int maxRun, std::int32_t* spikes) {
    for (int k = 0; k < 4; ++k) spikes[k] = 0;
    if (count < 3) return;
    const auto n = static_cast<std::int64_t>(count);
    const auto width = std::clamp<std::int64_t>(windowSamples, 1, n);
    const __m128d w = _mm_set1_pd(static_cast<double>(width));
    const __m128d limit = _mm_set1_pd(threshold * threshold);
    const __m128d zero = _mm_setzero_pd();
    // Samples i of series 0 and 1, and of series 2 and 3, as doubles.
    const auto pairAt = [x](int first, std::int64_t i) {
        return _mm_cvtps_pd(_mm_unpacklo_ps(_mm_load_ss(x[first] + i), _mm_load_ss(x[first + 1] + i)));
    };
    const __m128d origin[2] = {pairAt(0, 0), pairAt(2, 0)};
    __m128d s1[2] = {zero, zero}, s2[2] = {zero, zero};
    for (std::int64_t j = 0; j < width; ++j) {
        for (int h = 0; h < 2; ++h) {
            const __m128d d = _mm_sub_pd(pairAt(2 * h, j), origin[h]);
            s1[h] = _mm_add_pd(s1[h], d);
            s2[h] = _mm_add_pd(s2[h], _mm_mul_pd(d, d));
        }
    }
    std::int32_t run[4] = {0, 0, 0, 0};
    unsigned running = 0;  // bit k: series k is in a run
    const auto check = [&](std::int64_t i) {
        unsigned beyond = 0;
        for (int h = 0; h < 2; ++h) {
            // |x - mean| > k sigma, both sides times the width and squared: no division, no root.
            const __m128d deviation = _mm_sub_pd(_mm_mul_pd(_mm_sub_pd(pairAt(2 * h, i), origin[h]), w), s1[h]);
            // max(spread, 0) is 0 for a NaN spread, as std::max(0.0, spread) is.
            const __m128d spread = _mm_max_pd(_mm_sub_pd(_mm_mul_pd(s2[h], w), _mm_mul_pd(s1[h], s1[h])), zero);
            const __m128d over = _mm_cmpgt_pd(_mm_mul_pd(deviation, deviation), _mm_mul_pd(limit, spread));
            beyond |= static_cast<unsigned>(_mm_movemask_pd(over)) << (2 * h);
        }
        if ((beyond | running) == 0) return;
        for (int k = 0; k < 4; ++k) {
            if (beyond & (1u << k)) {
                ++run[k];
            } else {
                if (run[k] > 0 && run[k] <= maxRun) spikes[k] += run[k];
                run[k] = 0;
            }
        }
        running = beyond;
    };
    const std::int64_t half = width / 2;
    const std::int64_t lastMove = n - width + half;
    std::int64_t i = 0;
    for (; i <= half && i < n; ++i) check(i);
    for (; i <= lastMove; ++i) {
        for (int h = 0; h < 2; ++h) {
            const __m128d out = _mm_sub_pd(pairAt(2 * h, i - half - 1), origin[h]);
            const __m128d in = _mm_sub_pd(pairAt(2 * h, i - half - 1 + width), origin[h]);
            s1[h] = _mm_add_pd(s1[h], _mm_sub_pd(in, out));
            s2[h] = _mm_add_pd(s2[h], _mm_sub_pd(_mm_mul_pd(in, in), _mm_mul_pd(out, out)));
        }
        check(i);
    }
    for (; i < n; ++i) check(i);
    for (int k = 0; k < 4; ++k)
        if (run[k] > 0 && run[k] <= maxRun) spikes[k] += run[k];
}

}  // namespace
#endif

void firstPassSpikesOfFour(const float* const* x, std::int32_t count, std::int64_t windowSamples, double threshold,
                           int maxRun, std::int32_t* spikes) {
#if FIELD_SSE2
    countSpikesOfFourTogether(x, count, windowSamples, threshold, maxRun, spikes);
#else
    countSpikesOf<4>(x, count, windowSamples, threshold, maxRun, spikes);
#endif
}

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
