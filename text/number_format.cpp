#include "text/number_format.hpp"

#include <charconv>
#include <cmath>

namespace field {

void appendInteger(std::string& row, std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    row.append(buffer, result.ptr);
}

namespace {

// A double by std::to_chars. The sign of a NaN depends on how the optimiser ordered the
// operations that made it: every build prints the same "nan".
template <std::size_t Room>
void appendDouble(std::string& row, double value, std::chars_format format, int precision) {
    if (std::isnan(value)) {
        row += "nan";
        return;
    }
    char buffer[Room];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format, precision);
    row.append(buffer, result.ptr);
}

}  // namespace

void appendFloat(std::string& row, float value) {
    appendDouble<48>(row, static_cast<double>(value), std::chars_format::general, 6);
}

// The widest double in fixed notation with a few decimals takes some 320 characters.
void appendFixed(std::string& row, double value, int decimals) {
    appendDouble<400>(row, value, std::chars_format::fixed, decimals);
}

void appendGeneral(std::string& row, double value) { appendDouble<48>(row, value, std::chars_format::general, 6); }

}  // namespace field
