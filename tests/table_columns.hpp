#pragma once
// Column positions of the two tables, named as their header rows name them, so
// a test reads `fields[wholeData::SolarRad]`, not `fields[19]`. The header tests
// check these names against the header writers.

#include <cstddef>
#include <string>
#include <vector>

namespace field::testing {

/// The whole-data table's fixed columns; the sampler blocks start at FirstSampler.
namespace wholeData {
enum Column : std::size_t {
    DayIndex,
    BeginMinute,
    EndMinute,
    Date,
    BeginTime,
    EndTime,
    SourceStrength,
    UStar,
    L,
    WindSpeed,
    WindDirection,
    AvgU,
    UStd,
    AvgV,
    VStd,
    AvgW,
    WStd,
    AvgTs,
    TsStd,
    SolarRad,
    RainFall,
    Humi,
    FirstSampler,
};
/// Columns of one sampler block: x, y, z, reading.
inline constexpr std::size_t kSamplerColumns = 4;
}  // namespace wholeData

/// The test-case table's columns.
namespace testCase {
enum Column : std::size_t {
    TestCaseID,
    DayIndex,
    BeginMinute,
    EndMinute,
    Date,
    BeginTime,
    EndTime,
    TimePeriod,
    SourceStrength,
    UStar,
    L,
    WindSpeed,
    WindDirection,
    Count,
};
}  // namespace testCase

/// Fields `first` to `last` of a row, both included.
inline std::vector<std::string> columnRange(const std::vector<std::string>& fields, std::size_t first,
                                            std::size_t last) {
    if (first >= fields.size() || last < first) return {};
    const std::size_t end = last + 1 < fields.size() ? last + 1 : fields.size();
    return {fields.begin() + static_cast<long>(first), fields.begin() + static_cast<long>(end)};
}

}  // namespace field::testing
