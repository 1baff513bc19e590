// The whole-data table: header and unit rows, data rows, and whole fieldjoin
// runs on small data trees.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "campaign_2014.hpp"
#include "console_lines.hpp"
#include "fieldjoin/fieldjoin_run.hpp"
#include "fieldjoin/weather_station.hpp"
#include "fieldjoin/whole_data_table.hpp"
#include "input/measurement_case.hpp"
#include "input/run_configuration.hpp"
#include "logger_text.hpp"
#include "platform/windows_path.hpp"
#include "table_columns.hpp"
#include "test_support.hpp"
#include "text/number_format.hpp"
#include "wind/wind_statistics.hpp"

namespace field {
namespace {

namespace wholeData = testing::wholeData;

using testing::failToOpen;
using testing::fieldsOf;
using testing::linesOf;
using testing::noFileFound;
using testing::prompts;
using testing::columnRange;
using testing::readTable;
using testing::TempDir;
using testing::underRoot;
using testing::writeFile;

// ---------------------------------------------------------------- expected layout

// A sampler as the field plan gives it: id and position as written in the table.
struct PlannedSampler {
    const char* id;
    const char* x;
    const char* y;
    const char* z;
};

const std::vector<PlannedSampler> kFenceDepositionPlan = {
    {"FD1", "-6", "0", "0.5"}, {"FD2", "-3", "0", "0.5"}, {"FD3", "3", "0", "0.5"},
    {"FD4", "6", "0", "0.5"},  {"FD5", "0", "6", "0.5"},  {"FD6", "0", "3", "0.5"},
    {"FD7", "0", "-3", "0.5"}, {"FD8", "0", "-6", "0.5"}, {"FD9", "0", "0", "0.5"},
};
const std::vector<PlannedSampler> kFenceConcentrationPlan = {
    {"FRA", "0", "0", "5"},   {"FRB", "0", "0", "3.15"}, {"FRC", "0", "0", "2.225"},
    {"FRD", "0", "0", "1.3"}, {"FRE", "0", "0", "0.5"},
};
// clang-format off
const std::vector<PlannedSampler> kHillDepositionPlan = {
    {"HD1", "-6", "0", "0.5"},
    {"HD2", "-3", "0", "0.5"},
    {"HD3", "3", "0", "0.5"},
    {"HD4", "6", "0", "0.5"},
    {"HD5", "0", "6", "0.5"},
    {"HD6", "0", "3", "0.5"},
    {"HD7", "0", "-3", "0.5"},
    {"HD8", "0", "-6", "0.5"},
    {"HD9", "-4.24", "4.24", "0.5"},
    {"HD10", "-4.59", "4.59", "0.5"},
    {"HD11", "-4.95", "4.95", "0.5"},
    {"HD12", "-5.66", "5.66", "0.5"},
    {"HD13", "-7.07", "7.07", "0.5"},
    {"HD14", "-9.9", "9.9", "0.5"},
    {"HD15", "-15.56", "15.56", "0.5"},
    {"HD16", "-26.87", "26.87", "0.5"},
    {"HD17", "0", "0", "0.5"},
};
// clang-format on
// clang-format off
const std::vector<PlannedSampler> kHillConcentrationPlan = {
    {"HR9", "-4.24", "4.24", "0.5"},   {"HR10", "-4.59", "4.59", "0.5"}, {"HR11", "-4.95", "4.95", "0.5"},
    {"HR12", "-5.66", "5.66", "0.5"},  {"HR14", "-9.9", "9.9", "0.5"},   {"HR16", "-26.87", "26.87", "0.5"},
    {"H1A", "0", "0", "5"},            {"H1B", "0", "0", "3.15"},        {"H1C", "0", "0", "2.225"},
    {"H1D", "0", "0", "1.3"},          {"H1E", "0", "0", "0.5"},         {"H2A", "-7.07", "7.07", "5"},
    {"H2B", "-7.07", "7.07", "3.15"},  {"H2C", "-7.07", "7.07", "1.3"},  {"H2D", "-7.07", "7.07", "0.5"},
    {"H3A", "-15.56", "15.56", "5"},   {"H3B", "-15.56", "15.56", "3.15"}, {"H3C", "-15.56", "15.56", "1.3"},
    {"H3D", "-15.56", "15.56", "0.5"},
};
// clang-format on

// clang-format off
const std::vector<std::string> kFixedNames = {
    "DayIndex", "BeginMinute", "EndMinute", "Date", "BeginTime", "EndTime", "SourceStrength", "UStar",
    "L",        "WindSpeed",   "WindDirection", "AvgU", "UStd", "AvgV", "VStd", "AvgW",
    "WStd",     "AvgTs",       "TsStd",     "SolarRad", "RainFall", "Humi"};
// clang-format on
// clang-format off
const std::vector<std::string> kFixedUnits = {
    "Day", "Minute", "Minute", "MM/DD/YYYY", "HHMM", "HHMM", "Grains/m2/s", "m/s", "m", "m/s", "degree",
    "m/s", "m/s",    "m/s",    "m/s",        "m/s",  "m/s",  "CelsiusDegree", "CelsiusDegree", "w/m2", "inch", "%"};
// clang-format on
const std::vector<std::string> kProfileNames = {"UZ_5", "UZ_3.15", "UZ_2.225", "UZ_1.3", "UZ_0.5"};

struct FieldPlan {
    const char* name;
    bool fence;
    std::size_t fieldsPerRow;
    const std::vector<PlannedSampler>* deposition;
    const std::vector<PlannedSampler>* concentration;
};
const FieldPlan kFieldPlans[] = {
    {"fence", true, 83, &kFenceDepositionPlan, &kFenceConcentrationPlan},
    {"hill", false, 171, &kHillDepositionPlan, &kHillConcentrationPlan},
};

// printf's %g of a float widened to double: the reference for every float field.
std::string percentG(float value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(value));
    return buffer;
}

// The rows of a table file; every row must end in ",\n".
std::vector<std::string> rowsOf(const std::filesystem::path& file) {
    const std::string text = readTable(file);
    EXPECT_TRUE(text.empty() || text.back() == '\n');
    std::vector<std::string> rows = linesOf(text);
    for (const std::string& row : rows) EXPECT_TRUE(!row.empty() && row.back() == ',') << row;
    return rows;
}

// The fields of a row without the empty one after its last comma.
std::vector<std::string> columnsOf(const std::string& row) {
    std::vector<std::string> f = fieldsOf(row);
    EXPECT_EQ("", f.back()) << "row does not end in a comma";
    f.pop_back();
    return f;
}

RunConfiguration fieldjoinConfig(bool fence) { return configFor(fence, true, Program::Fieldjoin); }

// A table file in a temporary directory.
struct TableInDir {
    TempDir dir;
    std::filesystem::path path = dir.path() / "table.txt";
    TableRows table;
    TableInDir() { EXPECT_TRUE(table.file.create(path.string())); }
};

// ---------------------------------------------------------------- header and units

// The rows a field's header writer puts into a fresh table.
std::vector<std::string> headerRows(const FieldPlan& plan) {
    TableInDir t;
    writeWholeDataHeader(t.table, fieldjoinConfig(plan.fence));
    t.table.file.close();
    return rowsOf(t.path);
}

TEST(WholeDataHeader, NameRowListsFixedColumnsSamplersAndProfile) {
    for (const FieldPlan& plan : kFieldPlans) {
        SCOPED_TRACE(plan.name);
        const std::vector<std::string> rows = headerRows(plan);
        ASSERT_EQ(2u, rows.size());

        std::vector<std::string> expected = kFixedNames;
        for (const PlannedSampler& s : *plan.deposition)
            for (const char* suffix : {"_x", "_y", "_z", "_dep"}) expected.push_back(std::string(s.id) + suffix);
        for (const PlannedSampler& s : *plan.concentration)
            for (const char* suffix : {"_x", "_y", "_z", "_con"}) expected.push_back(std::string(s.id) + suffix);
        expected.insert(expected.end(), kProfileNames.begin(), kProfileNames.end());
        ASSERT_EQ(plan.fieldsPerRow, expected.size());

        EXPECT_EQ(plan.fieldsPerRow + 1, fieldsOf(rows[0]).size());  // comma split: one empty field more
        EXPECT_EQ(expected, columnsOf(rows[0]));
        // The column names the tests use (table_columns.hpp) are the header's.
        for (std::size_t i = wholeData::DayIndex; i < wholeData::FirstSampler; ++i)
            EXPECT_EQ(kFixedNames[i], expected[i]);
        EXPECT_EQ(std::string((*plan.deposition)[0].id) + "_x", expected[wholeData::FirstSampler]);
    }
}

TEST(WholeDataHeader, UnitRowHasOneUnitPerColumn) {
    for (const FieldPlan& plan : kFieldPlans) {
        SCOPED_TRACE(plan.name);
        const std::vector<std::string> rows = headerRows(plan);
        ASSERT_EQ(2u, rows.size());

        std::vector<std::string> expected = kFixedUnits;
        for (std::size_t i = 0; i < plan.deposition->size(); ++i)
            for (const char* unit : {"m", "m", "m", "grains/m2/s"}) expected.push_back(unit);
        for (std::size_t i = 0; i < plan.concentration->size(); ++i)
            for (const char* unit : {"m", "m", "m", "grains/m3"}) expected.push_back(unit);
        for (int i = 0; i < 5; ++i) expected.push_back("m/s");

        EXPECT_EQ(fieldsOf(rows[0]).size(), fieldsOf(rows[1]).size());
        EXPECT_EQ(expected, columnsOf(rows[1]));
    }
}

TEST(WholeDataHeader, RowsAreOnDiskBeforeTheTableIsClosed) {
    TableInDir t;
    writeWholeDataHeader(t.table, fieldjoinConfig(true));
    EXPECT_EQ(2u, linesOf(readTable(t.path)).size());
}

// ---------------------------------------------------------------- data rows

MeasurementCase exampleCase() {
    MeasurementCase c = sizedCase2014();
    c.DayIndex = 15;
    c.BeginMinute = 600;
    c.EndMinute = 630;
    c.Date = "8/15/2014";
    c.BeginTime = "never written";
    c.EndTime = "never written either";
    for (std::size_t i = 0; i < c.Deposition.size(); ++i) c.Deposition[i] = 0.5f + static_cast<float>(i);
    for (std::size_t i = 0; i < c.Concentration.size(); ++i)
        c.Concentration[i] = 100.0f + 0.25f * static_cast<float>(i);
    return c;
}

// Distinct values in every column, so a swapped column shows.
WindSummary distinctWind() {
    WindSummary w;
    float v = 1.125f;
    for (float* f : {&w.SourceStrength, &w.UStar, &w.L, &w.WindSpeed, &w.WindDirection, &w.AvgU, &w.UStd, &w.AvgV,
                     &w.VStd, &w.AvgW, &w.WStd, &w.AvgTs, &w.TsStd}) {
        *f = v;
        v += 1.0f;
    }
    w.UZ.assign(5, 0.0f);
    for (float& uz : w.UZ) {
        uz = v;
        v += 1.0f;
    }
    return w;
}

std::vector<std::string> writeOneRow(const MeasurementCase& c, std::int32_t lastWindowMinute, const WindSummary& wind,
                                     WeatherSummary weather, bool fence) {
    TableInDir t;
    writeWholeDataRow(t.table, c, lastWindowMinute, wind, weather, fieldjoinConfig(fence));
    const std::vector<std::string> rows = linesOf(readTable(t.path));  // flushed: no close needed
    EXPECT_EQ(1u, rows.size());
    return rows.empty() ? std::vector<std::string>{} : columnsOf(rows[0]);
}

TEST(WholeDataRow, FixedPartStartsWithTheCaseTimingAndClockTimes) {
    const std::string row = [] {
        TableInDir t;
        WeatherSummary weather;
        writeWholeDataRow(t.table, exampleCase(), 629, WindSummary{}, weather, fieldjoinConfig(true));
        return readTable(t.path);
    }();
    EXPECT_EQ(0u, row.rfind("15,600,629,8/15/2014,1000,1029,", 0)) << row;
    const std::vector<std::string> f = columnsOf(linesOf(row).at(0));
    ASSERT_EQ(83u, f.size());
    // The first sampler block: FD1's position and its reading.
    EXPECT_EQ((std::vector<std::string>{"-6", "0", "0.5", "0.5"}),
              columnRange(f, wholeData::FirstSampler, wholeData::FirstSampler + 3));
    EXPECT_EQ('\n', row.back());
    EXPECT_EQ(',', row[row.size() - 2]);
}

TEST(WholeDataRow, EndColumnsComeFromTheLastWindowMinuteNotTheCase) {
    struct Case {
        std::int32_t begin, caseEnd, lastWindowMinute;
        const char* beginTime;
        const char* endTime;
    };
    const Case cases[] = {
        {600, 630, 629, "1000", "1029"},
        {600, 9999, 0, "1000", "0000"},  // no logger line yet: the minute left from before
        {0, 1440, 1439, "0000", "2359"},
        {1380, 1500, 1500, "2300", "2500"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.begin) + ".." + std::to_string(c.caseEnd) + " last " +
                     std::to_string(c.lastWindowMinute));
        MeasurementCase m = exampleCase();
        m.BeginMinute = c.begin;
        m.EndMinute = c.caseEnd;
        const std::vector<std::string> f = writeOneRow(m, c.lastWindowMinute, WindSummary{}, {}, true);
        ASSERT_EQ(83u, f.size());
        EXPECT_EQ(std::to_string(c.begin), f[wholeData::BeginMinute]);
        EXPECT_EQ(std::to_string(c.lastWindowMinute), f[wholeData::EndMinute]);
        EXPECT_EQ(c.beginTime, f[wholeData::BeginTime]);
        EXPECT_EQ(c.endTime, f[wholeData::EndTime]);
    }
}

TEST(WholeDataRow, IntegersAndDateTextAsGiven) {
    struct Case {
        std::int32_t day;
        const char* date;
    };
    const Case cases[] = {
        {15, "8/15/2014"}, {62, "2014/10/1"}, {-3, "-"}, {123456, " 8/15/2014 x "}, {0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.date);
        MeasurementCase m = exampleCase();
        m.DayIndex = c.day;
        m.Date = c.date;
        const std::vector<std::string> f = writeOneRow(m, 629, WindSummary{}, {}, true);
        ASSERT_EQ(83u, f.size());
        EXPECT_EQ(std::to_string(c.day), f[wholeData::DayIndex]);
        EXPECT_EQ(c.date, f[wholeData::Date]);
    }
}

TEST(WholeDataRow, WindAndWeatherColumnsInTheirOrder) {
    const WindSummary wind = distinctWind();
    const WeatherSummary weather{14.125f, 15.125f, 16.125f};  // SolarRad, RainFall, Humi
    for (const FieldPlan& plan : kFieldPlans) {
        SCOPED_TRACE(plan.name);
        const std::vector<std::string> f = writeOneRow(exampleCase(), 629, wind, weather, plan.fence);
        ASSERT_EQ(plan.fieldsPerRow, f.size());
        const float windInOrder[] = {wind.SourceStrength, wind.UStar, wind.L,    wind.WindSpeed, wind.WindDirection,
                                     wind.AvgU,           wind.UStd,  wind.AvgV, wind.VStd,      wind.AvgW,
                                     wind.WStd,           wind.AvgTs, wind.TsStd};
        for (std::size_t i = 0; i < 13; ++i)
            EXPECT_EQ(percentG(windInOrder[i]), f[wholeData::SourceStrength + i])
                << kFixedNames[wholeData::SourceStrength + i];
        EXPECT_EQ("14.125", f[wholeData::SolarRad]);
        EXPECT_EQ("15.125", f[wholeData::RainFall]);
        EXPECT_EQ("16.125", f[wholeData::Humi]);
        for (std::size_t i = 0; i < 5; ++i)
            EXPECT_EQ(percentG(wind.UZ[i]), f[plan.fieldsPerRow - 5 + i]) << kProfileNames[i];
    }
}

TEST(WholeDataRow, EverySamplerBlockHoldsItsPositionAndReading) {
    const MeasurementCase c = exampleCase();
    for (const FieldPlan& plan : kFieldPlans) {
        SCOPED_TRACE(plan.name);
        const std::vector<std::string> f = writeOneRow(c, 629, WindSummary{}, {}, plan.fence);
        ASSERT_EQ(plan.fieldsPerRow, f.size());
        std::size_t at = wholeData::FirstSampler;
        for (std::size_t i = 0; i < plan.deposition->size(); ++i, at += wholeData::kSamplerColumns) {
            const PlannedSampler& s = (*plan.deposition)[i];
            SCOPED_TRACE(s.id);
            EXPECT_EQ(s.x, f[at]);
            EXPECT_EQ(s.y, f[at + 1]);
            EXPECT_EQ(s.z, f[at + 2]);
            EXPECT_EQ(percentG(c.Deposition[i]), f[at + 3]);
        }
        for (std::size_t i = 0; i < plan.concentration->size(); ++i, at += wholeData::kSamplerColumns) {
            const PlannedSampler& s = (*plan.concentration)[i];
            SCOPED_TRACE(s.id);
            EXPECT_EQ(s.x, f[at]);
            EXPECT_EQ(s.y, f[at + 1]);
            EXPECT_EQ(s.z, f[at + 2]);
            EXPECT_EQ(percentG(c.Concentration[i]), f[at + 3]);
        }
        EXPECT_EQ(plan.fieldsPerRow - 5, at);
    }
}

TEST(WholeDataRow, NotANumberAndMissingValuesAreWritten) {
    WindSummary wind;
    wind.SourceStrength = -999.0f;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    MeasurementCase c = exampleCase();
    c.Deposition[1] = -1.0f;  // a missing measurement stays as read
    const std::vector<std::string> f = writeOneRow(c, 629, wind, {nan, std::nanf(""), -nan}, true);
    ASSERT_EQ(83u, f.size());
    EXPECT_EQ("-999", f[wholeData::SourceStrength]);
    for (std::size_t i : {wholeData::SolarRad, wholeData::RainFall, wholeData::Humi})
        EXPECT_NE(std::string::npos, f[i].find("nan")) << f[i];
    EXPECT_EQ("-1", f[wholeData::FirstSampler + wholeData::kSamplerColumns + 3]);  // the second sampler's reading
}

TEST(WholeDataRow, WrittenOnlyWhenTheTableIsOpen) {
    for (bool open : {true, false}) {
        SCOPED_TRACE(open ? "table open" : "table not open");
        TempDir dir;
        TableRows table;
        if (open) {
            ASSERT_TRUE(table.file.create((dir.path() / "t.txt").string()));
        }
        const WeatherSummary weather{500.0f, 0.25f, std::numeric_limits<float>::quiet_NaN()};
        writeWholeDataRow(table, exampleCase(), 629, WindSummary{}, weather, fieldjoinConfig(true));
        table.file.close();
        EXPECT_EQ(open ? 1u : 0u, linesOf(readTable(dir.path() / "t.txt")).size());
    }
}

TEST(WholeDataRow, RowsFollowEachOtherInWritingOrder) {
    TableInDir t;
    const RunConfiguration config = fieldjoinConfig(false);
    writeWholeDataHeader(t.table, config);
    for (std::int32_t day : {15, 16, 17}) {
        MeasurementCase c = exampleCase();
        c.DayIndex = day;
        WeatherSummary weather;
        writeWholeDataRow(t.table, c, 629, WindSummary{}, weather, config);
    }
    const std::vector<std::string> rows = rowsOf(t.path);
    ASSERT_EQ(5u, rows.size());
    for (std::size_t i = 2; i < 5; ++i) {
        EXPECT_EQ(172u, fieldsOf(rows[i]).size());
        EXPECT_EQ(std::to_string(13 + i), fieldsOf(rows[i])[0]);
    }
}

// ---------------------------------------------------------------- whole runs

// One station record: date, time, humidity (field 6), rainfall (18), solar radiation (20).
std::string stationRecord(const std::string& date, const std::string& time, const std::string& humi,
                          const std::string& rain, const std::string& solar) {
    std::vector<std::string> f(20, "0");
    f[0] = date;
    f[1] = time;
    f[5] = humi;
    f[17] = rain;
    f[19] = solar;
    std::string line;
    for (std::size_t i = 0; i < f.size(); ++i) line += (i ? "\t" : "") + f[i];
    return line;
}

// A measurement-result block: the case line, then one line per further sampler.
std::string measurementBlock(const RunConfiguration& config, std::int32_t day, std::int32_t begin, std::int32_t end,
                             const std::string& date, float firstReading) {
    auto number = [](float v) { return percentG(v); };
    std::string text = std::to_string(day) + "," + std::to_string(begin) + "," + std::to_string(end) + "," + date +
                       ",bt,et,x," + number(firstReading) + "\n";
    for (int line = 2; line <= config.SamplerCount; ++line) {
        const float reading = firstReading + static_cast<float>(line - 1);
        if (line <= config.DepositionCount)
            text += "a,b,c,d,e,f,g," + number(reading) + "\n";
        else
            text += "a,b,c,d,e,f,g,h," + number(reading) + "\n";
    }
    return text;
}

struct RunResult {
    int status = -1;
    std::string console;
};

// A data tree below a mount root and a work directory for the table.
class FieldjoinWholeRun : public ::testing::Test {
protected:
    static std::string answers(bool fence, bool seed) {
        return std::string(fence ? "1" : "0") + "\n" + (seed ? "1" : "0") + "\n";
    }

    RunResult run(bool fence, bool seed, const std::string& workDirectory) {
        std::istringstream in(answers(fence, seed));
        std::ostringstream console;
        RunResult r;
        r.status = runFieldjoin(in, console, paths_, workDirectory);
        r.console = console.str();
        return r;
    }

    // Two cases of day 15: [600, 630) and [630, 660), logger lines in every minute.
    void makeWindData(const RunConfiguration& config) {
        testing::LoggerText logger("h1\nh2\nh3\nh4\n");
        for (int minute = 590; minute <= 665; ++minute)
            logger.line(
                testing::loggerStamp(15, minute), 1,
                {1.0f + 0.1f * static_cast<float>(minute % 3), 0.5f, 0.1f, static_cast<float>(20.0 + 0.01 * minute)});
        const std::string name = "run" + config.layout().loggerFilePattern.substr(1);
        writeFile(underRoot(root_.path(), config.WindDirectory) / "d1" / name, logger.text());
    }
    void makeMeasurements(const RunConfiguration& config, int cases) {
        std::string text = "header 1\nheader 2\n";
        if (cases >= 1) text += measurementBlock(config, 15, 600, 630, "8/15/2014", 0.5f);
        if (cases >= 2) text += measurementBlock(config, 15, 630, 660, "8/15/2014", 100.5f);
        writeFile(underRoot(root_.path(), config.MeasurementResultPath), text);
    }
    // Station records every 10 minutes from 590 to 670 (9:50 a to 11:10 a).
    void makeStationData() {
        std::string text = "Date\tTime\n\t\n";
        for (int t = 590; t <= 670; t += 10) {
            const std::string clock =
                std::to_string(t / 60) + ":" + (t % 60 < 10 ? "0" : "") + std::to_string(t % 60) + " a";
            text += stationRecord("8/15/2014", clock, std::to_string(t / 10), "0.5", std::to_string(t)) + "\n";
        }
        writeFile(underRoot(root_.path(), stationDirectory2014()) / "2014 station.txt", text);
    }

    std::filesystem::path tableIn(const std::filesystem::path& dir, bool fence, bool seed) {
        return dir / configFor(fence, seed, Program::Fieldjoin).OutputFileName;
    }

    TempDir root_;
    TempDir work_;
    PathMapper paths_{root_.str()};
};

TEST_F(FieldjoinWholeRun, MissingMeasurementFileLeavesTheTwoHeaderRows) {
    struct Case {
        bool fence, seed;
        const char* tableName;
        std::size_t fieldsPerRow;
    };
    const Case cases[] = {
        {true, true, "2014 TN Seed Whole Data_fence.txt", 83},
        {true, false, "2014 TN Pollen Whole Data_fence.txt", 83},
        {false, true, "2014 TN Seed Whole Data_hill.txt", 171},
        {false, false, "2014 TN Pollen Whole Data_hill.txt", 171},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tableName);
        TempDir work;
        const RunResult r = run(c.fence, c.seed, work.str());
        EXPECT_EQ(1, r.status);
        EXPECT_EQ(prompts() + failToOpen(), r.console);
        const std::vector<std::string> rows = rowsOf(work.path() / c.tableName);
        ASSERT_EQ(2u, rows.size());
        EXPECT_EQ(c.fieldsPerRow + 1, fieldsOf(rows[0]).size());
        EXPECT_EQ(c.fieldsPerRow + 1, fieldsOf(rows[1]).size());
        EXPECT_EQ("DayIndex", fieldsOf(rows[0])[0]);
        EXPECT_EQ("Day", fieldsOf(rows[1])[0]);
    }
}

TEST_F(FieldjoinWholeRun, RowsCarryTheWeatherMeansOfEachCaseWindow) {
    const RunConfiguration config = configFor(true, true, Program::Fieldjoin);
    makeWindData(config);
    makeMeasurements(config, 2);
    makeStationData();
    const RunResult r = run(true, true, work_.str());
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(std::string::npos, r.console.find(kFailToOpenFile)) << r.console;
    EXPECT_EQ(std::string::npos, r.console.find(kNoFileFound)) << r.console;

    const std::vector<std::string> rows = rowsOf(tableIn(work_.path(), true, true));
    ASSERT_EQ(4u, rows.size());
    const std::vector<std::string> first = columnsOf(rows[2]);
    const std::vector<std::string> second = columnsOf(rows[3]);
    ASSERT_EQ(83u, first.size());
    ASSERT_EQ(83u, second.size());
    EXPECT_EQ(0u, rows[2].rfind("15,600,629,8/15/2014,1000,1029,", 0)) << rows[2];
    EXPECT_EQ(0u, rows[3].rfind("15,630,659,8/15/2014,1030,1059,", 0)) << rows[3];
    // First window: station records 600, 610, 620 (630 closes it).
    EXPECT_EQ((std::vector<std::string>{"610", "0.5", "61"}), columnRange(first, wholeData::SolarRad, wholeData::Humi));
    // Second window: 640 and 650; the record at 630 was used up closing the first.
    EXPECT_EQ((std::vector<std::string>{"645", "0.5", "64.5"}),
              columnRange(second, wholeData::SolarRad, wholeData::Humi));
    // Readings of the measurement file in the sampler blocks.
    constexpr std::size_t firstReading = wholeData::FirstSampler + 3;
    constexpr std::size_t freReading =
        firstReading + 13 * wholeData::kSamplerColumns;  // FRE, the last concentration sampler
    EXPECT_EQ("0.5", first[firstReading]);
    EXPECT_EQ("100.5", second[firstReading]);
    EXPECT_EQ("13.5", first[freReading]);
    EXPECT_EQ("113.5", second[freReading]);
}

TEST_F(FieldjoinWholeRun, TableThatCannotBeCreatedIsReportedAndTheCasesStillRun) {
    const RunConfiguration config = configFor(false, true, Program::Fieldjoin);
    makeWindData(config);
    makeMeasurements(config, 2);
    // No station directory: every closed window says so, which shows the cases ran.
    const RunResult reference = run(false, true, work_.str());
    EXPECT_EQ(0, reference.status);
    ASSERT_EQ(4u, rowsOf(tableIn(work_.path(), false, true)).size());

    const std::filesystem::path missing = work_.path() / "no such directory";
    const RunResult r = run(false, true, missing.string());
    EXPECT_EQ(1, r.status);
    EXPECT_FALSE(std::filesystem::exists(missing));
    EXPECT_EQ(prompts() + noFileFound() + noFileFound(), reference.console);
    EXPECT_EQ(prompts() + failToOpen() + noFileFound() + noFileFound(), r.console);
}

TEST_F(FieldjoinWholeRun, NeitherTableNorMeasurementsGivesTwoMessages) {
    const RunResult r = run(true, false, (work_.path() / "missing").string());
    EXPECT_EQ(1, r.status);
    EXPECT_NE(std::string::npos, r.console.find(failToOpen() + failToOpen())) << r.console;
}

TEST_F(FieldjoinWholeRun, SecondRunReplacesTheFirstTable) {
    const RunConfiguration config = configFor(true, false, Program::Fieldjoin);
    makeWindData(config);
    makeMeasurements(config, 2);
    makeStationData();
    const std::filesystem::path table = tableIn(work_.path(), true, false);
    writeFile(table, std::string(5000, 'x') + "\nold,row,\nold,row,\nold,row,\nold,row,\nold,row,\n");

    ASSERT_EQ(0, run(true, false, work_.str()).status);
    const std::string firstRun = readTable(table);
    EXPECT_EQ(4u, linesOf(firstRun).size());
    EXPECT_EQ(std::string::npos, firstRun.find("old")) << firstRun;

    // The same answers again, now with one case: the table holds that run alone.
    makeMeasurements(config, 1);
    ASSERT_EQ(0, run(true, false, work_.str()).status);
    const std::string secondRun = readTable(table);
    const std::vector<std::string> rows = linesOf(secondRun);
    ASSERT_EQ(3u, rows.size());
    const std::vector<std::string> firstRows = linesOf(firstRun);
    EXPECT_EQ(std::vector<std::string>(firstRows.begin(), firstRows.begin() + 3), rows);
}

}  // namespace
}  // namespace field
