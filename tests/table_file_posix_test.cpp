// TableFile against real write failures that only POSIX systems make easy: a
// device that is always full, a file-size limit that cuts a row in two, and a
// folder that may not be written.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <string>

#include "platform/system_reason.hpp"
#include "platform/table_file.hpp"
#include "test_support.hpp"
#include "unprivileged.hpp"

namespace field {
namespace {

using testing::readFile;
using testing::TempDir;
namespace fs = std::filesystem;

TEST(TableFileFailures, FullDeviceFailsTheFirstRowAndEveryLaterOne) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    TableFile table;
    ASSERT_TRUE(table.create("/dev/full"));
    EXPECT_FALSE(table.failed());
    EXPECT_FALSE(table.writeRow("a,b,\n"));
    EXPECT_TRUE(table.failed());
    EXPECT_EQ(systemReason(ENOSPC), table.error());
    EXPECT_EQ("No space left on device", table.error());
    EXPECT_FALSE(table.writeRow("1,2,\n"));
    EXPECT_EQ(systemReason(ENOSPC), table.error()) << "the first failure's reason stays";
    EXPECT_FALSE(table.close());
    EXPECT_EQ("/dev/full", table.path());
}

// What a child process, limited to `limit` bytes per file, reports back in its exit status.
enum ChildReport { kAsExpected = 0, kFirstRowsFailed = 1, kCutRowSucceeded = 2, kWrongState = 3, kCannotCreate = 4 };

TEST(TableFileFailures, RowCutByTheFileSizeLimitIsTakenBack) {
    // Rows of 10 bytes and a limit of 25: the third row is written in part (5 bytes), then the
    // system refuses the rest. The file must end after the second row.
    struct Case {
        rlim_t limit;
        int wholeRows;
    };
    for (const Case c : {Case{25, 2}, Case{20, 2}, Case{9, 0}}) {
        SCOPED_TRACE("limit " + std::to_string(c.limit));
        TempDir dir;
        const std::string path = (dir.path() / "t.txt").string();
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // Only the child is limited; without SIG_IGN the limit would kill it.
            signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{c.limit, c.limit};
            setrlimit(RLIMIT_FSIZE, &limit);
            TableFile table;
            if (!table.create(path)) _exit(kCannotCreate);
            for (int i = 0; i < c.wholeRows; ++i)
                if (!table.writeRow("row " + std::to_string(i) + ",ok\n")) _exit(kFirstRowsFailed);
            if (table.writeRow("row 9,cut\n")) _exit(kCutRowSucceeded);
            const bool state =
                table.failed() && table.error() == systemReason(EFBIG) && !table.writeRow("x\n") && !table.close();
            _exit(state ? kAsExpected : kWrongState);
        }
        int status = 0;
        ASSERT_EQ(pid, waitpid(pid, &status, 0));
        ASSERT_TRUE(WIFEXITED(status)) << "signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
        EXPECT_EQ(kAsExpected, WEXITSTATUS(status));
        std::string expected;
        for (int i = 0; i < c.wholeRows; ++i) expected += "row " + std::to_string(i) + ",ok\n";
        EXPECT_EQ(expected, readFile(path)) << "no part of the cut row is left";
    }
}

TEST(TableFileFailures, UnwritableFolderGivesPermissionDenied) {
    TempDir dir;
    fs::create_directories(dir.path() / "locked");
    fs::permissions(dir.path() / "locked", fs::perms::owner_read | fs::perms::owner_exec);
    const std::string path = (dir.path() / "locked" / "t.txt").string();
    const auto result = testing::runUnprivileged([&] {
        TableFile table;
        return !table.create(path) && !table.isOpen() && table.error() == systemReason(EACCES) &&
               table.error() == "Permission denied" && table.path() == path;
    });
    if (result == testing::Unprivileged::CannotSwitch) GTEST_SKIP() << "cannot switch to user nobody";
    EXPECT_EQ(testing::Unprivileged::Passed, result);
    EXPECT_FALSE(fs::exists(path));
}

}  // namespace
}  // namespace field
