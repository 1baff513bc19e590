#include "fieldjoin/whole_data_table.hpp"

#include <array>

#include "input/field_layout.hpp"
#include "text/clock_time.hpp"
#include "text/number_format.hpp"

namespace field {
namespace {

constexpr std::array<const char*, 22> kFixedNames{
    "DayIndex", "BeginMinute", "EndMinute",     "Date",     "BeginTime", "EndTime", "SourceStrength", "UStar",
    "L",        "WindSpeed",   "WindDirection", "AvgU",     "UStd",      "AvgV",    "VStd",           "AvgW",
    "WStd",     "AvgTs",       "TsStd",         "SolarRad", "RainFall",  "Humi"};
constexpr std::array<const char*, 22> kFixedUnits{
    "Day", "Minute", "Minute", "MM/DD/YYYY", "HHMM", "HHMM", "Grains/m2/s",   "m/s",           "m",    "m/s",  "degree",
    "m/s", "m/s",    "m/s",    "m/s",        "m/s",  "m/s",  "CelsiusDegree", "CelsiusDegree", "w/m2", "inch", "%"};
constexpr std::array<const char*, 5> kProfileNames{"UZ_5", "UZ_3.15", "UZ_2.225", "UZ_1.3", "UZ_0.5"};

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
void samplerNames(std::string& row, std::span<const SamplerSite> samplers, const char* readingSuffix) {
    for (const SamplerSite& s : samplers) {
        for (const char* suffix : {"_x", "_y", "_z", readingSuffix}) {
            row += s.id;
            field(row, suffix);
        }
    }
}

}  // namespace

std::span<const SamplerSite> depositionSamplers(bool fenceField) { return fieldLayout(fenceField).deposition; }
std::span<const SamplerSite> concentrationSamplers(bool fenceField) { return fieldLayout(fenceField).concentration; }

void writeWholeDataHeader(WholeDataTable& table, const RunConfiguration& config) {
    std::string& row = table.row;
    row.clear();
    for (const char* name : kFixedNames) field(row, name);
    samplerNames(row, depositionSamplers(config.FenceField), "_dep");
    samplerNames(row, concentrationSamplers(config.FenceField), "_con");
    for (const char* name : kProfileNames) field(row, name);
    row += '\n';
    table.file.writeRow(row);

    // The unit row repeats the sampler units by the configured counts.
    row.clear();
    for (const char* unit : kFixedUnits) field(row, unit);
    for (std::int32_t i = 0; i < config.DepositionCount; ++i)
        for (const char* unit : {"m", "m", "m", "grains/m2/s"}) field(row, unit);
    for (std::int32_t i = 0; i < config.ConcentrationCount; ++i)
        for (const char* unit : {"m", "m", "m", "grains/m3"}) field(row, unit);
    for (int i = 0; i < 5; ++i) field(row, "m/s");
    row += '\n';
    table.file.writeRow(row);
}

void writeWholeDataRow(WholeDataTable& table, const MeasurementCase& windowCase, std::int32_t lastWindowMinute,
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
        const auto deposition = depositionSamplers(config.FenceField);
        const auto concentration = concentrationSamplers(config.FenceField);
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
        for (float value : wind.UZ) field(row, value);
        row += '\n';
        table.file.writeRow(row);
    }
}

}  // namespace field
