#include "quality/quality_table.hpp"

#include <string_view>

#include "text/number_format.hpp"

namespace field {
namespace {

struct Column {
    std::string_view name;
    std::string_view unit;
    bool fieldjoin;
    bool casetable;
};

// clang-format off
constexpr Column kColumns[] = {
    {"TestCaseID",     "TestCaseID", false, true},
    {"DayIndex",       "Day",        true,  true},
    {"BeginMinute",    "Minute",     true,  true},
    {"EndMinute",      "Minute",     true,  true},
    {"WindowMinutes",  "min",        true,  true},
    {"LoggerLines",    "count",      true,  true},
    {"Samples",        "count",      true,  true},
    {"TsRejected",     "count",      true,  true},
    {"Coverage",       "%",          true,  true},
    {"LongestGap",     "s",          true,  true},
    {"RateHz",         "Hz",         true,  true},
    {"StationRecords", "count",      true,  false},
    {"ForeignSamples", "count",      true,  true},
    {"InvalidSamples", "count",      true,  true},
    {"SpikesU",        "count",      true,  true},
    {"SpikesV",        "count",      true,  true},
    {"SpikesW",        "count",      true,  true},
    {"SpikesTs",       "count",      true,  true},
    {"SpikeShareU",    "%",          true,  true},
    {"SpikeShareV",    "%",          true,  true},
    {"SpikeShareW",    "%",          true,  true},
    {"SpikeShareTs",   "%",          true,  true},
    {"SteadyUW",       "%",          true,  true},
    {"SteadyUWClass",  "1-9",        true,  true},
    {"SteadyWTs",      "%",          true,  true},
    {"SteadyWTsClass", "1-9",        true,  true},
    {"Zeta",           "1",          true,  true},
    {"ItcW",           "%",          true,  true},
    {"ItcWClass",      "1-9",        true,  true},
    {"ItcTest",        "text",       true,  true},
    {"QcFlag",         "0-2",        true,  true},
    {"QcReasons",      "text",       true,  true},
    {"UWError",        "m2/s2",      true,  true},
    {"VWError",        "m2/s2",      true,  true},
    {"WTsError",       "K m/s",      true,  true},
    {"DirectionError", "deg",        true,  true},
    {"SourceStrengthMedian", "Grains/m2/s", true, true},
    {"SourceStrengthLow",    "Grains/m2/s", true, true},
    {"SourceStrengthHigh",   "Grains/m2/s", true, true},
    {"SourceStrengthSpread", "%",           true, true},
    {"SourceStrengthDriver", "text",        true, true},
    {"SourceShareUstar",     "%",           true, true},
    {"SourceShareZ0",        "%",           true, true},
    {"SourceShareCanopy",    "%",           true, true},
    {"SourceShareDirection", "%",           true, true},
    {"SourceShareMast",      "%",           true, true},
};

constexpr int kUncertaintyColumns = 14;  // from UWError on
// clang-format on

bool hasColumn(const Column& c, Program program) { return program == Program::Fieldjoin ? c.fieldjoin : c.casetable; }

std::string_view itcText(ItcStatus status) {
    switch (status) {
        case ItcStatus::Run: return "run";
        case ItcStatus::NoSiteFacts: return "no-site-facts";
        case ItcStatus::OutOfRange: return "zeta-out-of-range";
        case ItcStatus::NoTurbulence: return "no-turbulence";
        case ItcStatus::NearEquator: return "near-equator";
    }
    return "";
}

// ",UWError,...,SourceShareMast": empty where the window has no sampling error or no interval.
void appendUncertainty(std::string& row, const WindowQuality& quality) {
    const SamplingErrors& e = quality.errors;
    for (const double error : {e.uw, e.vw, e.wTs, e.directionDegrees}) {
        row += ',';
        if (e.known()) appendGeneral(row, error);
    }
    const SourceInterval& s = quality.source;
    if (!s.computed) {
        row.append(kUncertaintyColumns - 4, ',');
        return;
    }
    for (const double value : {s.median, s.low, s.high}) {
        row += ',';
        appendGeneral(row, value);
    }
    row += ',';
    appendFixed(row, s.spreadPercent, 1);
    row += ',';
    if (s.driver >= 0) row += sourceInputName(static_cast<SourceInput>(s.driver));
    for (const double share : s.share) {
        row += ',';
        appendFixed(row, share, 1);
    }
}

}  // namespace

std::string qualityTableName(const std::string& tableName) {
    constexpr std::string_view kSuffix = ".txt";
    const std::string_view name = tableName;
    if (name.size() >= kSuffix.size() && name.substr(name.size() - kSuffix.size()) == kSuffix)
        return std::string(name.substr(0, name.size() - kSuffix.size())) + " QC.txt";
    return tableName + " QC.txt";
}

void writeQualityHeader(TableRows& table, Program program) {
    for (const bool units : {false, true}) {
        table.row.clear();
        for (const Column& c : kColumns) {
            if (!hasColumn(c, program)) continue;
            if (!table.row.empty()) table.row += ',';
            table.row += units ? c.unit : c.name;
        }
        table.row += '\n';
        table.file.writeRow(table.row);
    }
}

void writeQualityRow(TableRows& table, Program program, const QualityRowKeys& keys, const WindowRecord& record,
                     const WindowQuality& quality) {
    if (!table.file.isOpen()) return;
    std::string& row = table.row;
    row.clear();
    const auto integer = [&row](std::int64_t value) {
        appendInteger(row, value);
        row += ',';
    };
    const auto fixed = [&row](double value, int decimals) {
        appendFixed(row, value, decimals);
        row += ',';
    };
    if (program == Program::Casetable) integer(keys.testCaseId);
    integer(keys.dayIndex);
    integer(keys.beginMinute);
    integer(keys.endMinute);
    integer(keys.windowMinutes);
    integer(record.loggerLines);
    integer(quality.samples);
    integer(record.tsRejected);
    if (!quality.assessed) {
        // Only what the reader counted: no test has a value.
        row += ",,,";
        if (program == Program::Fieldjoin) integer(keys.stationRecords);
        integer(record.foreignSamples);
        row += ",,,,,,,,,,,,,,,,not-assessed,2,not-assessed";
        row.append(kUncertaintyColumns, ',');
        row += '\n';
        table.file.writeRow(row);
        return;
    }
    fixed(quality.coveragePercent, 1);
    fixed(quality.longestGapSeconds, 2);
    appendGeneral(row, quality.rateHz);
    row += ',';
    if (program == Program::Fieldjoin) integer(keys.stationRecords);
    integer(record.foreignSamples);
    integer(quality.invalidSamples);
    for (const std::int32_t spikes : quality.spikes) integer(spikes);
    for (const double share : quality.spikeShare) fixed(share, 3);
    if (quality.steadyRun) {
        fixed(quality.steadyUW, 1);
        integer(quality.steadyUWClass);
        fixed(quality.steadyWTs, 1);
        integer(quality.steadyWTsClass);
    } else {
        row += ",,,,";  // the test needs two sub-intervals with samples
    }
    if (quality.itcStatus == ItcStatus::Run || quality.itcStatus == ItcStatus::OutOfRange ||
        quality.itcStatus == ItcStatus::NearEquator) {
        appendGeneral(row, quality.zeta);
    }
    row += ',';
    if (quality.itcStatus == ItcStatus::Run) {
        fixed(quality.itcW, 1);
        integer(quality.itcWClass);
    } else {
        row += ",,";
    }
    row += itcText(quality.itcStatus);
    row += ',';
    appendInteger(row, quality.flag);
    row += ',';
    row += qcReasonsText(quality.reasons);
    appendUncertainty(row, quality);
    row += '\n';
    table.file.writeRow(row);
}

}  // namespace field
