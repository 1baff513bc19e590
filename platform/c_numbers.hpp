#pragma once
// Number conversion with the C library's atoi/atof results, on a string_view,
// without allocation in the common case.

#include <cstdint>
#include <string_view>

namespace field {

/// Same value as std::atoi on the text (leading white space, sign, digits; 0 when none).
/// Out-of-range values follow the C library with a 64-bit long: strtol's saturated result truncated to int.
std::int32_t cAtoi(std::string_view text);

/// Same value as std::atof (= strtod) on the text, bit for bit, including
/// "inf"/"nan"/hexadecimal forms; 0.0 when no number leads the text.
double cAtof(std::string_view text);

}  // namespace field
