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
#endif  // a cross build has no host generator to run: no test here

}  // namespace
}  // namespace field
