// TableFile against real write failures that only POSIX systems make easy: a
// device that is always full, a file-size limit that cuts a row in two, a
// folder that may not be written, a table another process holds, and a table
// removed or replaced while it is written.
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
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
    EXPECT_EQ(0, table.rows()) << "no row reached the device";
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
            const bool state = table.failed() && table.error() == systemReason(EFBIG) && table.rows() == c.wholeRows &&
                               !table.writeRow("x\n") && !table.close();
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

// Record locks never exclude each other within one process: the other run is a child.
TEST(TableFileLock, TableInUseByAnotherRunIsRefusedAndLeftUntouched) {
    TempDir dir;
    const std::string path = (dir.path() / "t.txt").string();
    testing::writeFile(path, "rows of the other run\n");
    int ready[2], release[2];
    ASSERT_EQ(0, pipe(ready));
    ASSERT_EQ(0, pipe(release));
    const pid_t holder = fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        close(release[1]);
        const int fd = open(path.c_str(), O_RDWR);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        char byte = 'x';
        if (fd < 0 || fcntl(fd, F_SETLK, &lock) != 0 || write(ready[1], &byte, 1) != 1) _exit(1);
        (void)!read(release[0], &byte, 1);  // until the test closes its end
        _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    char byte = 0;
    ASSERT_EQ(1, read(ready[0], &byte, 1)) << "the child took no lock";
    TableFile table;
    EXPECT_FALSE(table.create(path));
    EXPECT_FALSE(table.failed()) << "refused, not failed: the run goes on without it";
    EXPECT_EQ("in use by another run, process " + std::to_string(holder), table.error());
    EXPECT_EQ("rows of the other run\n", readFile(path)) << "not emptied";
    close(release[1]);
    int status = 0;
    ASSERT_EQ(holder, waitpid(holder, &status, 0));
    // Its holder gone, the table is ours.
    EXPECT_TRUE(table.create(path)) << table.error();
    EXPECT_EQ("", readFile(path));
}

TEST(TableFileFailures, TableRemovedWhileWrittenFailsTheTable) {
    struct Case {
        const char* what;
        std::function<void(const fs::path& table)> change;
        bool stillThere;
    };
    const Case cases[] = {
        {"left alone", [](const fs::path&) {}, true},
        {"file removed", [](const fs::path& t) { fs::remove(t); }, false},
        {"folder removed", [](const fs::path& t) { fs::remove_all(t.parent_path()); }, false},
        {"file replaced by another file",
         [](const fs::path& t) {
             testing::writeFile(t.string() + ".new", "rows of another run\n");
             fs::rename(t.string() + ".new", t);
         },
         false},
    };
    for (const Case& c : cases) {
        for (const bool atClose : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (atClose ? ", found by close()" : ", found by checkStillAtPath()"));
            TempDir dir;
            const fs::path path = dir.path() / "out" / "t.txt";
            fs::create_directories(path.parent_path());
            TableFile table;
            ASSERT_TRUE(table.create(path.string()));
            ASSERT_TRUE(table.writeRow("a\n"));
            c.change(path);
            if (!atClose) {
                EXPECT_EQ(c.stillThere, table.checkStillAtPath());
                EXPECT_EQ(c.stillThere, table.writeRow("b\n"));
            }
            EXPECT_EQ(c.stillThere, table.close());
            EXPECT_EQ(!c.stillThere, table.failed());
            EXPECT_EQ(c.stillThere ? "" : std::string(kRemovedWhileWritten), table.error());
            if (c.stillThere) {
                EXPECT_EQ(atClose ? "a\n" : "a\nb\n", readFile(path));
            }
        }
    }
}

}  // namespace
}  // namespace field
