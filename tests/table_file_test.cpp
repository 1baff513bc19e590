// TableFile's checked writes where every platform behaves alike: rows reach the
// file whole, a table that cannot be created says why, and a failed table
// writes nothing more.
#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/system_reason.hpp"
#include "platform/table_file.hpp"
#include "test_support.hpp"

namespace field {
namespace {

using testing::readTable;
using testing::TempDir;
using testing::writeFile;
namespace fs = std::filesystem;

TEST(TableFile, WritesWholeRowsAndClosesClean) {
    TempDir dir;
    const std::string path = (dir.path() / "t.txt").string();
    TableFile table;
    ASSERT_TRUE(table.create(path));
    EXPECT_EQ(path, table.path());
    EXPECT_TRUE(table.writeRow("a,b,\n"));
    EXPECT_TRUE(table.writeRow(""));
    EXPECT_TRUE(table.writeRow("1,2,\n"));
    EXPECT_FALSE(table.failed());
    EXPECT_EQ("", table.error());
    EXPECT_TRUE(table.close());
    EXPECT_TRUE(table.close()) << "closing twice is harmless";
    EXPECT_EQ("a,b,\n1,2,\n", readTable(path));
    EXPECT_FALSE(table.writeRow("x\n")) << "a closed table takes no row";
    EXPECT_EQ("a,b,\n1,2,\n", readTable(path));
}

// Places where a table cannot be created, with the system's reason.
struct CreateCase {
    const char* what;
    std::function<fs::path(const fs::path& dir)> make;  // returns the table's path
    std::string reason;                                 // empty: any non-empty reason
};

TEST(TableFile, CreateThatFailsKeepsThePathAndTheSystemsReason) {
    const CreateCase cases[] = {
        {"a folder removed", [](const fs::path& dir) { return dir / "gone" / "t.txt"; }, systemReason(ENOENT)},
        {"a directory with the table's name",
         [](const fs::path& dir) {
             fs::create_directories(dir / "t.txt" / "kept");
             return dir / "t.txt";
         },
         ""},
        {"a file where a folder is expected",
         [](const fs::path& dir) {
             writeFile(dir / "plain", "x");
             return dir / "plain" / "t.txt";
         },
         ""},
    };
    for (const CreateCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = c.make(dir.path()).string();
        TableFile table;
        EXPECT_FALSE(table.create(path));
        EXPECT_FALSE(table.isOpen());
        EXPECT_FALSE(table.failed()) << "failed() tells of rows lost from a created table";
        EXPECT_EQ(path, table.path());
        if (c.reason.empty()) {
            EXPECT_NE("", table.error());
        } else {
            EXPECT_EQ(c.reason, table.error());
        }
        EXPECT_FALSE(table.writeRow("a,\n"));
        EXPECT_FALSE(table.failed());
        EXPECT_TRUE(table.close()) << "nothing was open";
    }
}

TEST(TableFile, CreateAfterAFailureStartsClean) {
    TempDir dir;
    TableFile table;
    EXPECT_FALSE(table.create((dir.path() / "gone" / "t.txt").string()));
    const std::string path = (dir.path() / "t.txt").string();
    ASSERT_TRUE(table.create(path));
    EXPECT_FALSE(table.failed());
    EXPECT_EQ("", table.error());
    EXPECT_EQ(path, table.path());
    EXPECT_TRUE(table.writeRow("r,\n"));
    EXPECT_TRUE(table.close());
    EXPECT_EQ("r,\n", readTable(path));
}

}  // namespace
}  // namespace field
