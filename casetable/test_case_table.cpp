#include "casetable/test_case_table.hpp"

#include <array>

#include "text/clock_time.hpp"
#include "text/number_format.hpp"

namespace field {
namespace {

constexpr std::array<const char*, 13> kNames{"TestCaseID", "DayIndex",  "BeginMinute",  "EndMinute",      "Date",
                                             "BeginTime",  "EndTime",   "TimePeriod",   "SourceStrength", "UStar",
                                             "L",          "WindSpeed", "WindDirection"};
// The unit row repeats the id's name in its first column.
constexpr std::array<const char*, 13> kUnits{"TestCaseID", "Day",  "Minute", "Minute",      "MM/DD/YYYY",
                                             "HHMM",       "HHMM", "s",      "Grains/m2/s", "m/s",
                                             "m",          "m/s",  "degree"};

}  // namespace

void writeTestCaseHeader(TestCaseTable& table) {
    for (const auto* names : {&kNames, &kUnits}) {
        table.row.clear();
        for (const char* name : *names) {
            table.row += name;
            table.row += ',';
        }
        table.row += '\n';
        table.file.writeRow(table.row);
    }
}

void writeTestCaseRow(TestCaseTable& table, std::int32_t testCaseId, const MeasurementCase& windowCase,
                      std::int32_t lastWindowMinute, const WindSummary& wind) {
    if (!table.file.isOpen()) return;
    // 32-bit arithmetic as the table always had it, wrapping instead of overflowing.
    const auto timePeriod = static_cast<std::int32_t>(
        (static_cast<std::uint32_t>(lastWindowMinute) - static_cast<std::uint32_t>(windowCase.BeginMinute) + 1u) * 60u);
    std::string& row = table.row;
    row.clear();
    appendInteger(row, testCaseId);
    row += ',';
    appendInteger(row, windowCase.DayIndex);
    row += ',';
    appendInteger(row, windowCase.BeginMinute);
    row += ',';
    appendInteger(row, lastWindowMinute);
    row += ',';
    row += windowCase.Date;
    row += ',';
    row += formatClockTime(windowCase.BeginMinute);
    row += ',';
    row += formatClockTime(lastWindowMinute);
    row += ',';
    appendInteger(row, timePeriod);
    for (float value : {wind.SourceStrength, wind.UStar, wind.L, wind.WindSpeed, wind.WindDirection}) {
        row += ',';
        appendFloat(row, value);
    }
    row += '\n';
    table.file.writeRow(row);
}

}  // namespace field
