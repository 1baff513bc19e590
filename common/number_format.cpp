#include "common/number_format.hpp"

#include <charconv>

namespace field {

void appendInteger(std::string& row, std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    row.append(buffer, result.ptr);
}

void appendFloat(std::string& row, float value) {
    char buffer[48];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value), std::chars_format::general, 6);
    row.append(buffer, result.ptr);
}

void appendFixed(std::string& row, double value, int decimals) {
    char buffer[400];  // the widest double in fixed notation with a few decimals
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    row.append(buffer, result.ptr);
}

void appendGeneral(std::string& row, double value) {
    char buffer[48];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    row.append(buffer, result.ptr);
}

}  // namespace field
