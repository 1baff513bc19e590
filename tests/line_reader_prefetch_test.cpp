// Reading ahead on a second thread gives the same lines, the same end and the
// same read errors as reading in one thread, whatever the block and line sizes.
#include <gtest/gtest.h>

#include <cerrno>
#include <random>

#include "platform/line_reader.hpp"
#include "test_support.hpp"

namespace field {
namespace {

using namespace field::testing;

struct Outcome {
    std::vector<std::string> lines;
    bool failed = false;
    std::string error;
};

// Reads `path` to its end; the reads fail with EIO once `failAt` bytes were served.
Outcome readAll(const std::string& path, bool prefetch, std::size_t block, std::size_t maxLine, std::size_t front,
                std::size_t failAt) {
    LineReader reader(block, maxLine, front);
    reader.setPrefetch(prefetch);
    std::size_t served = 0;
    reader.setBlockRead([&served, failAt](std::FILE* file, char* into, std::size_t size, int& errorNumber) {
        if (served >= failAt) {
            errorNumber = EIO;
            return std::size_t{0};
        }
        const std::size_t got = std::fread(into, 1, std::min(size, failAt - served), file);
        served += got;
        return got;
    });
    Outcome out;
    if (!reader.open(path)) return out;
    out.lines = linesFrom(reader);
    out.failed = reader.failed();
    out.error = reader.error();
    return out;
}

// Lines of random lengths (some far longer than the blocks), CR LF now and then,
// with or without a last line feed.
std::string randomText(std::mt19937& random, std::size_t lines) {
    std::string text;
    for (std::size_t i = 0; i < lines; ++i) {
        const std::size_t length = random() % 8 == 0 ? random() % 200 : random() % 12;
        for (std::size_t k = 0; k < length; ++k) text += static_cast<char>('a' + random() % 26);
        text += random() % 4 == 0 ? "\r\n" : "\n";
    }
    if (random() % 2 == 0) text += "last";
    return text;
}

TEST(LineReaderPrefetch, SameLinesEndAndErrorsAsReadingInOneThread) {
    struct Case {
        std::size_t block, maxLine, front;
    };
    const Case cases[] = {
        {1, 1000, 1}, {3, 5, 2}, {7, 1000, 4}, {16, 40, 8}, {64, 30, 16}, {64, 1000, 64}, {256, 1000, 1},
    };
    std::mt19937 random(2014);
    TempDir dir;
    const std::string path = (dir.path() / "f").string();
    for (int round = 0; round < 40; ++round) {
        const std::string text = randomText(random, random() % 60);
        writeFile(path, text);
        for (const Case& c : cases) {
            for (const std::size_t failAt : {std::string::npos, text.size() / 2, std::size_t{0}, text.size()}) {
                SCOPED_TRACE(::testing::Message() << "round " << round << " block " << c.block << " max line "
                                                  << c.maxLine << " front " << c.front << " fail at " << failAt);
                const Outcome one = readAll(path, false, c.block, c.maxLine, c.front, failAt);
                const Outcome two = readAll(path, true, c.block, c.maxLine, c.front, failAt);
                ASSERT_EQ(one.lines, two.lines);
                ASSERT_EQ(one.failed, two.failed);
                ASSERT_EQ(one.error, two.error);
            }
        }
    }
}

TEST(LineReaderPrefetch, LineLongerThanTheRoomBeforeABlockAndReopening) {
    TempDir dir;
    std::string text;
    std::vector<std::string> expected;
    for (int i = 0; i < 30000; ++i) {
        expected.push_back("line " + std::to_string(i));
        text += expected.back() + "\n";
    }
    expected.push_back(std::string(LineReader::kPrefetchFront * 3, 'L'));  // the rest of the file in one thread
    text += expected.back() + "\n";
    expected.push_back("after");
    text += "after\n";
    writeFile(dir.path() / "f", text);

    LineReader reader;
    reader.setPrefetch(true);
    for (int pass = 0; pass < 2; ++pass) {  // a second file read ahead again after the first left it
        SCOPED_TRACE(pass);
        ASSERT_TRUE(reader.open((dir.path() / "f").string()));
        EXPECT_EQ(expected, linesFrom(reader));
        EXPECT_FALSE(reader.failed());
    }
    // Closed in the middle: the reading thread stops with it.
    ASSERT_TRUE(reader.open((dir.path() / "f").string()));
    std::string_view line;
    ASSERT_TRUE(reader.next(line));
    reader.close();
    EXPECT_FALSE(reader.next(line));
}

// Passing over lines by their prefix, between next() calls, must leave exactly the lines
// next() alone gives, less some that start with the prefix, whatever the block size.
TEST(LineReaderSkip, PassesOverOnlyWholeLinesWithThePrefix) {
    const std::string prefix = "\"2014-08-15 10:07:";
    const char* shapes[] = {"\"2014-08-15 10:07:01.5\",1,2",
                            "\"2014-08-15 10:07:",
                            "\"2014-08-15 10:0",
                            "",
                            "\"2014-08-15 10:08:00.0\",3",
                            "x"};
    std::mt19937 random(7);
    TempDir dir;
    std::size_t totalSkipped = 0;
    for (int round = 0; round < 60; ++round) {
        std::string text;
        const int lines = static_cast<int>(random() % 40);
        for (int i = 0; i < lines; ++i) {
            text += shapes[random() % std::size(shapes)];
            if (random() % 4 == 0) text += '\r';
            text += '\n';
        }
        if (random() % 2) text += shapes[random() % std::size(shapes)];  // a last line without a line feed
        const auto path = (dir.path() / "lines.txt").string();
        writeFile(path, text);
        const std::vector<std::string> all = readAll(path, false, 1 << 16, 1 << 16, 64, ~std::size_t{0}).lines;
        for (const bool prefetch : {false, true}) {
            const std::size_t block = 1 + random() % 96;
            LineReader reader(block, 1 << 16, 64);
            reader.setPrefetch(prefetch);
            ASSERT_TRUE(reader.open(path));
            std::vector<std::string> given;
            std::size_t skipped = 0;
            std::string_view line;
            for (;;) {
                skipped += reader.skipLinesStartingWith(prefix);
                if (!reader.next(line)) break;
                given.emplace_back(line);
            }
            SCOPED_TRACE("round " + std::to_string(round) + ", block " + std::to_string(block));
            ASSERT_EQ(all.size(), given.size() + skipped);
            totalSkipped += skipped;
            // What was passed over, in order, is lines that start with the prefix.
            std::size_t at = 0;
            for (const std::string& l : all) {
                if (at < given.size() && given[at] == l) {
                    ++at;
                } else {
                    ASSERT_EQ(0u, l.rfind(prefix, 0)) << "passed over: [" << l << "]";
                }
            }
            ASSERT_EQ(given.size(), at);
        }
    }
    EXPECT_GT(totalSkipped, 100u);
}

// Long runs of lines of every length up to 130 bytes in blocks large enough for the line
// feeds to be found 64 bytes at a time: each line end at every place of a 64-byte stretch,
// lines without the prefix among them, and the file's last bytes.
TEST(LineReaderSkip, CountsTheLinesOfLongRunsOfEveryLength) {
    const std::string prefix = "\"2014-08-15 10:07:";
    std::mt19937 random(11);
    TempDir dir;
    for (int round = 0; round < 40; ++round) {
        std::string text;
        std::vector<std::size_t> runs;  // lines with the prefix before each line without it
        std::size_t run = 0;
        const int lines = 200 + static_cast<int>(random() % 400);
        for (int i = 0; i < lines; ++i) {
            if (random() % 50 == 0) {
                text += "\"2014-08-15 10:08:00.0\",1\n";
                runs.push_back(run);
                run = 0;
                continue;
            }
            const std::size_t length = prefix.size() + random() % (131 - prefix.size());
            std::string line = prefix;
            while (line.size() < length) line += static_cast<char>('0' + random() % 10);
            text += line + '\n';
            ++run;
        }
        const auto path = (dir.path() / "runs.txt").string();
        writeFile(path, text);
        for (const std::size_t block : {std::size_t{1} << 16, std::size_t{4096} + random() % 512}) {
            SCOPED_TRACE("round " + std::to_string(round) + ", block " + std::to_string(block));
            LineReader reader(block, 1 << 16, 256);
            ASSERT_TRUE(reader.open(path));
            std::vector<std::size_t> given;
            std::size_t skipped = 0;
            std::string_view line;
            for (;;) {
                skipped += reader.skipLinesStartingWith(prefix);
                if (!reader.next(line)) break;
                if (line.rfind(prefix, 0) == 0) {
                    ++skipped;  // one the skip left to next(), at a block's end
                    continue;
                }
                ASSERT_EQ("\"2014-08-15 10:08:00.0\",1", line);
                given.push_back(skipped);
                skipped = 0;
            }
            EXPECT_EQ(runs, given);
            EXPECT_EQ(run, skipped);
        }
    }
}

// The line feed found in one look at 64 bytes, or by the library where fewer remain: every
// length around that look, with and without a CR, at every place in small blocks.
TEST(LineReader, LinesOfEveryLengthAroundOneLookAtTheirBytes) {
    TempDir dir;
    std::string text;
    std::vector<std::string> expected;
    for (std::size_t length = 0; length <= 140; ++length) {
        for (const bool cr : {false, true}) {
            std::string line;
            for (std::size_t k = 0; k < length; ++k) line += static_cast<char>('a' + (length + k) % 26);
            expected.push_back(line);
            text += line + (cr ? "\r\n" : "\n");
        }
    }
    const auto path = (dir.path() / "lengths.txt").string();
    writeFile(path, text);
    for (const std::size_t block : {std::size_t{256}, std::size_t{1000}, std::size_t{1} << 16}) {
        for (const bool prefetch : {false, true}) {
            SCOPED_TRACE("block " + std::to_string(block) + (prefetch ? ", read ahead" : ""));
            EXPECT_EQ(expected, readAll(path, prefetch, block, 1 << 16, 512, text.size() + 1).lines);
        }
    }
}

}  // namespace
}  // namespace field
