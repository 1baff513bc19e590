#pragma once
// Spikes: samples far from the mean of a moving window, counted, never removed.

#include <cstdint>
#include <vector>

#include "input/campaign.hpp"

namespace field {

/// What a screening of one series found.
struct SpikeScreen {
    std::int32_t spikes = 0;  // samples flagged as spikes
    std::int32_t passes = 0;  // passes run (the last found none, or the rules allow no more)
};

/// The spikes of one series after Vickers and Mahrt (1997): in each pass a sample is beyond
/// when it lies more than the pass's threshold of standard deviations from the mean of a
/// moving window of `width` samples centred on it (shifted to stay inside the series), the
/// mean and deviation taken over the samples still in play; runs of at most spikeMaxRun
/// samples beyond are spikes and take no part in the next pass, whose threshold is
/// spikeThresholdStep higher. The screening stops at a pass that finds none. Samples marked in
/// `invalid` take no part at all. `state` is scratch room, reused from call to call.
SpikeScreen screenSpikes(const float* x, std::int32_t count, std::int64_t width, const QualityRules& rules,
                         const std::vector<std::uint8_t>& invalid, std::vector<std::uint8_t>& state);

/// The spikes screenSpikes's first pass finds in each of four series (u, v, w, Ts) with no
/// sample out of play: all four in one pass, two to an SSE2 register where the processor has
/// it (the plain code otherwise), the same counts as four first passes. A series that has
/// none here has none at all; only the others need the passes after it.
void firstPassSpikesOfFour(const float* const* x, std::int32_t count, std::int64_t windowSamples, double threshold,
                           int maxRun, std::int32_t* spikes);

}  // namespace field
