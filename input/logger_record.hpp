#pragma once
// One data line of a logger file (a Sonic record): quoted timestamp, a second
// field, u, v, w (m/s), Ts (deg C), a seventh field; later fields ignored.

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "input/day_index.hpp"
#include "platform/c_numbers.hpp"
#include "platform/simd.hpp"

namespace field {

struct LoggerTime {
    std::int32_t day = 0;     // day index of the campaign's calendar
    std::int32_t minute = 0;  // 60 * hour + minute; seconds play no part
};

/// How a run reads the date of a timestamp: the one year it accepts, if any, and the
/// campaign's day numbering.
struct TimestampRule {
    bool yearCheck = false;
    std::int32_t year = 2014;  // with yearCheck, the year a timestamp must have
    DayCalendar calendar;
};

/// Day index and minute of day of a Timestamp text such as "2014-08-15 10:00:03.4"
/// (with its quotes). Missing parts count as 0. With the year check on, a year
/// other than the rule's (read after dropping the first character) gives day -1.
LoggerTime parseLoggerTimestamp(std::string_view timestamp, const TimestampRule& rule);

/// Fast path for the timestamp as loggers write it, "YYYY-MM-DD HH:MM..., at the
/// start of a data line. Gives the same day and minute as parseLoggerTimestamp
/// and true when the line has that shape; false (nothing set) otherwise.
inline bool parseCanonicalTimestamp(std::string_view line, const TimestampRule& rule, LoggerTime& t) {
    if (line.size() < 18) return false;
    const char* c = line.data();
    const auto digit = [c](int i) { return static_cast<unsigned>(c[i] - '0'); };
    // Positions 1-4, 6-7, 9-10, 12-13 and 15-16 hold digits, the others the separators.
    // With this shape the date token ends at the space and the first comma lies behind
    // position 17, so the general rules read exactly these digits.
    for (int i : {1, 2, 3, 4, 6, 7, 9, 10, 12, 13, 15, 16})
        if (digit(i) > 9) return false;
    if (c[0] != '"' || c[5] != '-' || c[8] != '-' || c[11] != ' ' || c[14] != ':' || c[17] != ':') return false;
    const auto year = static_cast<std::int32_t>(digit(1) * 1000 + digit(2) * 100 + digit(3) * 10 + digit(4));
    if (rule.yearCheck && year != rule.year) {
        t.day = -1;
    } else {
        const int month = static_cast<int>(digit(6) * 10 + digit(7));
        const int dayOfMonth = static_cast<int>(digit(9) * 10 + digit(10));
        // Within 0..9999, 0..99 and 0..99 the day index fits 32 bits.
        t.day = static_cast<std::int32_t>(rule.calendar.dayIndex(year, month, dayOfMonth));
    }
    t.minute = static_cast<int>((digit(12) * 10 + digit(13)) * 60 + digit(15) * 10 + digit(16));
    return true;
}

/// Remembers the last canonical timestamp up to its minute: at 10 Hz some 600
/// lines in a row share it, and an 18-byte comparison replaces the conversion.
class TimestampCache {
public:
    /// Day and minute of the line's timestamp, by the canonical fast path;
    /// false when the line does not have the canonical shape.
    bool convert(std::string_view line, const TimestampRule& rule, LoggerTime& t) {
        // The same first 17 bytes as a line already read canonically, and the minute
        // ends at position 17: the same day and minute.
        if (valid_ && line.size() >= sizeof stamp_ && std::memcmp(line.data(), stamp_, sizeof stamp_) == 0) {
            t = time_;
            return true;
        }
        if (!parseCanonicalTimestamp(line, rule, t)) return false;
        std::memcpy(stamp_, line.data(), sizeof stamp_);  // position 17 is the colon
        time_ = t;
        valid_ = true;
        return true;
    }

    /// The start every line of the remembered day and minute has, up to the colon
    /// behind its minute; empty before the first canonical line.
    std::string_view prefix() const { return valid_ ? std::string_view(stamp_, sizeof stamp_) : std::string_view(); }

private:
    char stamp_[18] = {};
    LoggerTime time_;
    bool valid_ = false;
};

/// Seconds "SS.ffff" at the start of `text`: every decimal, up to the first other character
/// (3.45 is 3 + 45 / 100, one rounding); 0 when `text` starts with no digit.
/// True for "SS.f" followed by no further digit, as 10 Hz loggers write the seconds.
inline bool isTenthsText(std::string_view text) {
    const auto isDigit = [](char c) { return static_cast<unsigned>(c - '0') < 10; };
    if (text.size() < 4) return false;
    if constexpr (std::endian::native == std::endian::little) {
        // The four bytes in one word, each less '0' (by exclusive or): digits become 0 to 9,
        // the point 0x1E. A byte above 9 has its top bit set in itself or once 0x76 is added
        // (no carry leaves a byte of 0 to 9 or the point).
        std::uint32_t word;
        std::memcpy(&word, text.data(), 4);
        const std::uint32_t x = word ^ 0x30303030u;
        if (((x | (x + 0x76767676u)) & 0x80008080u) != 0 || (x & 0x00FF0000u) != 0x001E0000u) return false;
    } else if (!(isDigit(text[0]) && isDigit(text[1]) && text[2] == '.' && isDigit(text[3]))) {
        return false;
    }
    return text.size() == 4 || !isDigit(text[4]);
}

/// The milliseconds of a text isTenthsText accepts ("03.4" gives 3400).
inline std::uint32_t tenthsMilliseconds(std::string_view text) {
    return static_cast<std::uint32_t>(((text[0] - '0') * 10 + (text[1] - '0')) * 1000 + (text[3] - '0') * 100);
}

inline double secondsText(std::string_view text) {
    // "SS.f": the loop's own operations, unrolled.
    if (isTenthsText(text)) {
        const double whole = (text[0] - '0') * 10 + (text[1] - '0');
        return whole + static_cast<double>(text[3] - '0') / 10;
    }
    double whole = 0;
    std::size_t i = 0;
    for (; i < text.size() && i < 9 && text[i] >= '0' && text[i] <= '9'; ++i) whole = whole * 10 + (text[i] - '0');
    if (i >= text.size() || text[i] != '.') return whole;
    double fraction = 0, scale = 1;
    for (++i; i < text.size() && scale < 1e9 && text[i] >= '0' && text[i] <= '9'; ++i) {
        fraction = fraction * 10 + (text[i] - '0');
        scale *= 10;
    }
    return whole + fraction / scale;
}

/// Seconds within the minute of a data line's timestamp ("...10:00:03.45" gives 3.45), every
/// decimal it carries; 0 when the timestamp has no seconds. Only the quality table reads them.
double timestampSeconds(std::string_view line);

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

/// parseSonicValues field by field, by the C library's rules: for any text.
SonicValues generalSonicValues(std::string_view rest);

namespace detail {

// One value as loggers write it, a plain short decimal after an optional minus, at `p`
// (`begin` the first readable byte before it, `end` the end of the line). Moves `p`
// behind it; false for any other text, with `p` then anywhere.
inline bool plainSonicValue(const char*& p, const char* begin, const char* end, float& out) {
    const bool negative = p < end && *p == '-';
    if (negative) ++p;
    const auto left = static_cast<std::size_t>(end - p);
    std::uint64_t bytes = 0;
    bool haveBytes = true;
    if (left >= 8) {
        std::memcpy(&bytes, p, 8);
    } else if (end - begin >= 8) {
        // The last 8 bytes of the line, the ones before `p` shifted out: zeros end the decimal.
        std::memcpy(&bytes, end - 8, 8);
        bytes = left == 0 ? 0 : bytes >> (8 * (8 - left));
    } else {
        haveBytes = false;
    }
    std::size_t length;
    std::uint32_t mantissa;
    unsigned fraction;
    if (haveBytes && plainDigitsIn8Bytes(bytes, length, mantissa, fraction)) {
        p += length;
        const float value = plainDigitsToFloat(mantissa, fraction);
        out = negative ? -value : value;
        return true;
    }
    double value;
    if (!plainDecimalPrefix(p, end, value)) return false;
    out = static_cast<float>(negative ? -value : value);
    return true;
}

#if FIELD_SSE2
// One value that fills the field [from, to) of `rest` exactly, a short plain decimal after an
// optional minus (plainDigitsIn8Bytes); false for any other field.
inline bool wholeFieldValue(const char* rest, std::size_t size, std::size_t from, std::size_t to, float& out) {
    const bool negative = from < to && rest[from] == '-';
    if (negative) ++from;
    if (from >= to) return false;  // an empty field (or a lone minus) is no plain decimal
    std::uint64_t bytes;
    if (from + 8 <= size) {
        std::memcpy(&bytes, rest + from, 8);
    } else {
        // The last 8 bytes of the text (it holds 16 or more), the ones before the field shifted out.
        std::memcpy(&bytes, rest + size - 8, 8);
        bytes >>= 8 * (from + 8 - size);
    }
    std::size_t length;
    std::uint32_t mantissa;
    unsigned fraction;
    if (!plainDigitsIn8Bytes(bytes, length, mantissa, fraction) || length != to - from) return false;
    const float value = plainDigitsToFloat(mantissa, fraction);
    out = negative ? -value : value;
    return true;
}

// The commas that bound the four values, all of the first 48 bytes found at once: at[k] and
// at[k + 1] bound field k (u, v, w, Ts), at[4] the comma behind Ts or the end of the text.
// False where the text is shorter than 16 bytes or the fields do not end within 48 bytes. A
// record number of 7 digits and three signed values already end Ts past byte 32: 48 bytes
// hold the usual line whole.
inline bool sonicFieldCommas(std::string_view rest, std::size_t (&at)[5]) {
    const std::size_t size = rest.size();
    if (size < 16) return false;
    const char* const p = rest.data();
    const __m128i comma = _mm_set1_epi8(',');
    const auto commasAt = [&](std::size_t from) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + from));
        return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, comma))));
    };
    // Bit i: a comma at rest[i], for i below `seen` (the loads overlap where it is not a multiple of 16).
    const std::size_t seen = size < 48 ? size : 48;
    std::uint64_t commas = commasAt(0) | commasAt(seen - 16) << (seen - 16);
    if (seen > 32) commas |= commasAt(16) << 16;
    for (int k = 0; k < 4; ++k) {
        if (commas == 0) return false;
        at[k] = static_cast<std::size_t>(std::countr_zero(commas));
        commas &= commas - 1;
    }
    if (commas != 0)
        at[4] = static_cast<std::size_t>(std::countr_zero(commas));
    else if (seen == size)
        at[4] = size;  // Ts ends the line
    else
        return false;
    return true;
}

// plainSonicValues with the values read side by side between their commas (sonicFieldCommas)
// rather than each behind the one before it: sonicValuesBetween given the commas,
// sonicValuesByCommas from the text alone. True only where each value fills its field (the
// plain route then reads the same digits); false otherwise, for the plain route to decide.
inline bool sonicValuesBetween(std::string_view rest, const std::size_t (&at)[5], SonicValues& s) {
    const char* const p = rest.data();
    const std::size_t size = rest.size();
    return wholeFieldValue(p, size, at[0] + 1, at[1], s.u) && wholeFieldValue(p, size, at[1] + 1, at[2], s.v) &&
           wholeFieldValue(p, size, at[2] + 1, at[3], s.w) && wholeFieldValue(p, size, at[3] + 1, at[4], s.Ts);
}

inline bool sonicValuesByCommas(std::string_view rest, SonicValues& s) {
    std::size_t at[5];
    return sonicFieldCommas(rest, at) && sonicValuesBetween(rest, at, s);
}
#endif

// The four values of a line as loggers write them, each followed by a comma (Ts may end
// the line): each is then the one correctly rounded division cAtof makes of it, so the
// result has the same bits. False for anything else, for the general route.
inline bool plainSonicValuesInTurn(std::string_view rest, SonicValues& s) {
    const char* const begin = rest.data();
    const char* const end = begin + rest.size();
    const char* p = begin;
    // Field 2, not used: its comma found eight bytes at a time (the lowest flagged byte is exact).
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    for (; end - p >= 8; p += 8) {
        std::uint64_t bytes;
        std::memcpy(&bytes, p, 8);
        bytes ^= kOnes * ',';
        const std::uint64_t commas = (bytes - kOnes) & ~bytes & (kOnes * 0x80);
        if (commas != 0) {
            p += std::countr_zero(commas) / 8;
            break;
        }
    }
    while (p < end && *p != ',') ++p;
    if (p == end) return false;
    ++p;
    // Each value straight into its member: four stores read back as one vector stall.
    const auto value = [&](float& out, bool last) {
        if (!plainSonicValue(p, begin, end, out)) return false;
        if (p < end) {
            if (*p != ',') return false;
            ++p;
            return true;
        }
        return last;  // fewer than four values: the general route
    };
    return value(s.u, false) && value(s.v, false) && value(s.w, false) && value(s.Ts, true);
}

/// The plain route: by the commas where the processor allows, else value after value.
inline bool plainSonicValues(std::string_view rest, SonicValues& s) {
#if FIELD_SSE2
    if (sonicValuesByCommas(rest, s)) return true;
#endif
    return plainSonicValuesInTurn(rest, s);
}

}  // namespace detail

/// Converts u, v, w and Ts (fields 3 to 6 of the line; `rest` starts at field 2).
/// Missing fields read as empty text, so they convert to 0. Inline: the line loop
/// takes the plain route for nearly every line.
inline SonicValues parseSonicValues(std::string_view rest) {
    SonicValues s;
    if (detail::plainSonicValues(rest, s)) return s;
    return generalSonicValues(rest);
}

}  // namespace field
