#pragma once
// One data line of a logger file (a Sonic record): quoted timestamp, a second
// field, u, v, w (m/s), Ts (deg C), a seventh field; later fields ignored.

#include <cstdint>
#include <string_view>

namespace field {

struct LoggerTime {
    std::int32_t day = 0;     // day index: 1 August is 1, 1 September 32, other months day + 61
    std::int32_t minute = 0;  // 60 * hour + minute; seconds play no part
};

/// Day index and minute of day of a Timestamp text such as "2014-08-15 10:00:03.4"
/// (with its quotes). Missing parts count as 0. With the year check on, a year
/// other than 2014 (read after dropping the first character) gives day -1.
LoggerTime parseLoggerTimestamp(std::string_view timestamp, bool yearCheck);

/// The measured values of a Sonic record.
struct SonicValues {
    float u = 0.0f, v = 0.0f, w = 0.0f, Ts = 0.0f;
};

/// Splits a data line at its first comma: the Timestamp field and the rest.
inline std::string_view timestampField(std::string_view line, std::string_view& rest) {
    const std::size_t comma = line.find(',');
    if (comma == std::string_view::npos) {
        rest = {};
        return line;
    }
    rest = line.substr(comma + 1);
    return line.substr(0, comma);
}

/// Converts u, v, w and Ts (fields 3 to 6 of the line; `rest` starts at field 2).
/// Missing fields read as empty text, so they convert to 0.
SonicValues parseSonicValues(std::string_view rest);

}  // namespace field
