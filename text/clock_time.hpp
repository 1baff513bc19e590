#pragma once

#include <cstdint>
#include <string>

namespace field {

/// Minute of day as the four characters HHMM (570 -> "0930", 1440 -> "2400");
/// hours are not wrapped at midnight. Minutes no valid input gives (negative, or
/// hours past 99) may give other characters, but never a comma, a line end or
/// another byte outside printable ASCII: those are written as '?'.
std::string formatClockTime(std::int32_t minuteOfDay);

}  // namespace field
