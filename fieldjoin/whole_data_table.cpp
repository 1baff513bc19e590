#include "fieldjoin/whole_data_table.hpp"

#include <array>
#include <vector>

#include "text/clock_time.hpp"
#include "text/number_format.hpp"

namespace field {
namespace {

struct Column {
    const char* name;
    const char* unit;
};

// clang-format off
// The columns before the samplers', each with its unit.
constexpr Column kFixedColumns[] = {
    {"DayIndex", "Day"},           {"BeginMinute", "Minute"},     {"EndMinute", "Minute"}, {"Date", "MM/DD/YYYY"},
    {"BeginTime", "HHMM"},         {"EndTime", "HHMM"},           {"SourceStrength", "Grains/m2/s"},
    {"UStar", "m/s"},              {"L", "m"},                    {"WindSpeed", "m/s"},    {"WindDirection", "degree"},
    {"AvgU", "m/s"},               {"UStd", "m/s"},               {"AvgV", "m/s"},         {"VStd", "m/s"},
    {"AvgW", "m/s"},               {"WStd", "m/s"},               {"AvgTs", "CelsiusDegree"},
    {"TsStd", "CelsiusDegree"},    {"SolarRad", "w/m2"},          {"RainFall", "inch"},    {"Humi", "%"},
};
// clang-format on

void field(std::string& row, std::string_view text) {
    row += text;
    row += ',';
}
void field(std::string& row, float value) {
    appendFloat(row, value);
    row += ',';
}
// Positions are printed as the floats the table has always held.
float metres(double coordinate) { return static_cast<float>(coordinate); }
void integerField(std::string& row, std::int32_t value) {
    appendInteger(row, value);
    row += ',';
}
void samplerNames(std::string& row, const std::vector<SamplerSite>& samplers, const char* readingSuffix) {
    for (const SamplerSite& s : samplers) {
        for (const char* suffix : {"_x", "_y", "_z", readingSuffix}) {
            row += s.id;
            field(row, suffix);
        }
    }
}

}  // namespace

void writeWholeDataHeader(TableRows& table, const RunConfiguration& config) {
    std::string& row = table.row;
    row.clear();
    for (const Column& c : kFixedColumns) field(row, c.name);
    const FieldLayout& layout = config.layout();
    samplerNames(row, layout.deposition, "_dep");
    samplerNames(row, layout.concentration, "_con");
    // "UZ_5", "UZ_3.15": the modelled wind speed at each mast height.
    for (const MastLevel& level : layout.mast) {
        row += "UZ_";
        field(row, static_cast<float>(level.height));
    }
    row += '\n';
    table.file.writeRow(row);

    // The unit row repeats the sampler units by the configured counts.
    row.clear();
    for (const Column& c : kFixedColumns) field(row, c.unit);
    for (std::int32_t i = 0; i < config.DepositionCount; ++i)
        for (const char* unit : {"m", "m", "m", "grains/m2/s"}) field(row, unit);
    for (std::int32_t i = 0; i < config.ConcentrationCount; ++i)
        for (const char* unit : {"m", "m", "m", "grains/m3"}) field(row, unit);
    for (std::size_t i = 0; i < layout.mast.size(); ++i) field(row, "m/s");
    row += '\n';
    table.file.writeRow(row);
}

void writeWholeDataRow(TableRows& table, const MeasurementCase& windowCase, std::int32_t lastWindowMinute,
                       const WindSummary& wind, const WeatherSummary& weather, const RunConfiguration& config) {
    if (table.file.isOpen()) {
        std::string& row = table.row;
        row.clear();
        integerField(row, windowCase.DayIndex);
        integerField(row, windowCase.BeginMinute);
        integerField(row, lastWindowMinute);
        field(row, windowCase.Date);
        field(row, formatClockTime(windowCase.BeginMinute));
        field(row, formatClockTime(lastWindowMinute));
        for (float value : {wind.SourceStrength, wind.UStar, wind.L, wind.WindSpeed, wind.WindDirection, wind.AvgU,
                            wind.UStd, wind.AvgV, wind.VStd, wind.AvgW, wind.WStd, wind.AvgTs, wind.TsStd,
                            weather.SolarRad, weather.RainFall, weather.Humi})
            field(row, value);
        const auto& deposition = config.layout().deposition;
        const auto& concentration = config.layout().concentration;
        for (std::size_t i = 0; i < deposition.size() && i < windowCase.Deposition.size(); ++i) {
            for (float value :
                 {metres(deposition[i].x), metres(deposition[i].y), metres(deposition[i].z), windowCase.Deposition[i]})
                field(row, value);
        }
        for (std::size_t i = 0; i < concentration.size() && i < windowCase.Concentration.size(); ++i) {
            for (float value : {metres(concentration[i].x), metres(concentration[i].y), metres(concentration[i].z),
                                windowCase.Concentration[i]})
                field(row, value);
        }
        for (std::size_t i = 0; i < config.layout().mast.size(); ++i)
            field(row, i < wind.UZ.size() ? wind.UZ[i] : 0.0f);
        row += '\n';
        table.file.writeRow(row);
    }
}

}  // namespace field
