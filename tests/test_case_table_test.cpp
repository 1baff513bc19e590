#include "casetable/test_case_table.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "campaign_2014.hpp"
#include "casetable/casetable_run.hpp"
#include "console_lines.hpp"
#include "logger_test_support.hpp"
#include "table_columns.hpp"
#include "test_support.hpp"
#include "text/messages.hpp"

namespace field {
namespace {

namespace testCase = testing::testCase;

using testing::failToOpen;
using testing::fieldsOf;
using testing::lineCount;
using testing::linesOf;
using testing::prompts;
using testing::LoggerText;
using testing::readTable;
using testing::TempDir;
using testing::underRoot;
using testing::writeFile;

const std::string kNamesRow =
    "TestCaseID,DayIndex,BeginMinute,EndMinute,Date,BeginTime,EndTime,TimePeriod,SourceStrength,UStar,L,WindSpeed,"
    "WindDirection,\n";
const std::string kUnitsRow = "TestCaseID,Day,Minute,Minute,MM/DD/YYYY,HHMM,HHMM,s,Grains/m2/s,m/s,m,m/s,degree,\n";

// --- the two writers ---------------------------------------------------------

TEST(TableRows, HeaderRowsEndEveryFieldWithACommaAndRepeatTheIdAsUnit) {
    TempDir dir;
    const auto path = dir.path() / "table.txt";
    TableRows table;
    ASSERT_TRUE(table.file.create(path.string()));
    writeTestCaseHeader(table);
    table.file.close();

    const std::string text = readTable(path);
    EXPECT_EQ(kNamesRow + kUnitsRow, text);
    const auto lines = linesOf(text);
    ASSERT_EQ(2u, lines.size());
    for (const std::string& line : lines) {
        const auto fields = fieldsOf(line);
        ASSERT_EQ(std::size_t{testCase::Count} + 1, fields.size()) << line;
        EXPECT_EQ("", fields.back()) << "the last field is followed by a comma";
        EXPECT_EQ("TestCaseID", fields.front());
    }
    // The column names the tests use (table_columns.hpp) are the header's.
    const auto names = fieldsOf(lines[0]);
    EXPECT_EQ("DayIndex", names[testCase::DayIndex]);
    EXPECT_EQ("TimePeriod", names[testCase::TimePeriod]);
    EXPECT_EQ("SourceStrength", names[testCase::SourceStrength]);
    EXPECT_EQ("WindDirection", names[testCase::WindDirection]);
}

struct RowCase {
    const char* what;
    std::int32_t testCaseId;
    std::int32_t day;
    std::int32_t begin;
    std::int32_t last;
    const char* date;
    WindSummary wind;
    const char* row;
};

WindSummary summary(float sourceStrength, float uStar, float l, float speed, float direction) {
    WindSummary w;
    w.SourceStrength = sourceStrength;
    w.UStar = uStar;
    w.L = l;
    w.WindSpeed = speed;
    w.WindDirection = direction;
    w.AvgU = 111.0f;  // columns that the test-case table does not have
    w.UZ = {222.0f};
    return w;
}

TEST(TableRows, DataRowsTakeTimePeriodFromTheMinutesReached) {
    const WindSummary plain = summary(123.5f, 0.25f, -12.5f, 3.75f, 270.0f);
    const RowCase cases[] = {
        {"first sub-window of the first case", 1, 15, 600, 629, "8/15/2014", plain,
         "1,15,600,629,8/15/2014,1000,1029,1800,123.5,0.25,-12.5,3.75,270"},
        {"short last sub-window", 2, 15, 630, 644, "8/15/2014", plain,
         "2,15,630,644,8/15/2014,1030,1044,900,123.5,0.25,-12.5,3.75,270"},
        {"lines missing before minute 700: more than 1800 s", 3, 15, 630, 700, "8/15/2014", plain,
         "3,15,630,700,8/15/2014,1030,1140,4260,123.5,0.25,-12.5,3.75,270"},
        {"the next sub-window on the same line", 3, 15, 660, 700, "8/15/2014", plain,
         "3,15,660,700,8/15/2014,1100,1140,2460,123.5,0.25,-12.5,3.75,270"},
        {"no line reached: last minute just before the begin", 4, 46, 600, 599, "9/15/2014", plain,
         "4,46,600,599,9/15/2014,1000,0959,0,123.5,0.25,-12.5,3.75,270"},
        {"last minute left from an earlier day: negative period", 12, 46, 660, 0, "9/15/2014", plain,
         "12,46,660,0,9/15/2014,1100,0000,-39540,123.5,0.25,-12.5,3.75,270"},
        {"source strength not computable and %g forms", 7, 3, 0, 1439, "8/3/2014",
         summary(-999.0f, 0.123456789f, 1e-5f, 123456789.0f, 100000.0f),
         "7,3,0,1439,8/3/2014,0000,2359,86400,-999,0.123457,1e-05,1.23457e+08,100000"},
        {"date text kept as it is", 1, 15, 600, 629, " 8/15/2014 x", summary(0.0f, -0.5f, 1e6f, 0.001f, 359.99f),
         "1,15,600,629, 8/15/2014 x,1000,1029,1800,0,-0.5,1e+06,0.001,359.99"},
    };
    for (const RowCase& rc : cases) {
        SCOPED_TRACE(rc.what);
        TempDir dir;
        const auto path = dir.path() / "table.txt";
        TableRows table;
        ASSERT_TRUE(table.file.create(path.string()));
        MeasurementCase c = testing::windowCase(rc.day, rc.begin, rc.begin + 30, rc.date);
        c.EndMinute = 9999;  // the row shows the minute reached, never the case's end
        writeTestCaseRow(table, rc.testCaseId, c, rc.last, rc.wind);
        table.file.close();

        const std::string text = readTable(path);
        EXPECT_EQ(std::string(rc.row) + "\n", text);
        const auto lines = linesOf(text);
        ASSERT_EQ(1u, lines.size());
        EXPECT_EQ(13u, fieldsOf(lines[0]).size());
    }
}

TEST(TableRows, RowsAreFlushedOneByOne) {
    TempDir dir;
    const auto path = dir.path() / "table.txt";
    TableRows table;
    ASSERT_TRUE(table.file.create(path.string()));
    writeTestCaseHeader(table);
    EXPECT_EQ(2u, linesOf(readTable(path)).size());
    writeTestCaseRow(table, 1, testing::windowCase(15, 600, 660), 629, WindSummary{});
    EXPECT_EQ(3u, linesOf(readTable(path)).size()) << "a run stopped now must leave the complete row";
}

TEST(TableRows, WritersDoNothingWhenTheTableIsNotOpen) {
    TableRows table;
    writeTestCaseHeader(table);
    writeTestCaseRow(table, 1, testing::windowCase(15, 600, 660), 629, WindSummary{});
    EXPECT_FALSE(table.file.isOpen());
}

// --- whole casetable runs ----------------------------------------------------

const std::string kFenceWindDirectory(fieldLayout(true).windDirectory);

std::string measurementResultPath(bool seed, bool fence) {
    return fieldLayout(fence).measurementResultPaths[seed ? 0 : 1];
}

// A fence-field measurement-result file: two header lines, then 14-line blocks.
std::string fenceMeasurements(const std::vector<std::string>& caseLines) {
    std::string text = "header 1\nheader 2\n";
    for (const std::string& caseLine : caseLines) {
        text += caseLine + ",1000,1100,x,0.5\n";
        for (int j = 0; j < 13; ++j) text += "s,,,,,,,0.5,0.5\n";
    }
    return text;
}

// Columns 1 to 8 of a data row: id, day, minutes, date, clock times and period.
std::string timingColumns(const std::string& row) {
    const auto fields = fieldsOf(row);
    std::string head;
    for (std::size_t f = 0; f < 8 && f < fields.size(); ++f) head += (f ? "," : "") + fields[f];
    return head;
}

struct CasetableRun {
    int run(const std::string& answers) {
        std::istringstream in(answers);
        return runCasetable(in, console, PathMapper(root.str()), work.str());
    }
    TempDir root;
    TempDir work;
    std::ostringstream console;
};

TEST(CasetableRun, CaseNumbersAreUsedUpByCasesWithoutRows) {
    CasetableRun r;
    writeFile(underRoot(r.root.path(), measurementResultPath(true, true)),
              fenceMeasurements({"14,600,660,8/14/2014", "14,700,760,8/14/2014", "15,600,630,8/15/2014",
                                 "15,630,660,8/15/2014", "15,640,700,8/15/2014"}));
    writeFile(underRoot(r.root.path(), std::string(kFenceWindDirectory) + "D1\\s_data.DAT"),
              LoggerText().minutes(15, 590, 720).text());

    EXPECT_EQ(0, r.run("1\n1\n"));
    EXPECT_EQ(prompts(), r.console.str());

    const auto lines = linesOf(readTable(r.work.path() / "2014 TN Seed Test Cases_fence.txt"));
    ASSERT_EQ(6u, lines.size()) << readTable(r.work.path() / "2014 TN Seed Test Cases_fence.txt");
    EXPECT_EQ(kNamesRow, lines[0] + "\n");
    EXPECT_EQ(kUnitsRow, lines[1] + "\n");
    // Cases 1 and 2 lie on a day without lines; case 4 starts after the line that closed case 3.
    const std::vector<std::string> expected = {
        "3,15,600,629,8/15/2014,1000,1029,1800", "4,15,630,659,8/15/2014,1030,1059,1800",
        "5,15,640,669,8/15/2014,1040,1109,1800", "5,15,670,699,8/15/2014,1110,1139,1800"};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("data row " + std::to_string(i + 1));
        EXPECT_EQ(13u, fieldsOf(lines[i + 2]).size());
        EXPECT_EQ(expected[i], timingColumns(lines[i + 2]));
    }
}

TEST(CasetableRun, SubWindowRowsOfWholeCases) {
    CasetableRun r;
    writeFile(underRoot(r.root.path(), measurementResultPath(true, true)),
              fenceMeasurements({"15,600,660,8/15/2014", "16,600,720,8/16/2014", "17,600,645,8/17/2014"}));
    // Day 16: ten lines a minute, none from minute 610 to 699.
    writeFile(underRoot(r.root.path(), std::string(kFenceWindDirectory) + "D1\\s_data.DAT"),
              LoggerText()
                  .minutes(15, 590, 670)
                  .minutes(16, 600, 609, 10)
                  .minutes(16, 700, 730, 10)
                  .minutes(17, 600, 650)
                  .text());

    EXPECT_EQ(0, r.run("1\n1\n"));
    const auto lines = linesOf(readTable(r.work.path() / "2014 TN Seed Test Cases_fence.txt"));
    const std::vector<std::string> expected = {
        "1,15,600,629,8/15/2014,1000,1029,1800", "1,15,630,659,8/15/2014,1030,1059,1800",
        "2,16,600,609,8/16/2014,1000,1009,600",  "2,16,630,700,8/16/2014,1030,1140,4260",
        "2,16,660,700,8/16/2014,1100,1140,2460", "2,16,690,719,8/16/2014,1130,1159,1800",
        "3,17,600,629,8/17/2014,1000,1029,1800", "3,17,630,644,8/17/2014,1030,1044,900"};
    ASSERT_EQ(expected.size() + 2, lines.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("data row " + std::to_string(i + 1));
        EXPECT_EQ(13u, fieldsOf(lines[i + 2]).size());
        EXPECT_EQ(expected[i], timingColumns(lines[i + 2]));
    }
}

struct AnswerCase {
    const char* answers;
    const char* tableName;
};

TEST(CasetableRun, MissingMeasurementResultFileLeavesOnlyTheHeaderRows) {
    const AnswerCase cases[] = {
        {"1\n1\n", "2014 TN Seed Test Cases_fence.txt"},
        {"1\n0\n", "2014 TN Pollen Test Cases_fence.txt"},
        {"0\n1\n", "2014 TN Seed Test Cases_hill.txt"},
        {"0\n0\n", "2014 TN Pollen Test Cases_hill.txt"},
    };
    for (const AnswerCase& ac : cases) {
        SCOPED_TRACE(ac.tableName);
        CasetableRun r;
        EXPECT_EQ(1, r.run(ac.answers));
        EXPECT_EQ(prompts() + failToOpen(), r.console.str());
        EXPECT_EQ(kNamesRow + kUnitsRow, readTable(r.work.path() / ac.tableName));
    }
}

TEST(CasetableRun, TableThatCannotBeCreatedIsReportedAndTheCasesStillRun) {
    CasetableRun r;
    writeFile(underRoot(r.root.path(), measurementResultPath(true, true)), fenceMeasurements({"15,600,630,8/15/2014"}));
    writeFile(underRoot(r.root.path(), std::string(kFenceWindDirectory) + "D1\\s_data.DAT"),
              LoggerText().minutes(15, 590, 600).text());
    std::istringstream in("1\n1\n");
    const int status = runCasetable(in, r.console, PathMapper(r.root.str()), (r.work.path() / "missing").string());
    EXPECT_EQ(1, status);
    // The case reaches the logger file: its end is reported after the table's failure.
    EXPECT_EQ(prompts() + failToOpen() + lineCount(11), r.console.str());
}

}  // namespace
}  // namespace field
