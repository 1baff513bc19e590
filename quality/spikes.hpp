#pragma once
// Spikes: samples far from the mean of a moving window, counted, never removed.

#include <cstdint>

namespace field {

// clang-format off
inline constexpr double kSpikeWindowSamples  = 3000;  // 5 min at 10 Hz, centred on the sample
inline constexpr double kSpikeThreshold      = 3.5;   // standard deviations of the moving window
inline constexpr int    kSpikeMaxRun         = 3;     // longer runs are taken as real changes
// clang-format on

/// Number of samples flagged as spikes: runs of at most kSpikeMaxRun consecutive samples
/// further than kSpikeThreshold standard deviations from the mean of a moving window.
std::int32_t countSpikes(const float* x, std::int32_t count);

/// countSpikes of four series (u, v, w, Ts) into spikes[0..3]: in one pass, two series to an
/// SSE2 register where the processor has it, the same counts as four single passes.
void countSpikesOfFour(const float* const* x, std::int32_t count, std::int32_t* spikes);

}  // namespace field
