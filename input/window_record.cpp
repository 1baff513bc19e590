#include "input/window_record.hpp"

#include <algorithm>
#include <new>

namespace field {

void WindowRecord::addSample(double seconds) {
    if (codes_.size() == codes_.capacity() && !makeRoom()) return;
    // The day, minute and seconds a reader would have computed it from, where they give it back.
    const double minuteIndex = std::floor(seconds / 60.0);
    if (minuteIndex >= 0 && minuteIndex < 1e9) {
        const auto m = static_cast<std::int64_t>(minuteIndex);
        const auto day = static_cast<std::int32_t>(m / 1440);
        const auto minute = static_cast<std::int32_t>(m % 1440);
        const double rest = seconds - (static_cast<double>(day) * 86400.0 + static_cast<double>(minute) * 60.0);
        if (static_cast<double>(day) * 86400.0 + static_cast<double>(minute) * 60.0 + rest == seconds) {
            addSample(day, minute, rest);
            return;
        }
    }
    addExact(seconds);
}

// Out of line, so that the line of a minute coded already stays one comparison and a store
// where the reader calls it.
void WindowRecord::addTenthsSampleOfNewMinute(std::int32_t day, std::int32_t minute, std::uint32_t ms) {
    if (codes_.size() == codes_.capacity() && !makeRoom()) return;
    const std::int64_t minuteIndex = std::int64_t{day} * 1440 + minute;
    if (codes_.empty()) baseMinute_ = minuteIndex;
    const std::int64_t offset = minuteIndex - baseMinute_;
    if (day >= 0 && minute >= 0 && minute < 1440 && offset >= 0 && offset < 65536 && ms < 60000) {
        haveLastMinute_ = true;
        lastDay_ = day;
        lastMinute_ = minute;
        lastMinuteCode_ = static_cast<std::uint32_t>(offset) << 16;
        codes_.push_back(lastMinuteCode_ | ms);
        return;
    }
    addExact(static_cast<double>(day) * 86400.0 + static_cast<double>(minute) * 60.0 + secondsOf(ms));
}

bool WindowRecord::release() {
    incomplete_ = true;
    if (codes_.capacity() == 0) return false;
    decltype(codes_)().swap(codes_);
    decltype(exact_)().swap(exact_);
    return true;
}

bool WindowRecord::makeRoom() {
    if (incomplete_) return false;
    try {
        codes_.reserve(std::max<std::size_t>(2 * codes_.capacity(), 1024));
        return true;
    } catch (const std::bad_alloc&) {
        incomplete_ = true;  // the table's row does not depend on these times: it goes on
        return false;
    }
}

void WindowRecord::addExact(double seconds) {
    if (codes_.empty()) baseMinute_ = 0;
    try {
        exact_.emplace_back(static_cast<std::uint32_t>(codes_.size()), seconds);
    } catch (const std::bad_alloc&) {
        incomplete_ = true;
        return;
    }
    codes_.push_back(kExact);
}

double WindowRecord::exactTime(std::size_t i) const {
    const auto at =
        std::lower_bound(exact_.begin(), exact_.end(), i,
                         [](const std::pair<std::uint32_t, double>& e, std::size_t k) { return e.first < k; });
    return at->second;
}

}  // namespace field
