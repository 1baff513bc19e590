#include "input/logger_record.hpp"

#include <cstring>

#include "platform/c_numbers.hpp"
#include "platform/fields.hpp"

namespace field {
namespace {

// Piece `index` (from 0) of `text` split at `separator`; empty when missing.
std::string_view piece(std::string_view text, char separator, int index, bool& present) {
    FieldSplitter s(text, separator);
    std::string_view out;
    for (int i = 0; i <= index; ++i) {
        if (!s.next(out)) {
            present = false;
            return {};
        }
    }
    present = true;
    return out;
}

// atoi of a short digit run, the common case, without the general routine.
std::int32_t smallAtoi(std::string_view text) {
    if (text.size() >= 1 && text.size() <= 4) {
        std::int32_t value = 0;
        for (char c : text) {
            if (c < '0' || c > '9') return cAtoi(text);
            value = value * 10 + (c - '0');
        }
        return value;
    }
    return cAtoi(text);
}

// Arithmetic on values read from the file wraps like the 32-bit registers it
// always ran in, instead of overflowing into undefined behaviour.
std::int32_t wrap(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

}  // namespace

LoggerTime parseLoggerTimestamp(std::string_view timestamp, const TimestampRule& rule) {
    bool present = false;
    // Tokens are separated by single spaces: token 1 the date, token 2 the time.
    const std::string_view date = piece(timestamp, ' ', 0, present);
    const bool hasDate = present && !timestamp.empty();
    const std::string_view time = piece(timestamp, ' ', 1, present);
    const bool hasTime = present;

    std::int32_t year = 0, month = 0, dayOfMonth = 0;
    bool yearOk = true;
    if (hasDate) {
        FieldSplitter parts(date, '-');
        std::string_view y, m, d;
        parts.next(y);
        if (parts.next(m)) {
            month = smallAtoi(m);
            if (parts.next(d)) dayOfMonth = smallAtoi(d);
        }
        if (!y.empty()) year = smallAtoi(y.substr(1));
        if (rule.yearCheck) yearOk = !y.empty() && year == rule.year;
    } else if (rule.yearCheck) {
        yearOk = false;  // an empty text has no year piece: year 0
    }

    LoggerTime t;
    if (!yearOk) {
        t.day = -1;
    } else {
        t.day = wrap(rule.calendar.dayIndex(year, month, dayOfMonth));
    }
    if (hasTime) {
        FieldSplitter parts(time, ':');
        std::string_view h, m;
        parts.next(h);
        const std::int32_t hour = smallAtoi(h);
        const std::int32_t minute = parts.next(m) ? smallAtoi(m) : 0;
        t.minute = wrap(60 * std::int64_t{hour} + minute);
    }
    return t;
}

double timestampSeconds(std::string_view line) {
    std::string_view ignored;
    std::string_view stamp = timestampField(line, ignored);
    // The seconds follow the second colon of the time token, the one after the first space.
    const std::size_t space = stamp.find(' ');
    if (space == std::string_view::npos) return 0;
    stamp.remove_prefix(space + 1);
    const std::size_t first = stamp.find(':');
    if (first == std::string_view::npos) return 0;
    const std::size_t second = stamp.find(':', first + 1);
    if (second == std::string_view::npos) return 0;
    return secondsText(stamp.substr(second + 1));
}

SonicValues generalSonicValues(std::string_view rest) {
    SonicValues s;
    FieldSplitter fields(rest, ',');
    std::string_view f;
    if (!fields.next(f)) return s;  // field 2, not used
    if (fields.next(f))
        s.u = static_cast<float>(cAtof(f));
    else
        return s;
    if (fields.next(f))
        s.v = static_cast<float>(cAtof(f));
    else
        return s;
    if (fields.next(f))
        s.w = static_cast<float>(cAtof(f));
    else
        return s;
    if (fields.next(f)) s.Ts = static_cast<float>(cAtof(f));
    return s;
}

}  // namespace field
