#include "casetable/test_case_table.hpp"

#include "text/clock_time.hpp"
#include "text/number_format.hpp"

namespace field {
namespace {

struct Column {
    const char* name;
    const char* unit;
};

// clang-format off
// The unit row repeats the id's name in its first column.
constexpr Column kColumns[] = {
    {"TestCaseID", "TestCaseID"}, {"DayIndex", "Day"},      {"BeginMinute", "Minute"}, {"EndMinute", "Minute"},
    {"Date", "MM/DD/YYYY"},       {"BeginTime", "HHMM"},    {"EndTime", "HHMM"},       {"TimePeriod", "s"},
    {"SourceStrength", "Grains/m2/s"}, {"UStar", "m/s"},    {"L", "m"},                {"WindSpeed", "m/s"},
    {"WindDirection", "degree"},
};
// clang-format on

}  // namespace

void writeTestCaseHeader(TableRows& table) {
    for (const bool units : {false, true}) {
        table.row.clear();
        for (const Column& c : kColumns) {
            table.row += units ? c.unit : c.name;
            table.row += ',';
        }
        table.row += '\n';
        table.file.writeRow(table.row);
    }
}

void writeTestCaseRow(TableRows& table, std::int32_t testCaseId, const MeasurementCase& windowCase,
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
