#include "platform/c_numbers.hpp"

#include <charconv>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace field {
namespace {

// White space as the "C" locale's isspace sees it.
constexpr bool isCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t skipSpace(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && isCSpace(s[i])) ++i;
    return i;
}

// The rare forms (hexadecimal, inf, nan, out-of-range) go through strtod on a
// NUL-terminated copy. Only the longest prefix strtod could read is copied.
double strtodCopy(std::string_view s) {
    std::size_t n = 0;
    while (n < s.size()) {
        const char c = s[n];
        const bool plausible = isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '.' || c == '+' ||
                               c == '-' || c == '(' || c == ')' || c == '_';
        if (!plausible) break;
        ++n;
    }
    char small[128];
    if (n < sizeof small) {
        s.copy(small, n);
        small[n] = '\0';
        return std::strtod(small, nullptr);
    }
    const std::string copy(s.substr(0, n));
    return std::strtod(copy.c_str(), nullptr);
}

// Short plain decimals ("-0.279", "24.31"), the bulk of every logger file, by the one exact
// division; an exponent or a long mantissa returns false and takes the general route.
bool plainDecimal(std::string_view s, double& value) {
    const char* p = s.data();
    const char* const end = p + s.size();
    if (!plainDecimalPrefix(p, end, value)) return false;
    return p == end || (*p != 'e' && *p != 'E');
}

}  // namespace

std::int32_t cAtoi(std::string_view text) {
    std::size_t i = skipSpace(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    // strtol saturates at the range of a 64-bit long and atoi narrows that to
    // int. The 64-bit range holds on every platform, also where long has 32
    // bits, so a table never depends on where it was made.
    constexpr std::uint64_t kMax = static_cast<std::uint64_t>(INT64_MAX);
    const std::uint64_t limit = negative ? kMax + 1 : kMax;
    std::uint64_t magnitude = 0;
    bool overflow = false;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        if (overflow) continue;
        const unsigned digit = static_cast<unsigned>(text[i] - '0');
        if (magnitude > (limit - digit) / 10) {
            overflow = true;
        } else {
            magnitude = magnitude * 10 + digit;
        }
    }
    if (overflow) magnitude = limit;
    // Two's complement wrap-around of the saturated value, then the low 32 bits.
    const std::uint64_t bits = negative ? ~magnitude + 1 : magnitude;
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
}

double cAtof(std::string_view text) {
    const std::size_t start = skipSpace(text);
    std::string_view s = text.substr(start);
    if (s.empty()) return 0.0;
    std::size_t i = 0;
    bool negative = false;
    if (s[0] == '+' || s[0] == '-') {
        negative = s[0] == '-';
        i = 1;
    }
    if (i >= s.size()) return 0.0;
    const char first = s[i];
    if (!isDigit(first) && first != '.') {
        // Only inf/infinity/nan(...) can still start a number here.
        const char lower = static_cast<char>(first | 0x20);
        if (lower == 'i' || lower == 'n') return strtodCopy(s);
        return 0.0;
    }
    if (first == '0' && i + 1 < s.size() && (s[i + 1] == 'x' || s[i + 1] == 'X')) return strtodCopy(s);
    double fast;
    if (plainDecimal(s.substr(i), fast)) return negative ? -fast : fast;
    // from_chars reads the same decimal grammar as strtod, less the '+' sign.
    double value = 0.0;
    const char* begin = s.data() + i;
    const auto [ptr, ec] = std::from_chars(begin, s.data() + s.size(), value, std::chars_format::general);
    if (ec == std::errc::invalid_argument) return 0.0;  // "." or ".e5": no number
    if (ec == std::errc::result_out_of_range) return strtodCopy(s);
    (void)ptr;
    return negative ? -value : value;
}

}  // namespace field
