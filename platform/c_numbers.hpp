#pragma once
// Number conversion with the C library's atoi/atof results, on a string_view,
// without allocation in the common case.

#include <cstdint>
#include <string_view>

namespace field {

/// Reads a plain decimal (digits, optionally a point and more digits; no sign, no exponent) at
/// `p` and moves `p` past it. With at most 15 significant digits and 22 fraction digits, the
/// integer mantissa and the power of ten are exact doubles, so one division rounds correctly:
/// strtod's value. False (`p` then anywhere in the text) for no digit or more digits than that.
inline bool plainDecimalPrefix(const char*& p, const char* end, double& value) {
    static constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                              1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    std::uint64_t mantissa = 0;
    int digits = 0, fractionDigits = 0;
    for (; p < end && static_cast<unsigned>(*p - '0') < 10; ++p, ++digits)
        mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    if (p < end && *p == '.') {
        for (++p; p < end && static_cast<unsigned>(*p - '0') < 10; ++p, ++digits, ++fractionDigits)
            mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    }
    // Beyond 19 digits the mantissa wraps, but those are refused here anyway.
    if (digits == 0 || digits > 15 || fractionDigits > 22) return false;
    value = static_cast<double>(mantissa) / kPowersOfTen[fractionDigits];
    return true;
}

/// Same value as std::atoi on the text (leading white space, sign, digits; 0 when none).
/// Out-of-range values follow the C library with a 64-bit long: strtol's saturated result truncated to int.
std::int32_t cAtoi(std::string_view text);

/// Same value as std::atof (= strtod) on the text, bit for bit, including
/// "inf"/"nan"/hexadecimal forms; 0.0 when no number leads the text.
double cAtof(std::string_view text);

}  // namespace field
