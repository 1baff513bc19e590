#pragma once
// What the logger reader keeps of the open window for its quality: each
// sample's time and the window's line counts.

#include <array>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#include "platform/large_allocation.hpp"
#include "text/case_ref.hpp"

namespace field {

/// The per-sample and per-line record the logger reader keeps for the quality
/// of the open window. Parallel to the sample buffer: time(i) belongs to sample i.
/// A time is kept in 4 bytes (the minute from the window's first one and the
/// milliseconds) wherever that gives back the very same double, as it does for
/// every time a logger writes; any other time is kept whole beside the codes.
class WindowRecord {
public:
    /// Room for `capacity` sample times before the first growth (the sample buffer's capacity).
    /// A record not `kept` is one the reader leaves alone: no quality is kept in the run.
    explicit WindowRecord(std::size_t capacity = 0, bool kept = true) : kept_(kept) {
        if (kept) codes_.reserve(capacity);
    }
    /// True when the reader keeps this record.
    bool kept() const { return kept_; }

    /// Time of an accepted sample, as the reader computes it: day * 86400 + minute * 60 + seconds.
    void addSample(std::int32_t day, std::int32_t minute, double seconds) {
        if (codes_.size() == codes_.capacity() && !makeRoom()) return;
        const std::int64_t minuteIndex = std::int64_t{day} * 1440 + minute;
        if (codes_.empty()) baseMinute_ = minuteIndex;
        const std::int64_t offset = minuteIndex - baseMinute_;
        if (day >= 0 && minute >= 0 && minute < 1440 && offset >= 0 && offset < 65536 && seconds >= 0 && seconds < 60) {
            const auto ms = static_cast<std::uint32_t>(seconds * 1000.0 + 0.5);
            if (secondsOf(ms) == seconds) {
                codes_.push_back(static_cast<std::uint32_t>(offset) << 16 | ms);
                return;
            }
        }
        addExact(static_cast<double>(day) * 86400.0 + static_cast<double>(minute) * 60.0 + seconds);
    }
    /// The same for seconds of the form "SS.f" (isTenthsText), as their milliseconds: the
    /// reader's digit loop gives whole + tenth / 10, the very double secondsOf makes of them.
    void addTenthsSample(std::int32_t day, std::int32_t minute, std::uint32_t ms) {
        // The minute of the sample before, coded already: some 600 lines in a row at 10 Hz.
        if (haveLastMinute_ && day == lastDay_ && minute == lastMinute_ && ms < 60000 &&
            codes_.size() < codes_.capacity()) {
            codes_.push_back(lastMinuteCode_ | ms);
            return;
        }
        addTenthsSampleOfNewMinute(day, minute, ms);
    }
    /// Time of an accepted sample in seconds from day index 0.
    void addSample(double seconds);
    /// The time of sample i, the double it was given as.
    double time(std::size_t i) const {
        const std::uint32_t code = codes_[i];
        if (code == kExact) return exactTime(i);
        // day * 86400 + minute * 60 is a whole number of seconds, exact in a double: the minute
        // index times 60 is the same double, and the seconds are added as the reader added them.
        const std::int64_t minuteIndex = baseMinute_ + (code >> 16);
        return static_cast<double>(minuteIndex * 60) + secondsOf(code & 0xFFFFu);
    }
    /// The minute index (day * 1440 + minute) of sample i; false for a time kept whole.
    bool minuteIndexOf(std::size_t i, std::int64_t& minuteIndex) const {
        const std::uint32_t code = codes_[i];
        if (code == kExact) return false;
        minuteIndex = baseMinute_ + (code >> 16);
        return true;
    }
    /// One past the last sample from i on whose time is a code of sample i's minute (i itself
    /// for a time kept whole): the samples in a row that share the minute.
    std::size_t sameMinuteEnd(std::size_t i) const {
        const std::uint32_t code = codes_[i];
        if (code == kExact) return i;
        const std::uint32_t minute = code >> 16;
        std::size_t j = i + 1;
        while (j < codes_.size() && codes_[j] >> 16 == minute && codes_[j] != kExact) ++j;
        return j;
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
        haveLastMinute_ = false;  // the next sample may set a new base minute

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
    // The seconds of a code as the reader's digit loops make them from up to three decimals:
    // the whole seconds plus the fraction's correctly rounded value (a table: no division).
    static double secondsOf(std::uint32_t ms) {
        static constexpr std::array<double, 1000> kThousandths = [] {
            std::array<double, 1000> t{};
            for (std::size_t k = 0; k < t.size(); ++k) t[k] = static_cast<double>(k) / 1000.0;
            return t;
        }();
        return static_cast<double>(ms / 1000) + kThousandths[ms % 1000];
    }
    static constexpr std::uint32_t kExact = 0xFFFFFFFFu;  // no code reaches it: milliseconds stay below 60000
    void addExact(double seconds);
    void addTenthsSampleOfNewMinute(std::int32_t day, std::int32_t minute, std::uint32_t ms);  // out of line
    double exactTime(std::size_t i) const;
    bool makeRoom();  // false (and incomplete) when no room can be had

    std::vector<std::uint32_t, LargeAllocator<std::uint32_t>> codes_;
    std::vector<std::pair<std::uint32_t, double>> exact_;  // (sample, time) of the times kept whole
    std::int64_t baseMinute_ = 0;
    bool haveLastMinute_ = false;                // the minute coded last by addTenthsSample, if any:
    std::int32_t lastDay_ = 0, lastMinute_ = 0;  // its day and minute,
    std::uint32_t lastMinuteCode_ = 0;           // its offset from baseMinute_, in place
    bool incomplete_ = false;
    bool kept_ = true;
};

/// Why the ITC test has or has no value.
}  // namespace field
