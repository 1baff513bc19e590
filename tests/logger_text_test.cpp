// The logger-text builder the tests, benchmarks and fuzz seeds share: exact
// bytes, as the readers' tests depend on them.
#include "logger_text.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_support.hpp"

namespace field::testing {
namespace {

TEST(LoggerText, StampsNameMonthDayAndSecondWithTheGivenDecimals) {
    struct Case {
        int day, minute;
        double second;
        int decimals;
        const char* stamp;
    };
    // clang-format off
    const Case cases[] = {
        {15, 600, 3.4, 1, "\"2014-08-15 10:00:03.4\""}, {31, 1439, 59.9, 1, "\"2014-08-31 23:59:59.9\""},
        {32, 0, 0.0, 1, "\"2014-09-01 00:00:00.0\""},   {62, 61, 0.3, 1, "\"2014-10-01 01:01:00.3\""},
        {15, 600, 1.05, 2, "\"2014-08-15 10:00:01.05\""},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stamp);
        EXPECT_EQ(c.stamp, loggerStamp(c.day, c.minute, c.second, 2014, c.decimals));
    }
}

TEST(LoggerText, LinesInShortOrFixedValuesAfterTheHeader) {
    EXPECT_EQ(std::string(kCardHeader) +
                  "\"2014-08-15 10:00:00.0\",0,1,2,3,20,0\n"
                  "\"2014-08-15 10:00:30.0\",1,2.25,-0.5,0.0625,24.5,0\n",
              LoggerText().line(15, 600).line(15, 600, {2.25f, -0.5f, 0.0625f, 24.5f}, 30.0).text());
    EXPECT_EQ("h\n\"2014-08-15 10:00:00.0\",360000,3.0000,0.5000,-0.0625,20.000,0\n",
              LoggerText("h\n", kFixedValues).line(loggerStamp(15, 600), 360000, sampleAt(600, 0)).text());
    EXPECT_EQ(2, LoggerText().minutes(15, 600, 601).dataLines());
}

TEST(LoggerText, FuzzSeedOfFieldjoinIsTheTreeLoggerAfterItsChoiceBytes) {
    // The logger seeds were written with loggerText; a change of its bytes shows here first.
    const std::string seed = readFile(std::filesystem::path(FIELD_SOURCE_DIR) / "fuzz/corpus/logger/fieldjoin");
    if (seed.empty()) GTEST_SKIP() << "the source tree's fuzz corpus cannot be read from here";
    EXPECT_EQ(loggerText(15, 599, 612, 100), seed.substr(4));
}

}  // namespace
}  // namespace field::testing
