#pragma once

#include <cstdint>
#include <string>

namespace field {

/// Minute of day as the four characters HHMM (570 -> "0930", 1440 -> "2400");
/// hours are not wrapped at midnight.
std::string formatClockTime(std::int32_t minuteOfDay);

}  // namespace field
