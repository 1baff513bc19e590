// Whole fieldjoin runs on small generated trees.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "console_lines.hpp"
#include "field_tree.hpp"
#include "fieldjoin/fieldjoin_run.hpp"
#include "table_columns.hpp"

namespace field {
namespace {

using namespace field::testing;

struct RunResult {
    int status;
    std::string console;
    std::string table;
};

RunResult runOnce(const TempDir& root, const TempDir& work, const std::string& answers, const std::string& tableName) {
    std::istringstream in(answers);
    std::ostringstream console;
    const PathMapper paths(root.str());
    RunResult r;
    r.status = runFieldjoin(in, console, paths, work.str());
    r.console = console.str();
    r.table = readTable(work.path() / tableName);
    return r;
}

// The statistics columns the reader's window must produce for minutes [from, to).
// `firstTenth` skips the line that closed the previous window: it is never read again.
std::vector<std::string> expectedStatistics(int from, int to, int firstTenth = 0) {
    SampleBuffer buffer(16);
    appendTreeSamples(buffer, from, to, 600, 10, firstTenth);
    return printedStatistics(buffer, measurementTextReadings(kFieldjoinVariant), kFieldjoinVariant);
}

TEST(FieldjoinRun, JoinsWindowsStationMeansAndSamplersAndRepeatsInOneProcess) {
    TempDir root, work;
    writeLogger(root.path(), true, "2014_08_15", loggerText(15, 590, 700));
    writeMeasurements(root.path(), true, true, measurementText(14, {{600, 630}, {630, 690}, {800, 860}}));
    writeStation(root.path(), "day15.txt", stationText(15));

    const RunResult first = runOnce(root, work, "1\n1\n", "2014 TN Seed Whole Data_fence.txt");
    EXPECT_EQ(0, first.status);
    // The third case runs past the data: the file's line count, then the walk runs out.
    EXPECT_EQ(prompts() + lineCount(6600), first.console);

    const auto lines = linesOf(first.table);
    ASSERT_EQ(4u, lines.size());
    const auto row1 = fieldsOf(lines[2]);
    const auto row2 = fieldsOf(lines[3]);
    ASSERT_EQ(84u, row1.size());  // 83 fields, each followed by a comma
    EXPECT_EQ("", row1.back());
    EXPECT_EQ((std::vector<std::string>{"15", "600", "629", "8/15/2014", "1000", "1029"}),
              columnRange(row1, wholeData::DayIndex, wholeData::EndTime));
    EXPECT_EQ((std::vector<std::string>{"15", "630", "689", "8/15/2014", "1030", "1129"}),
              columnRange(row2, wholeData::DayIndex, wholeData::EndTime));

    EXPECT_EQ(expectedStatistics(600, 630), columnRange(row1, wholeData::SourceStrength, wholeData::TsStd));
    EXPECT_EQ(expectedStatistics(630, 690, 10), columnRange(row2, wholeData::SourceStrength, wholeData::TsStd));
    // Station records from 10 minutes before the window to its end: 600, 610, 620; the
    // record at 630 closed the first window and does not count for the second (640..680).
    EXPECT_EQ((std::vector<std::string>{"610", "0", "50"}), columnRange(row1, wholeData::SolarRad, wholeData::Humi));
    EXPECT_EQ((std::vector<std::string>{"660", "0", "50"}), columnRange(row2, wholeData::SolarRad, wholeData::Humi));
    // First sampler block and the source-point reading.
    EXPECT_EQ((std::vector<std::string>{"-6", "0", "0.5", "1.5"}),
              columnRange(row1, wholeData::FirstSampler, wholeData::FirstSampler + 3));
    EXPECT_EQ("9", row1[wholeData::FirstSampler + 8 * wholeData::kSamplerColumns + 3]);
    EXPECT_EQ("190", row1[wholeData::FirstSampler + 9 * wholeData::kSamplerColumns + 3]);  // FRA

    // No state survives a run: the same run again gives the same bytes.
    const RunResult second = runOnce(root, work, "1\n1\n", "2014 TN Seed Whole Data_fence.txt");
    EXPECT_EQ(first.status, second.status);
    EXPECT_EQ(first.console, second.console);
    EXPECT_EQ(first.table, second.table);
}

TEST(FieldjoinRun, EveryAnswerCombinationWritesItsOwnTable) {
    TempDir root, work;
    for (const bool fence : {true, false}) {
        writeLogger(root.path(), fence, "d15", loggerText(15, 600, 640));
        for (const bool seed : {true, false})
            writeMeasurements(root.path(), fence, seed, measurementText(fence ? 14 : 36, {{600, 610}, {610, 620}}));
    }
    writeStation(root.path(), "s.txt", stationText(15));
    struct Case {
        const char* answers;
        const char* table;
        std::size_t fields;
    };
    const Case cases[] = {
        {"1 1", "2014 TN Seed Whole Data_fence.txt", 83},
        {"1 0", "2014 TN Pollen Whole Data_fence.txt", 83},
        {"0 1", "2014 TN Seed Whole Data_hill.txt", 171},
        {"0 0", "2014 TN Pollen Whole Data_hill.txt", 171},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        const RunResult r = runOnce(root, work, c.answers, c.table);
        EXPECT_EQ(0, r.status);
        const auto lines = linesOf(r.table);
        ASSERT_EQ(4u, lines.size());
        for (const std::string& line : lines) EXPECT_EQ(c.fields + 1, fieldsOf(line).size()) << line.substr(0, 40);
        EXPECT_EQ("15,610,619,8/15/2014,1010,1019", lines[3].substr(0, 30));
    }
}

TEST(FieldjoinRun, WindowWithoutSamplesPrintsNanNeverMinusNan) {
    // Every Ts outside 10..40: the window keeps no sample and its statistics are 0/0.
    TempDir root, work;
    writeLogger(root.path(), true, "2014_08_15",
                LoggerText(kPlainHeader, kFixedValues).minutes(15, 590, 700, 10, Sample{2, 1, 0.5f, 50}).text());
    writeMeasurements(root.path(), true, true, measurementText(14, {{600, 630}}));
    writeStation(root.path(), "day15.txt", stationText(15));
    const RunResult r = runOnce(root, work, "1\n1\n", "2014 TN Seed Whole Data_fence.txt");
    const auto lines = linesOf(r.table);
    ASSERT_EQ(3u, lines.size());
    const auto row = fieldsOf(lines[2]);
    EXPECT_NE(row.end(), std::find(row.begin(), row.end(), "nan")) << lines[2];
    EXPECT_EQ(row.end(), std::find(row.begin(), row.end(), "-nan")) << lines[2];
}

}  // namespace
}  // namespace field
