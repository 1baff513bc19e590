#pragma once
// Appending table values to a row: integers in plain decimal, floats widened
// to double in the general format with 6 significant digits (printf's %g).

#include <cstdint>
#include <string>

namespace field {

/// Appends the decimal form of an integer.
void appendInteger(std::string& row, std::int64_t value);

/// Appends a float as printf("%g") writes it (6 significant digits; "inf", "-inf"; every NaN "nan").
void appendFloat(std::string& row, float value);

/// Appends a double with a fixed number of decimals ("inf" as it is; every NaN "nan").
void appendFixed(std::string& row, double value, int decimals);

/// Appends a double in the general format with 6 significant digits.
void appendGeneral(std::string& row, double value);

}  // namespace field
