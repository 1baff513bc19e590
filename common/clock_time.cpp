#include "common/clock_time.hpp"

namespace field {

std::string formatClockTime(std::int32_t minuteOfDay) {
    const std::int32_t hours = minuteOfDay / 60;
    const std::int32_t minutes = minuteOfDay - 60 * hours;
    // Each digit is '0' plus its value, as the tables always wrote them: an hour of
    // 100 or more, or a negative minute, gives characters outside '0'..'9'.
    std::string out(4, '0');
    out[0] = static_cast<char>('0' + hours / 10);
    out[1] = static_cast<char>('0' + hours % 10);
    out[2] = static_cast<char>('0' + minutes / 10);
    out[3] = static_cast<char>('0' + minutes % 10);
    return out;
}

}  // namespace field
