// Input files that are no regular files (named pipes, devices, sockets) are
// refused at once and never block; a real read error of the system is told
// apart from the end of the file. POSIX only: these kinds of file and the
// /proc file that fails to read exist there.
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <future>
#include <string>

#include "platform/file_open.hpp"
#include "platform/line_reader.hpp"
#include "platform/system_reason.hpp"
#include "test_support.hpp"
#include "unprivileged.hpp"

namespace field {
namespace {

using testing::TempDir;
using testing::writeFile;
namespace fs = std::filesystem;

// Paths that are no regular file, made in `dir` (empty path: not available here).
struct KindCase {
    const char* what;
    std::function<std::string(const fs::path& dir)> make;
};

TEST(InputFileKinds, NoRegularFileIsRefusedWithoutBlocking) {
    // clang-format off
    const KindCase cases[] = {
        {"a named pipe no one writes",
         [](const fs::path& dir) {
             const fs::path p = dir / "x_data.DAT";
             return mkfifo(p.c_str(), 0644) == 0 ? p.string() : std::string();
         }},
        {"a link to a named pipe",
         [](const fs::path& dir) {
             const fs::path p = dir / "pipe";
             if (mkfifo(p.c_str(), 0644) != 0) return std::string();
             fs::create_symlink(p, dir / "link");
             return (dir / "link").string();
         }},
        {"/dev/zero (never ends)", [](const fs::path&) { return fs::exists("/dev/zero") ? "/dev/zero" : ""; }},
        {"/dev/null", [](const fs::path&) { return fs::exists("/dev/null") ? "/dev/null" : ""; }},
        {"a socket",
         [](const fs::path& dir) {
             const std::string p = (dir / "sock").string();
             sockaddr_un address{};
             address.sun_family = AF_UNIX;
             if (p.size() >= sizeof address.sun_path) return std::string();
             std::memcpy(address.sun_path, p.c_str(), p.size() + 1);
             const int s = socket(AF_UNIX, SOCK_STREAM, 0);
             const bool bound = s >= 0 && bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
             if (s >= 0) close(s);  // the socket file stays
             return bound ? p : std::string();
         }},
        {"a directory", [](const fs::path& dir) {
             fs::create_directories(dir / "d");
             return (dir / "d").string();
         }},
    };
    // clang-format on
    for (const KindCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const std::string path = c.make(dir.path());
        if (path.empty()) {
            ADD_FAILURE() << "cannot make it here";
            continue;
        }
        // Opened on another thread, so a blocking open fails the test instead of hanging it.
        auto opened = std::async(std::launch::async, [&] {
            LineReader reader;
            const bool ok = reader.open(path);
            return std::make_pair(ok, reader.error());
        });
        if (opened.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            // Release a reader blocked at a pipe by opening its other end.
            const int release = open(path.c_str(), O_RDWR | O_NONBLOCK);
            ADD_FAILURE() << "open blocked";
            opened.wait();
            if (release >= 0) close(release);
            continue;
        }
        const auto [ok, reason] = opened.get();
        EXPECT_FALSE(ok);
        EXPECT_EQ(std::string(kNotARegularFile), reason);
    }
}

TEST(InputFileKinds, LinkToARegularFileIsRead) {
    TempDir dir;
    writeFile(dir.path() / "real.txt", "a\nb\n");
    fs::create_symlink(dir.path() / "real.txt", dir.path() / "link.txt");
    LineReader reader;
    ASSERT_TRUE(reader.open((dir.path() / "link.txt").string()));
    std::string_view line;
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ("a", line);
}

TEST(InputFileKinds, UnreadableFileGivesPermissionDenied) {
    TempDir dir;
    writeFile(dir.path() / "secret.txt", "a\n");
    fs::permissions(dir.path() / "secret.txt", fs::perms::none);
    const std::string path = (dir.path() / "secret.txt").string();
    const auto result = testing::runUnprivileged([&] {
        LineReader reader;
        return !reader.open(path) && reader.error() == systemReason(EACCES) && reader.error() == "Permission denied";
    });
    if (result == testing::Unprivileged::CannotSwitch) GTEST_SKIP() << "cannot switch to user nobody";
    EXPECT_EQ(testing::Unprivileged::Passed, result);
}

TEST(InputFileKinds, SystemReadErrorIsAFailureNotTheEnd) {
    // /proc/self/mem is a regular file whose first bytes (address 0, never mapped) give EIO.
    struct stat st {};
    if (stat("/proc/self/mem", &st) != 0 || !S_ISREG(st.st_mode)) GTEST_SKIP() << "no Linux /proc here";
    LineReader reader;
    ASSERT_TRUE(reader.open("/proc/self/mem")) << reader.error();
    std::string_view line;
    EXPECT_FALSE(reader.next(line));
    EXPECT_TRUE(reader.failed());
    EXPECT_EQ(systemReason(EIO), reader.error());
    EXPECT_EQ("Input/output error", reader.error());
}

}  // namespace
}  // namespace field
