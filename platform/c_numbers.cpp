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

// Short plain decimals ("-0.279", "24.31"), the bulk of every logger file: with at
// most 15 significant digits and at most 22 fraction digits both the integer
// mantissa and the power of ten are exact doubles, so one division rounds
// correctly, which is exactly strtod's result. Anything else (exponents, long
// mantissas) returns false and takes the general route.
bool plainDecimal(std::string_view s, double& value) {
    static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                              1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::uint64_t mantissa = 0;
    int digits = 0;
    int fractionDigits = 0;
    std::size_t i = 0;
    for (; i < s.size() && isDigit(s[i]); ++i) {
        mantissa = mantissa * 10 + static_cast<unsigned>(s[i] - '0');
        if (++digits > 15) return false;
    }
    if (i < s.size() && s[i] == '.') {
        for (++i; i < s.size() && isDigit(s[i]); ++i) {
            mantissa = mantissa * 10 + static_cast<unsigned>(s[i] - '0');
            if (++digits > 15 || ++fractionDigits > 22) return false;
        }
    }
    if (digits == 0) return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) return false;
    value = static_cast<double>(mantissa) / kPowersOfTen[fractionDigits];
    return true;
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
