#pragma once
// How far a window's statistics can be trusted: data coverage, spikes, the
// steady-state test, the developed-turbulence (ITC) test and the combined
// 0/1/2 flag. Everything here is double precision and deterministic; it reads
// the sample buffer and never changes what the tables' statistics see.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "common/measurement_case.hpp"
#include "common/wind_statistics.hpp"
#include "platform/large_allocation.hpp"

namespace field {

/// Facts of the site that the data do not hold; the ITC test runs only with both.
struct SiteFacts {
    std::optional<double> sonicHeightFence;  // m above the displacement height
    std::optional<double> sonicHeightHill;   // m above the displacement height
    std::optional<double> latitude;          // degrees north (south negative)

    /// The measurement height of the field's sonic, when known.
    std::optional<double> sonicHeight(bool fenceField) const { return fenceField ? sonicHeightFence : sonicHeightHill; }
};

// clang-format off
inline constexpr double kSpikeWindowSamples  = 3000;  // 5 min at 10 Hz, centred on the sample
inline constexpr double kSpikeThreshold      = 3.5;   // standard deviations of the moving window
inline constexpr int    kSpikeMaxRun         = 3;     // longer runs are taken as real changes
inline constexpr double kSubIntervalSeconds  = 300;   // steady-state sub-intervals (5 min)
inline constexpr double kLowCoveragePercent  = 80;    // below this a window is reported
inline constexpr double kEarthRotation       = 7.292e-5;  // rad/s
// clang-format on

/// The per-sample and per-line record the logger reader keeps for the quality
/// of the open window. Parallel to the sample buffer: time(i) belongs to sample i.
/// A time is kept in 4 bytes (the minute from the window's first one and the
/// milliseconds) wherever that gives back the very same double, as it does for
/// every time a logger writes; any other time is kept whole beside the codes.
class WindowRecord {
public:
    /// Room for `capacity` sample times before the first growth (the sample buffer's capacity).
    explicit WindowRecord(std::size_t capacity = 0) { codes_.reserve(capacity); }

    /// Time of an accepted sample, as the reader computes it: day * 86400 + minute * 60 + seconds.
    void addSample(std::int32_t day, std::int32_t minute, double seconds) {
        if (codes_.size() == codes_.capacity() && !makeRoom()) return;
        const std::int64_t minuteIndex = std::int64_t{day} * 1440 + minute;
        if (codes_.empty()) baseMinute_ = minuteIndex;
        const std::int64_t offset = minuteIndex - baseMinute_;
        const double ms = std::round(seconds * 1000.0);
        if (day >= 0 && minute >= 0 && minute < 1440 && offset >= 0 && offset < 65536 && ms >= 0 && ms < 60000 &&
            ms / 1000.0 == seconds) {
            codes_.push_back(static_cast<std::uint32_t>(offset) << 16 | static_cast<std::uint32_t>(ms));
        } else {
            addExact(static_cast<double>(day) * 86400.0 + static_cast<double>(minute) * 60.0 + seconds);
        }
    }
    /// Time of an accepted sample in seconds from day index 0.
    void addSample(double seconds);
    /// The time of sample i, the double it was given as.
    double time(std::size_t i) const {
        const std::uint32_t code = codes_[i];
        if (code == kExact) return exactTime(i);
        const std::int64_t minuteIndex = baseMinute_ + (code >> 16);
        const std::int64_t day = minuteIndex / 1440;  // never negative: the minute is within its day
        return static_cast<double>(day) * 86400.0 + static_cast<double>(minuteIndex - day * 1440) * 60.0 +
               static_cast<double>(code & 0xFFFFu) / 1000.0;
    }
    /// Number of sample times held.
    std::size_t size() const { return codes_.size(); }
    /// Sample times it holds without allocating.
    std::size_t capacity() const { return codes_.capacity(); }
    /// Gives up the window's times and their storage (the window becomes incomplete); false
    /// when it held no storage to give.
    bool release();
    /// True once a sample's time could not be kept for want of memory (the window's later
    /// times are not kept either): its quality cannot be assessed.
    bool incomplete() const { return incomplete_; }
    /// Drops everything (the buffer was cleared).
    void clear() {
        codes_.clear();
        exact_.clear();
        incomplete_ = false;
        loggerLines = 0;
        tsRejected = 0;
        foreignSamples = 0;
        foreignCase = {};
    }

    std::int32_t loggerLines = 0;     // lines of the window read from logger files
    std::int32_t tsRejected = 0;      // of those, left out for Ts outside (10, 40)
    std::int32_t foreignSamples = 0;  // samples at the front of the buffer left by an earlier case
    CaseRef foreignCase;              // the first case that left them (number 0: none)

private:
    static constexpr std::uint32_t kExact = 0xFFFFFFFFu;  // no code reaches it: milliseconds stay below 60000
    void addExact(double seconds);
    double exactTime(std::size_t i) const;
    bool makeRoom();  // false (and incomplete) when no room can be had

    std::vector<std::uint32_t, LargeAllocator<std::uint32_t>> codes_;
    std::vector<std::pair<std::uint32_t, double>> exact_;  // (sample, time) of the times kept whole
    std::int64_t baseMinute_ = 0;
    bool incomplete_ = false;
};

/// Why the ITC test has or has no value.
// NearEquator: a near-neutral window whose model needs the Coriolis parameter, which
// vanishes at the equator (and leaves no positive model within about 0.2 degrees of it).
enum class ItcStatus { Run, NoSiteFacts, OutOfRange, NoTurbulence, NearEquator };

/// The quality of one closed window, one row of the quality table.
struct WindowQuality {
    std::int32_t samples = 0;
    double coveragePercent = 0;
    double longestGapSeconds = 0;
    std::int32_t spikes[4] = {0, 0, 0, 0};  // u, v, w, Ts

    bool steadyRun = false;
    double steadyUW = 0, steadyWTs = 0;  // relative deviations, %
    int steadyUWClass = 0, steadyWTsClass = 0;

    ItcStatus itcStatus = ItcStatus::NoSiteFacts;
    double zeta = 0;  // z / L
    double itcW = 0;  // %
    int itcWClass = 0;

    int flag = 2;
    bool assessed = true;  // false: the window could not be assessed (flag 2, no test values)
};

/// The window a row was asked for, in seconds from day index 0: [begin, end).
struct AskedWindow {
    double begin = 0;
    double end = 0;
};

/// The asked window of a case or sub-window: `endMinute` is the case's end or the sub-window's end.
AskedWindow askedWindow(std::int32_t dayIndex, std::int32_t beginMinute, std::int32_t endMinute);

/// Class 1-9 of a relative deviation in % (Foken et al. 2004); NaN and infinity give 9.
int deviationClass(double percent);

/// Number of samples flagged as spikes: runs of at most kSpikeMaxRun consecutive samples
/// further than kSpikeThreshold standard deviations from the mean of a moving window.
std::int32_t countSpikes(const float* x, std::int32_t count);

/// The steady-state sub-interval of every sample of a window, found once for all its covariances.
/// Found from each sample's time when asked, so that they take no memory per sample.
class SubIntervals {
public:
    SubIntervals(const WindowRecord& record, std::int32_t count, const AskedWindow& window);
    /// The sub-interval of sample i.
    std::uint32_t of(std::size_t i) const {
        const double k = std::floor((record_.time(i) - begin_) / kSubIntervalSeconds);
        // Samples before the window (or not a number) go to the first, after it to the last.
        return !(k > 0) ? 0u : static_cast<std::uint32_t>(std::min(k, intervals - 1.0));
    }
    std::uint32_t intervals = 0;  // 0 when the window holds fewer than two or too few samples
    std::int32_t count = 0;       // samples

private:
    const WindowRecord& record_;
    double begin_ = 0;
};

/// Steady-state test of cov(a, w) over given sub-intervals (see below).
std::optional<double> steadyStateDeviation(const float* a, const float* w, const SubIntervals& parts);

/// Steady-state test of cov(a, w): 100 |(mean of the sub-interval covariances - whole covariance) /
/// whole covariance|. Empty when fewer than two sub-intervals hold two samples.
std::optional<double> steadyStateDeviation(const float* a, const float* w, const WindowRecord& record,
                                           std::int32_t count, const AskedWindow& window);

/// Modelled sigma_w / u* for the stability zeta (Thomas and Foken 2002, as in Foken et al. 2004);
/// empty outside -3 < zeta < 0.4. `coriolis` in 1/s, `uStar` in m/s.
std::optional<double> modelledSigmaWOverUStar(double zeta, double coriolis, double uStar);

/// The part of the quality that reads the raw (unrotated) samples: the spike counts.
void assessRawSamples(const SampleBuffer& buffer, WindowQuality& quality);

/// The rest, from the rotated buffer and the window's statistics: coverage, gap, steady state,
/// ITC and the flag. `ownFrom` is the index of the first sample of the row's own case.
void assessRotatedSamples(const SampleBuffer& buffer, const WindowRecord& record, const AskedWindow& window,
                          const WindSummary& wind, std::optional<double> sonicHeight, std::optional<double> latitude,
                          WindowQuality& quality);

}  // namespace field
