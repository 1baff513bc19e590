#pragma once
// Number conversion with the C library's atoi/atof results, on a string_view,
// without allocation in the common case.

#include <bit>
#include <cstddef>
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

/// The digits of a short decimal without a loop over them: `bytes` are the 8 bytes from the
/// decimal's first character, read little-endian; the bytes after the decimal may be anything.
/// Gives the decimal's length (digits and point), its digits as an integer (at most 7 of them,
/// so below 2^24) and how many of them stand behind the point; false when it has no digit or
/// may run past the 8 bytes (then at least 8 characters long: let plainDecimalPrefix decide).
inline bool plainDigitsIn8Bytes(std::uint64_t bytes, std::size_t& length, std::uint32_t& mantissa,
                                unsigned& fractionDigits) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    const std::uint64_t digits = bytes ^ (kOnes * '0');  // a digit byte becomes its value
    // The high bit of every byte that is no digit (no carry crosses a byte boundary).
    const std::uint64_t other = (((digits & (kOnes * 0x7f)) + kOnes * 0x76) | digits) & (kOnes * 0x80);
    if (other == 0) return false;
    const auto whole = static_cast<unsigned>(std::countr_zero(other)) / 8;  // 0 to 7
    unsigned count = whole, fraction = 0;                                   // digits, and those behind the point
    length = whole;
    if (((bytes >> (8 * whole)) & 0xff) == '.') {
        const std::uint64_t after = other & (other - 1);  // the first non-digit behind the point
        if (after == 0) return false;
        const auto end = static_cast<unsigned>(std::countr_zero(after)) / 8;  // whole < end <= 7
        fraction = end - whole - 1;
        count = end - 1;
        length = end;
    }
    if (count == 0) return false;
    // The digits behind the point moved down over it; whatever lies behind the last digit
    // leaves at the top in the shift below.
    const std::uint64_t wholeBytes = (std::uint64_t{1} << (8 * whole)) - 1;
    const std::uint64_t packed = (digits & wholeBytes) | ((digits >> 8) & ~wholeBytes);
    // Right-aligned behind leading zeros, the eight digit values combine in three multiplications.
    std::uint64_t v = packed << (8 * (8 - count));
    v = (v * 10) + (v >> 8);
    v = (((v & 0x000000ff000000ffu) * (100 + (std::uint64_t{1000000} << 32))) +
         (((v >> 16) & 0x000000ff000000ffu) * (1 + (std::uint64_t{10000} << 32)))) >>
        32;
    mantissa = static_cast<std::uint32_t>(v);
    fractionDigits = fraction;
    return true;
}

/// plainDecimalPrefix for a short decimal (plainDigitsIn8Bytes): the same length and value.
inline bool plainDecimalIn8Bytes(std::uint64_t bytes, std::size_t& length, double& value) {
    std::uint32_t mantissa;
    unsigned fraction;
    if (!plainDigitsIn8Bytes(bytes, length, mantissa, fraction)) return false;
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
    value = static_cast<double>(mantissa) / kPowersOfTen[fraction];
    return true;
}

/// float(mantissa / 10^fractionDigits as strtod rounds it), for plainDigitsIn8Bytes's results,
/// with a multiplication in place of the division. Exact: below 2^24 the quotient lies at
/// least 2^-44 (relative) from every halfway point between floats unless it is one, which
/// takes a mantissa of 2^24 and more; the product's two roundings move it by 2^-52 at most,
/// so it rounds to the float the correctly rounded double rounds to.
inline float plainDigitsToFloat(std::uint32_t mantissa, unsigned fractionDigits) {
    static constexpr double kInversePowersOfTen[] = {1e0, 1e-1, 1e-2, 1e-3, 1e-4, 1e-5, 1e-6};
    return static_cast<float>(static_cast<double>(mantissa) * kInversePowersOfTen[fractionDigits]);
}

/// Same value as std::atoi on the text (leading white space, sign, digits; 0 when none).
/// Out-of-range values follow the C library with a 64-bit long: strtol's saturated result truncated to int.
std::int32_t cAtoi(std::string_view text);

/// Same value as std::atof (= strtod) on the text, bit for bit, including
/// "inf"/"nan"/hexadecimal forms; 0.0 when no number leads the text.
double cAtof(std::string_view text);

}  // namespace field
