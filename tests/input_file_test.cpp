// Opening and reading input files where every platform behaves alike: the
// reason an input cannot be opened, and a read error told apart from the end
// of the file (through the reader's block-read seam).
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file_open.hpp"
#include "platform/line_reader.hpp"
#include "platform/system_reason.hpp"
#include "test_support.hpp"

namespace field {
namespace {

using testing::TempDir;
using testing::writeFile;
namespace fs = std::filesystem;

TEST(InputFile, OpenThatFailsGivesTheReason) {
    TempDir dir;
    writeFile(dir.path() / "data.txt", "a\n");
    fs::create_directories(dir.path() / "folder");
    const struct {
        const char* what;
        std::string path;
        std::string reason;
    } cases[] = {
        {"a missing file", (dir.path() / "missing.txt").string(), systemReason(ENOENT)},
        {"a missing folder", (dir.path() / "gone" / "x.txt").string(), systemReason(ENOENT)},
        {"an empty path", "", systemReason(ENOENT)},
        {"a directory", (dir.path() / "folder").string(), std::string(kNotARegularFile)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::string reason = "stale";
        EXPECT_EQ(nullptr, openForReading(c.path, reason));
        EXPECT_EQ(c.reason, reason);
        LineReader reader;
        EXPECT_FALSE(reader.open(c.path));
        EXPECT_EQ(c.reason, reader.error());
        EXPECT_FALSE(reader.failed()) << "failed() is kept for read errors";
    }
    std::string reason = "stale";
    std::FILE* f = openForReading((dir.path() / "data.txt").string(), reason);
    ASSERT_NE(nullptr, f);
    EXPECT_EQ("", reason);
    std::fclose(f);
    LineReader reader;
    EXPECT_FALSE(reader.open((dir.path() / "missing.txt").string()));
    ASSERT_TRUE(reader.open((dir.path() / "data.txt").string()));
    EXPECT_EQ("", reader.error()) << "a successful open forgets the last reason";
}

// Reads a file through a block-read stand-in that serves the real bytes in
// blocks of `block` and fails with EIO once `failAt` bytes have been served.
struct ReadErrorCase {
    const char* what;
    std::string content;
    std::size_t block;
    std::size_t failAt;  // npos: no error
    std::vector<std::string> lines;
    bool failed;
};

TEST(InputFile, ReadErrorEndsTheLinesAndIsToldApartFromTheEnd) {
    const std::size_t never = std::string::npos;
    const ReadErrorCase cases[] = {
        {"the end of the file", "a\nb\nc", 3, never, {"a", "b", "c"}, false},
        {"an error at the first read", "a\nb\n", 4, 0, {}, true},
        {"an error after whole lines", "a\nb\nc\n", 4, 4, {"a", "b"}, true},
        {"an error inside a line drops its start", "a\nbbbb\nc\n", 4, 4, {"a"}, true},
        {"an error inside the last line without a line feed", "a\nbbbb", 4, 4, {"a"}, true},
        {"an error right at the end", "a\nb\n", 4, 4, {"a", "b"}, true},
        {"an error while a cut line is skipped", "aaaaaaaa\nb\n", 2, 6, {"aaa"}, true},
    };
    for (const ReadErrorCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        writeFile(dir.path() / "f", c.content);
        LineReader reader(c.block, 3);
        std::size_t served = 0;
        reader.setBlockRead([&](std::FILE* file, char* into, std::size_t size, int& errorNumber) -> std::size_t {
            if (served >= c.failAt) {
                errorNumber = EIO;
                return 0;
            }
            const std::size_t wanted = std::min(size, c.failAt - served);
            const std::size_t got = std::fread(into, 1, wanted, file);
            served += got;
            return got;
        });
        ASSERT_TRUE(reader.open((dir.path() / "f").string()));
        EXPECT_EQ(c.lines, testing::linesFrom(reader));
        std::string_view line;
        EXPECT_FALSE(reader.next(line)) << "no line after the end or the error";
        EXPECT_EQ(c.failed, reader.failed());
        EXPECT_EQ(c.failed ? systemReason(EIO) : std::string(), reader.error());
        reader.close();
        EXPECT_EQ(c.failed, reader.failed()) << "kept after closing";
    }
}

TEST(InputFile, OpenAfterAReadErrorStartsClean) {
    TempDir dir;
    writeFile(dir.path() / "f", "a\nb\n");
    LineReader reader;
    reader.setBlockRead([](std::FILE*, char*, std::size_t, int& errorNumber) -> std::size_t {
        errorNumber = EIO;
        return 0;
    });
    ASSERT_TRUE(reader.open((dir.path() / "f").string()));
    std::string_view line;
    EXPECT_FALSE(reader.next(line));
    EXPECT_TRUE(reader.failed());
    reader.setBlockRead({});
    ASSERT_TRUE(reader.open((dir.path() / "f").string()));
    EXPECT_FALSE(reader.failed());
    EXPECT_EQ("", reader.error());
    ASSERT_TRUE(reader.next(line));
    EXPECT_EQ("a", line);
}

}  // namespace
}  // namespace field
