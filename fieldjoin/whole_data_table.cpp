#include "fieldjoin/whole_data_table.hpp"

#include <array>

#include "common/clock_time.hpp"
#include "common/number_format.hpp"

namespace field {
namespace {

constexpr std::array<SamplerPosition, 9> kFenceDeposition{{
    {"FD1", -6, 0, 0.5f}, {"FD2", -3, 0, 0.5f}, {"FD3", 3, 0, 0.5f}, {"FD4", 6, 0, 0.5f}, {"FD5", 0, 6, 0.5f},
    {"FD6", 0, 3, 0.5f}, {"FD7", 0, -3, 0.5f}, {"FD8", 0, -6, 0.5f}, {"FD9", 0, 0, 0.5f},
}};
constexpr std::array<SamplerPosition, 5> kFenceConcentration{{
    {"FRA", 0, 0, 5}, {"FRB", 0, 0, 3.15f}, {"FRC", 0, 0, 2.225f}, {"FRD", 0, 0, 1.3f}, {"FRE", 0, 0, 0.5f},
}};
constexpr std::array<SamplerPosition, 17> kHillDeposition{{
    {"HD1", -6, 0, 0.5f},
    {"HD2", -3, 0, 0.5f},
    {"HD3", 3, 0, 0.5f},
    {"HD4", 6, 0, 0.5f},
    {"HD5", 0, 6, 0.5f},
    {"HD6", 0, 3, 0.5f},
    {"HD7", 0, -3, 0.5f},
    {"HD8", 0, -6, 0.5f},
    {"HD9", -4.24f, 4.24f, 0.5f},
    {"HD10", -4.59f, 4.59f, 0.5f},
    {"HD11", -4.95f, 4.95f, 0.5f},
    {"HD12", -5.66f, 5.66f, 0.5f},
    {"HD13", -7.07f, 7.07f, 0.5f},
    {"HD14", -9.9f, 9.9f, 0.5f},
    {"HD15", -15.56f, 15.56f, 0.5f},
    {"HD16", -26.87f, 26.87f, 0.5f},
    {"HD17", 0, 0, 0.5f},
}};
constexpr std::array<SamplerPosition, 19> kHillConcentration{{
    {"HR9", -4.24f, 4.24f, 0.5f},
    {"HR10", -4.59f, 4.59f, 0.5f},
    {"HR11", -4.95f, 4.95f, 0.5f},
    {"HR12", -5.66f, 5.66f, 0.5f},
    {"HR14", -9.9f, 9.9f, 0.5f},
    {"HR16", -26.87f, 26.87f, 0.5f},
    {"H1A", 0, 0, 5},
    {"H1B", 0, 0, 3.15f},
    {"H1C", 0, 0, 2.225f},
    {"H1D", 0, 0, 1.3f},
    {"H1E", 0, 0, 0.5f},
    {"H2A", -7.07f, 7.07f, 5},
    {"H2B", -7.07f, 7.07f, 3.15f},
    {"H2C", -7.07f, 7.07f, 1.3f},
    {"H2D", -7.07f, 7.07f, 0.5f},
    {"H3A", -15.56f, 15.56f, 5},
    {"H3B", -15.56f, 15.56f, 3.15f},
    {"H3C", -15.56f, 15.56f, 1.3f},
    {"H3D", -15.56f, 15.56f, 0.5f},
}};

constexpr std::array<const char*, 22> kFixedNames{
    "DayIndex", "BeginMinute", "EndMinute", "Date",  "BeginTime", "EndTime", "SourceStrength", "UStar",
    "L",        "WindSpeed",   "WindDirection", "AvgU", "UStd",    "AvgV",    "VStd",           "AvgW",
    "WStd",     "AvgTs",       "TsStd",     "SolarRad", "RainFall", "Humi"};
constexpr std::array<const char*, 22> kFixedUnits{
    "Day", "Minute", "Minute", "MM/DD/YYYY", "HHMM", "HHMM", "Grains/m2/s", "m/s", "m", "m/s", "degree",
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
void integerField(std::string& row, std::int32_t value) {
    appendInteger(row, value);
    row += ',';
}
void samplerNames(std::string& row, std::span<const SamplerPosition> samplers, const char* readingSuffix) {
    for (const SamplerPosition& s : samplers) {
        for (const char* suffix : {"_x", "_y", "_z", readingSuffix}) {
            row += s.id;
            field(row, suffix);
        }
    }
}

}  // namespace

std::span<const SamplerPosition> depositionSamplers(bool fenceField) {
    if (fenceField) return kFenceDeposition;
    return kHillDeposition;
}
std::span<const SamplerPosition> concentrationSamplers(bool fenceField) {
    if (fenceField) return kFenceConcentration;
    return kHillConcentration;
}

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
            const SamplerPosition& s = deposition[i];
            for (float value : {s.x, s.y, s.z, windowCase.Deposition[i]}) field(row, value);
        }
        for (std::size_t i = 0; i < concentration.size() && i < windowCase.Concentration.size(); ++i) {
            const SamplerPosition& s = concentration[i];
            for (float value : {s.x, s.y, s.z, windowCase.Concentration[i]}) field(row, value);
        }
        for (float value : wind.UZ) field(row, value);
        row += '\n';
        table.file.writeRow(row);
    }
}

}  // namespace field
