#include "fieldjoin/sampler_table.hpp"

#include <cmath>
#include <numbers>

#include "input/day_index.hpp"
#include "platform/c_numbers.hpp"
#include "platform/fields.hpp"
#include "text/number_format.hpp"

namespace field {
namespace {

constexpr const char* kColumns[] = {
    "DayIndex",      "BeginMinute",
    "EndMinute",     "Date",
    "Begin",         "End",
    "Sampler",       "Kind",
    "X_m",           "Y_m",
    "Z_m",           "Distance_m",
    "Bearing_deg",   "Downwind_m",
    "Crosswind_m",   "Reading",
    "ReadingUnit",   "SourceStrength_grains_m2_s",
    "UStar_m_s",     "L_m",
    "WindSpeed_m_s", "WindDirection_deg",
    "QcFlag",
};

constexpr double kDegrees = 180.0 / std::numbers::pi;

// A statistic or reading as the tables print it, or nothing where it is missing (-999 for the
// source strength, below 0 for a reading) or not a number: R and pandas read both as NA.
void valueField(std::string& row, float value, bool missing) {
    if (!missing && std::isfinite(value)) appendFloat(row, value);
    row += ',';
}
void fixedField(std::string& row, std::optional<double> value) {
    // What rounds to 0 is written 0.000, never -0.000.
    if (value && std::isfinite(*value)) appendFixed(row, std::fabs(*value) < 5e-4 ? 0.0 : *value, 3);
    row += ',';
}
void textField(std::string& row, std::string_view text) {
    row += text;
    row += ',';
}
void integerField(std::string& row, std::int64_t value) {
    appendInteger(row, value);
    row += ',';
}

}  // namespace

std::string samplerTableName(const std::string& tableName) {
    constexpr std::string_view kSuffix = ".txt";
    const std::string_view name = tableName;
    if (name.ends_with(kSuffix)) return std::string(name.substr(0, name.size() - kSuffix.size())) + " Samplers.txt";
    return tableName + " Samplers.txt";
}

void writeSamplerHeader(TableRows& table) {
    table.row.clear();
    for (const char* name : kColumns) {
        if (!table.row.empty()) table.row += ',';
        table.row += name;
    }
    table.row += '\n';
    table.file.writeRow(table.row);
}

std::optional<double> samplerBearing(const FieldLayout& field, double x, double y) {
    if (x == 0 && y == 0) return std::nullopt;
    const SamplerSite& at0 = field.sampler(field.rings[0].atBearing[0]);
    const SamplerSite& at90 = field.sampler(field.rings[0].atBearing[1]);
    const double zero = std::atan2(at0.y, at0.x);
    // The rings turn the way from their at_0 sampler to their at_90 one.
    const double turn = std::remainder(std::atan2(at90.y, at90.x) - zero, 2 * std::numbers::pi);
    const double sense = turn < 0 ? -1.0 : 1.0;
    const double bearing = std::fmod(sense * (std::atan2(y, x) - zero) * kDegrees + 720.0, 360.0);
    return bearing;
}

std::string isoDateTime(std::string_view date, std::int64_t minute) {
    FieldSplitter pieces(date, '/');
    std::string_view p[3];
    for (std::string_view& piece : p)
        if (!pieces.next(piece) || piece.empty()) return {};
    std::string_view rest;
    if (pieces.next(rest)) return {};
    std::int64_t n[3];
    for (int i = 0; i < 3; ++i) {
        for (const char c : p[i])
            if (c < '0' || c > '9') return {};
        n[i] = cAtoi(p[i]);
    }
    const bool yearFirst = n[0] > 12;
    const std::int64_t year = yearFirst ? n[0] : n[2], month = yearFirst ? n[1] : n[0], day = yearFirst ? n[2] : n[1];
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return {};
    const std::int64_t dayShift = minute >= 0 ? minute / 1440 : -((1439 - minute) / 1440);
    const std::int64_t clock = minute - dayShift * 1440;
    const CivilDate d = civilFromDays(daysSinceEpoch(year, month, day) + dayShift);
    const auto two = [](std::string& s, std::int64_t v) {
        s += static_cast<char>('0' + v / 10 % 10);
        s += static_cast<char>('0' + v % 10);
    };
    std::string text;
    appendInteger(text, d.year);
    text += '-';
    two(text, d.month);
    text += '-';
    two(text, d.day);
    text += 'T';
    two(text, clock / 60);
    text += ':';
    two(text, clock % 60);
    return text;
}

void appendSamplerRows(std::string& rows, const MeasurementCase& windowCase, std::int32_t lastWindowMinute,
                       const WindSummary& wind, const FieldLayout& field) {
    const std::string begin = isoDateTime(windowCase.Date, windowCase.BeginMinute);
    const std::string end = isoDateTime(windowCase.Date, windowCase.EndMinute);
    const double direction = wind.WindDirection;
    for (int i = 0; i < field.samplerCount(); ++i) {
        const SamplerSite& s = field.sampler(i);
        const bool deposition = field.isDeposition(i);
        const std::vector<float>& readings = deposition ? windowCase.Deposition : windowCase.Concentration;
        const auto at = static_cast<std::size_t>(deposition ? i : i - static_cast<int>(field.deposition.size()));
        if (at >= readings.size()) continue;  // the row's block had no place for it
        const float reading = readings[at];
        integerField(rows, windowCase.DayIndex);
        integerField(rows, windowCase.BeginMinute);
        integerField(rows, lastWindowMinute);
        textField(rows, windowCase.Date);
        textField(rows, begin);
        textField(rows, end);
        textField(rows, s.id);
        textField(rows, deposition ? "deposition" : "concentration");
        // Positions as the whole-data table prints them: the floats it has always held.
        for (const double c : {s.x, s.y, s.z}) valueField(rows, static_cast<float>(c), false);
        const double distance = std::hypot(s.x, s.y);
        fixedField(rows, distance);
        const std::optional<double> bearing = samplerBearing(field, s.x, s.y);
        fixedField(rows, bearing);
        const double relative = (bearing.value_or(0) - direction) / kDegrees;
        fixedField(rows, distance > 0 ? distance * std::cos(relative) : 0.0);
        fixedField(rows, distance > 0 ? distance * std::sin(relative) : 0.0);
        valueField(rows, reading, reading < 0);
        textField(rows, deposition ? "grains/m2/s" : "grains/m3");
        valueField(rows, wind.SourceStrength, wind.SourceStrength == -999.0f);
        for (const float value : {wind.UStar, wind.L, wind.WindSpeed, wind.WindDirection})
            valueField(rows, value, false);
        rows += '\n';
    }
}

}  // namespace field
