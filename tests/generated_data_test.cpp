// Both programs on a data set from the project's generator: the tables follow
// from what the generator wrote (cases, readings, night without sun) and the
// statistics land in physically plausible ranges.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

#include "campaign_2014.hpp"
#include "casetable/casetable_run.hpp"
#include "fieldjoin/fieldjoin_run.hpp"
#include "fieldjoin/sampler_table.hpp"
#include "input/run_configuration.hpp"
#include "table_columns.hpp"
#include "test_support.hpp"

namespace field {
namespace {

using namespace field::testing;

#ifdef FIELD_GENERATOR_PATH
struct GeneratedSet {
    TempDir root;
    TempDir work;
    GeneratedSet() {
        const std::string command = std::string("\"") + FIELD_GENERATOR_PATH + "\" --root \"" + root.str() +
                                    "\" --days 2 --rate 2 --seed 11 --cases-per-day 4 > /dev/null";
        EXPECT_EQ(0, std::system(command.c_str()));
    }
    // The case lines of a measurement-result file: every block's first line.
    std::vector<std::vector<std::string>> caseLines(bool fence, bool seed) const {
        const auto config = configFor(fence, seed, Program::Fieldjoin);
        const auto lines = linesOf(readFile(underRoot(root.path(), config.MeasurementResultPath)));
        std::vector<std::vector<std::string>> cases;
        for (std::size_t i = 2; i < lines.size(); i += static_cast<std::size_t>(config.SamplerCount))
            cases.push_back(fieldsOf(lines[i]));
        return cases;
    }
};

TEST(GeneratedData, FieldjoinRowsFollowTheCasesAndArePlausible) {
    GeneratedSet set;
    for (const bool fence : {true, false}) {
        SCOPED_TRACE(fence ? "fence" : "hill");
        std::istringstream in(fence ? "1 1" : "0 1");
        std::ostringstream console;
        ASSERT_EQ(0, runFieldjoin(in, console, PathMapper(set.root.str()), set.work.str()));
        const auto config = configFor(fence, true, Program::Fieldjoin);
        const auto rows = linesOf(readFile(set.work.path() / config.OutputFileName));
        const auto cases = set.caseLines(fence, true);
        ASSERT_EQ(cases.size() + 2, rows.size()) << console.str();
        for (std::size_t i = 0; i < cases.size(); ++i) {
            const auto f = fieldsOf(rows[i + 2]);
            const auto& c = cases[i];
            SCOPED_TRACE(rows[i + 2].substr(0, 60));
            ASSERT_EQ(fence ? 84u : 172u, f.size());
            EXPECT_EQ(c[0], f[wholeData::DayIndex]);
            EXPECT_EQ(c[1], f[wholeData::BeginMinute]);
            EXPECT_EQ(std::stoi(c[2]) - 1,
                      std::stoi(f[wholeData::EndMinute]));  // data every second: the last minute is reached
            EXPECT_EQ(c[3], f[wholeData::Date]);
            EXPECT_EQ(std::stod(c[7]), std::stod(f[wholeData::FirstSampler + 3]));  // first sampler's reading
            const double uStar = std::stod(f[wholeData::UStar]), l = std::stod(f[wholeData::L]),
                         speed = std::stod(f[wholeData::WindSpeed]);
            const double direction = std::stod(f[wholeData::WindDirection]), solar = std::stod(f[wholeData::SolarRad]);
            EXPECT_GT(uStar, 0.05);
            EXPECT_LT(uStar, 0.8);
            EXPECT_GT(std::fabs(l), 0.5);
            EXPECT_GT(speed, 0.3);
            EXPECT_LT(speed, 10.0);
            EXPECT_GE(direction, 0.0);
            EXPECT_LE(direction, 360.0);
            if (std::stoi(c[1]) < 240 || std::stoi(c[1]) > 22 * 60) {
                EXPECT_EQ(0.0, solar);  // night
            }
            const double source = std::stod(f[wholeData::SourceStrength]);
            EXPECT_TRUE(source == -999 || source > 0) << source;
        }
    }
}

TEST(GeneratedData, CasetableSubWindowsCoverEachCase) {
    GeneratedSet set;
    std::istringstream in("0 0");
    std::ostringstream console;
    ASSERT_EQ(0, runCasetable(in, console, PathMapper(set.root.str()), set.work.str()));
    const auto rows = linesOf(readFile(set.work.path() / "2014 TN Pollen Test Cases_hill.txt"));
    const auto cases = set.caseLines(false, false);
    std::vector<int> seconds(cases.size() + 1, 0);
    for (std::size_t i = 2; i < rows.size(); ++i) {
        const auto f = fieldsOf(rows[i]);
        ASSERT_EQ(std::size_t{testCase::Count}, f.size());
        const int id = std::stoi(f[testCase::TestCaseID]);
        ASSERT_GE(id, 1);
        ASSERT_LE(id, static_cast<int>(cases.size()));
        EXPECT_LE(std::stoi(f[testCase::TimePeriod]), 1800);  // no gaps in generated data
        seconds[static_cast<std::size_t>(id)] += std::stoi(f[testCase::TimePeriod]);
    }
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i + 1);
        EXPECT_EQ((std::stoi(cases[i][2]) - std::stoi(cases[i][1])) * 60, seconds[i + 1]);
    }
}
// The sampler table holds, case by case, exactly the whole-data table's sampler blocks, in long
// form: the same positions and readings, a missing reading (-1) left empty.
TEST(GeneratedData, SamplerTableRowsAreTheWholeDataSamplerColumns) {
    GeneratedSet set;
    for (const bool fence : {true, false}) {
        SCOPED_TRACE(fence ? "fence" : "hill");
        std::istringstream in(fence ? "1 0" : "0 0");
        std::ostringstream console;
        ASSERT_EQ(0, runFieldjoin(in, console, PathMapper(set.root.str()), set.work.str()));
        const auto config = configFor(fence, false, Program::Fieldjoin);
        const auto rows = linesOf(readFile(set.work.path() / config.OutputFileName));
        const auto samplers = linesOf(readFile(
            set.work.path() / (config.OutputFileName.substr(0, config.OutputFileName.size() - 4) + " Samplers.txt")));
        const auto count = static_cast<std::size_t>(config.SamplerCount);
        ASSERT_EQ((rows.size() - 2) * count + 1, samplers.size());
        const auto names = fieldsOf(samplers[0]);
        ASSERT_EQ(23u, names.size());
        int missing = 0;
        for (std::size_t r = 2; r < rows.size(); ++r) {
            const auto whole = fieldsOf(rows[r]);
            for (std::size_t k = 0; k < count; ++k) {
                const auto s = fieldsOf(samplers[1 + (r - 2) * count + k]);
                ASSERT_EQ(names.size(), s.size());
                const std::size_t at = wholeData::FirstSampler + k * wholeData::kSamplerColumns;
                SCOPED_TRACE(samplers[1 + (r - 2) * count + k]);
                EXPECT_EQ(whole[wholeData::DayIndex], s[0]);
                EXPECT_EQ(whole[wholeData::BeginMinute], s[1]);
                EXPECT_EQ(whole[wholeData::EndMinute], s[2]);
                EXPECT_EQ(fieldLayout(fence).sampler(static_cast<int>(k)).id, s[6]);
                EXPECT_EQ(whole[at], s[8]);
                EXPECT_EQ(whole[at + 1], s[9]);
                EXPECT_EQ(whole[at + 2], s[10]);
                if (whole[at + 3] == "-1") {
                    EXPECT_EQ("", s[15]);
                    ++missing;
                } else {
                    EXPECT_EQ(whole[at + 3], s[15]);
                }
                EXPECT_EQ(whole[wholeData::UStar], s[18]);
                EXPECT_EQ(whole[wholeData::WindDirection], s[21]);
                EXPECT_TRUE(s[22] == "0" || s[22] == "1" || s[22] == "2") << s[22];
            }
        }
        EXPECT_GT(missing, 0) << "the generator loses some samplers";
    }
}

TEST(SamplerTable, DistanceBearingAndTheWindFrame) {
    const FieldLayout& fence = fieldLayout(true);
    struct Case {
        double x, y;
        std::optional<double> bearing;
    };
    // The rings' frame: the inner ring's at_0 sampler (-3, 0) at 0 degrees, its at_90 (0, 3) at 90.
    const Case cases[] = {{-3, 0, 0.0},   {0, 3, 90.0},        {3, 0, 180.0},
                          {0, -3, 270.0}, {-4.24, 4.24, 45.0}, {0, 0, std::nullopt}};
    for (const Case& c : cases) {
        const std::optional<double> b = samplerBearing(fence, c.x, c.y);
        ASSERT_EQ(c.bearing.has_value(), b.has_value()) << c.x << "," << c.y;
        if (b) {
            EXPECT_NEAR(*c.bearing, *b, 1e-9) << c.x << "," << c.y;
        }
    }
    struct Date {
        const char* text;
        std::int64_t minute;
        const char* iso;
    };
    const Date dates[] = {{"8/15/2014", 600, "2014-08-15T10:00"},
                          {"8/15/2014", 1440 + 61, "2014-08-16T01:01"},
                          {"8/1/2014", -1, "2014-07-31T23:59"},
                          {"2014/8/15", 0, "2014-08-15T00:00"},
                          {"12/31/2015", 1440, "2016-01-01T00:00"},
                          {"8/15", 600, ""},
                          {" 8/15/2014 x", 600, ""},
                          {"13/40/2014", 0, ""}};
    for (const Date& d : dates) EXPECT_EQ(d.iso, isoDateTime(d.text, d.minute)) << d.text << " " << d.minute;
}
#endif  // a cross build has no host generator to run: no test here

}  // namespace
}  // namespace field
