// Whole casetable runs on small generated trees.
#include <gtest/gtest.h>

#include <sstream>

#include "casetable/casetable_run.hpp"
#include "console_lines.hpp"
#include "field_tree.hpp"
#include "table_columns.hpp"

namespace field {
namespace {

using namespace field::testing;

TEST(CasetableRun, CutsCasesIntoSubWindowsAndNumbersEveryCase) {
    TempDir root, work;
    writeLogger(root.path(), false, "2014_08_15", loggerText(15, 590, 720));
    // Case 2 lies before the data already read: it closes an empty sub-window at once.
    writeMeasurements(root.path(), false, false,
                      measurementText(36, {{600, 660}, {500, 530}, {660, 705}, {800, 860}, {900, 930}}));
    const PathMapper paths(root.str());
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        std::istringstream answers("0\n0\n");
        std::ostringstream out;
        EXPECT_EQ(0, runCasetable(answers, out, paths, work.str()));
        const auto lines = linesOf(readTable(work.path() / "2014 TN Pollen Test Cases_hill.txt"));
        ASSERT_EQ(7u, lines.size());
        EXPECT_EQ(14u, fieldsOf(lines[0]).size());
        EXPECT_EQ("TestCaseID", fieldsOf(lines[1])[testCase::TestCaseID]);
        std::vector<std::string> timing;
        for (std::size_t i = 2; i < lines.size(); ++i) {
            const auto f = fieldsOf(lines[i]);
            ASSERT_EQ(std::size_t{testCase::Count}, f.size());
            timing.push_back(f[testCase::TestCaseID] + "," + f[testCase::BeginMinute] + "," + f[testCase::EndMinute] +
                             "," + f[testCase::BeginTime] + "," + f[testCase::EndTime] + "," + f[testCase::TimePeriod]);
        }
        EXPECT_EQ((std::vector<std::string>{"1,600,629,1000,1029,1800", "1,630,659,1030,1059,1800",
                                            // the empty sub-window keeps the last window minute of case 1
                                            "2,500,659,0820,1059,9600", "3,660,689,1100,1129,1800",
                                            "3,690,704,1130,1144,900"}),
                  timing);
        // Cases 4 and 5 run past the data: one line count, no rows.
        EXPECT_EQ(prompts() + lineCount(7800) + lineCount(7800), out.str());
    }
}

}  // namespace
}  // namespace field
