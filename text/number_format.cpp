#include "text/number_format.hpp"

#include <charconv>
#include <cmath>

namespace field {

void appendInteger(std::string& row, std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    row.append(buffer, result.ptr);
}

void appendFloat(std::string& row, float value) {
    // The sign of a NaN depends on how the optimiser ordered the operations that made it:
    // every build prints the same "nan".
    if (std::isnan(value)) {
        row += "nan";
        return;
    }
    char buffer[48];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value), std::chars_format::general, 6);
    row.append(buffer, result.ptr);
}

void appendFixed(std::string& row, double value, int decimals) {
    if (std::isnan(value)) {
        row += "nan";
        return;
    }
    char buffer[400];  // the widest double in fixed notation with a few decimals
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    row.append(buffer, result.ptr);
}

void appendGeneral(std::string& row, double value) {
    if (std::isnan(value)) {
        row += "nan";
        return;
    }
    char buffer[48];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    row.append(buffer, result.ptr);
}

}  // namespace field
