#include "text/clock_time.hpp"

namespace field {
namespace {

// '0' plus a "digit" that may lie outside 0..9. A character that would break
// the table's layout (a comma, a line end or any other control byte, or a
// byte outside ASCII) is written as '?' instead.
char clockCharacter(std::int32_t digit) {
    const std::int32_t code = '0' + digit;
    if (code < 0x20 || code > 0x7E || code == ',') return '?';
    return static_cast<char>(code);
}

}  // namespace

std::string formatClockTime(std::int32_t minuteOfDay) {
    const std::int32_t hours = minuteOfDay / 60;
    const std::int32_t minutes = minuteOfDay - 60 * hours;
    // Each digit is '0' plus its value, as the tables always wrote them: an hour of
    // 100 or more, or a negative minute, gives characters outside '0'..'9'.
    std::string out(4, '0');
    out[0] = clockCharacter(hours / 10);
    out[1] = clockCharacter(hours % 10);
    out[2] = clockCharacter(minutes / 10);
    out[3] = clockCharacter(minutes % 10);
    return out;
}

}  // namespace field
