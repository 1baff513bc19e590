// The built fieldjoin with standard output or error closed, a file-size limit
// below its table's size, or standard output a pipe whose reader has gone: the
// tables come out as in a normal run or end after a complete row, and no
// console text reaches them.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "campaign_2014.hpp"
#include "child_process.hpp"
#include "field_tree.hpp"
#include "quality/quality_table.hpp"

namespace field {
namespace {

using namespace field::testing;

#ifdef FIELDJOIN_BINARY
constexpr const char* kFieldjoinBinary = FIELDJOIN_BINARY;
#else
constexpr const char* kFieldjoinBinary = "";
#endif

struct ChildRun {
    ChildResult child;
    std::string table, quality;
};

// A run without questions: nothing is printed before the tables are open.
ChildRun runHeadless(const TempDir& root, ChildOptions options = {}) {
    const std::string table = configFor(true, true, Program::Fieldjoin).OutputFileName;
    TempDir work;
    options.arguments = {"--field", "fence", "--material", "seed"};
    ChildRun r;
    r.child = runBinary(kFieldjoinBinary, root.path(), work.path(), "", options);
    r.table = readFile(work.path() / table);
    r.quality = readFile(work.path() / qualityTableName(table));
    return r;
}

TEST(ProcessSetup, ClosedOrBrokenConsoleAndFileSizeLimitLeaveCompleteTablesWithoutConsoleText) {
    if (std::string(kFieldjoinBinary).empty()) GTEST_SKIP() << "the fieldjoin binary's path was not built in";
    // Two cases in the logger data, a third past its end: while both tables are open the run
    // prints a line count on standard output, and case lines and its summary on standard error.
    TempDir root;
    writeLogger(root.path(), true, "2014_08_15", loggerText(15, 590, 700));
    writeMeasurements(root.path(), true, true, measurementText(14, {{600, 630}, {630, 690}, {800, 860}}));
    writeStation(root.path(), "day15.txt", stationText(15));
    const ChildRun normal = runHeadless(root);
    ASSERT_EQ(0, normal.child.exitStatus) << normal.child.errors;
    ASSERT_NE("", normal.child.console);
    ASSERT_NE("", normal.child.errors);
    ASSERT_EQ(4u, linesOf(normal.table).size());
    const std::string lastRowCut = normal.table.substr(0, normal.table.rfind('\n', normal.table.size() - 2) + 1);
    struct Case {
        const char* what;
        std::function<void(ChildOptions&)> set;
        int status;
        const std::string& table;
        const char* error;  // on standard error
    };
    const Case cases[] = {
        {"standard output closed", [](ChildOptions& o) { o.closed = {1}; }, 0, normal.table, ""},
        {"standard error closed", [](ChildOptions& o) { o.closed = {2}; }, 0, normal.table, ""},
        {"both closed",
         [](ChildOptions& o) {
             o.closed = {1, 2};
         },
         0, normal.table, ""},
        {"a file-size limit a byte short of the table",
         [&](ChildOptions& o) { o.fileSizeLimit = normal.table.size() - 1; }, 1, lastRowCut, "File too large"},
        {"standard output a pipe without a reader", [](ChildOptions& o) { o.consoleReaderGone = true; }, 0,
         normal.table,
         "fieldjoin: standard output could not be written to the end (its reader may have gone); the tables are "
         "complete\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ChildOptions options;
        c.set(options);
        const ChildRun r = runHeadless(root, options);
        ASSERT_TRUE(r.child.exited) << "signal " << r.child.signal;
        EXPECT_EQ(c.status, r.child.exitStatus);
        EXPECT_EQ(c.table, r.table);
        if (c.status == 0) {
            EXPECT_EQ(normal.quality, r.quality);
        }
        EXPECT_NE(std::string::npos, r.child.errors.find(c.error)) << r.child.errors;
    }
}

}  // namespace
}  // namespace field
