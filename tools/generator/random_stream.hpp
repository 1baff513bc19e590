#pragma once
// Random numbers defined bit for bit: an own xoshiro256** generator with an own normal transform
// (std distributions differ between standard libraries), one stream per independent part of the
// output, each seeded from (seed, stream number) so that no file depends on the order in which
// others were written.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace fieldgen {

/// Advances a splitmix64 state and returns its next well-mixed 64-bit output.
inline std::uint64_t splitMix64(std::uint64_t& state) {
    state += 0x9E3779B97F4A7C15ULL;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

/// xoshiro256** generator with uniform, integer and standard-normal draws defined bit for bit.
class RandomStream {
public:
    /// Seeds the stream from the run seed and a stream number (streams are independent).
    RandomStream(std::uint64_t seed, std::uint64_t stream) {
        std::uint64_t mix = seed ^ (stream * 0xD1B54A32D192ED03ULL);
        for (std::uint64_t& word : state_) word = splitMix64(mix);
    }

    /// Next raw 64-bit output.
    std::uint64_t next() {
        const std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
        const std::uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = rotl(state_[3], 45);
        return result;
    }

    /// Uniform double in [0, 1) from the top 53 bits.
    double uniform() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

    /// Uniform double in [lo, hi).
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }

    /// Uniform integer in [lo, hi]; the span is small, so the bias of scaling is negligible.
    int uniformInt(int lo, int hi) {
        const double span = static_cast<double>(hi - lo + 1);
        const int k = static_cast<int>(uniform() * span);
        return lo + std::min(k, hi - lo);
    }

    /// True with the given probability.
    bool chance(double probability) { return uniform() < probability; }

    /// Standard normal value by Marsaglia's polar method (two values per accepted pair).
    double normal() {
        if (hasSpare_) {
            hasSpare_ = false;
            return spare_;
        }
        double x = 0.0;
        double y = 0.0;
        double s = 0.0;
        do {
            x = 2.0 * uniform() - 1.0;
            y = 2.0 * uniform() - 1.0;
            s = x * x + y * y;
        } while (s >= 1.0 || s == 0.0);
        const double m = std::sqrt(-2.0 * std::log(s) / s);
        spare_ = y * m;
        hasSpare_ = true;
        return x * m;
    }

private:
    /// Rotates a 64-bit word left by k bits.
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    std::array<std::uint64_t, 4> state_{};
    double spare_ = 0.0;
    bool hasSpare_ = false;
};

/// Stream numbers: one per independent part of the output.
enum StreamId : std::uint64_t {
    kWeatherStream = 1,
    kFieldWindStream = 10,          // + field number
    kSonicSampleStream = 20,        // + field number
    kMeasurementStream = 30,        // + 2 * field number + material number
    kDataProblemStream = 40,        // + field number
    kMoreMeasurementStreams = 100,  // + 8 * field number + material number, past the first two of each
};

/// Ornstein-Uhlenbeck step per minute: relaxes towards `mean` with time scale `tau` minutes and
/// keeps a stationary standard deviation `sd`.
inline double stepMeanReverting(double value, double mean, double sd, double tau, RandomStream& random) {
    return value + (mean - value) / tau + sd * std::sqrt(2.0 / tau) * random.normal();
}

}  // namespace fieldgen
