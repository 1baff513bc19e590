#pragma once
// The experiment's day index of a date, as the case files, the logger files and
// the station files all number their days.

#include <cstdint>

namespace field {

/// 1 August is day 1, a September date its day + 31, a date of any other month its day + 61.
/// In 64 bits, so that the day of a date that no valid input gives cannot overflow.
constexpr std::int64_t dayIndexOf(std::int64_t month, std::int64_t dayOfMonth) {
    return month == 8 ? dayOfMonth : dayOfMonth + (month == 9 ? 31 : 61);
}

}  // namespace field
