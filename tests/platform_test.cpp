// The platform layer against real temporary directory trees.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/directory_search.hpp"
#include "platform/fields.hpp"
#include "platform/line_reader.hpp"
#include "platform/wildcard.hpp"
#include "platform/windows_path.hpp"
#include "test_support.hpp"

namespace field {
namespace {

using testing::TempDir;
using testing::writeFile;

TEST(Wildcard, MatchesLikeTheWindowsSearch) {
    struct Case {
        const char* pattern;
        const char* name;
        bool matches;
    };
    // clang-format off
    const Case cases[] = {
        {"*.*", "anything", true},        {"*.*", "a.b", true},           {"*.*", ".", true},
        {"*.*", "..", true},              {"*_data.DAT", "x_data.DAT", true}, {"*_data.DAT", "X_DATA.dat", true},
        {"*_data.DAT", "_data.DAT", true}, {"*_data.DAT", "x_data.DAT.bak", false},
        {"*_data.DAT", "x_SONIC.DAT", false}, {"*_SONIC.DAT", "a_b_sonic.dat", true}, {"*.txt", "a.TXT", true},
        {"*.txt", "atxt", false},         {"a?c", "abc", true},           {"a?c", "ac", false},
        {"a*b*c", "aXbYbZc", true},       {"a*b*c", "aXbYbZ", false},     {"foo.*", "foo", true},
        {"foo.*", "foo.bar", true},       {"foo.*", "foobar", false},     {"*", "", true},
        {"?", "", false},                 {"**a", "bba", true},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " ~ " + c.name);
        EXPECT_EQ(c.matches, wildcardMatch(c.pattern, c.name));
    }
}

TEST(Wildcard, HostilePatternStaysFast) {
    const std::string name(5000, 'a');
    const std::string pattern = std::string(100, '*') + "b";
    EXPECT_FALSE(wildcardMatch(pattern, name));
}

std::vector<std::string> names(DirectorySearch& search) {
    std::vector<std::string> out;
    if (!search.isOpen()) return out;
    do out.push_back(search.entry().name);
    while (search.next());
    return out;
}

TEST(DirectorySearch, OrdersDotsFirstThenNamesFoldedToUpperCase) {
    TempDir root;
    for (const char* f : {"b.txt", "A.txt", "_x.txt", "a_data.DAT", "Z_data.dat", "c.TXT"})
        writeFile(root.path() / "c" / "dir" / f, "x");
    std::filesystem::create_directories(root.path() / "c" / "dir" / "sub");
    const PathMapper paths(root.str());
    DirectorySearch search(paths);

    ASSERT_TRUE(search.start("C:\\dir\\*.*"));
    // '_' (0x5F) sorts after the upper-case letters once names are folded.
    EXPECT_EQ(
        (std::vector<std::string>{".", "..", "A.txt", "a_data.DAT", "b.txt", "c.TXT", "sub", "Z_data.dat", "_x.txt"}),
        names(search));

    ASSERT_TRUE(search.start("C:\\dir\\*_data.DAT"));
    EXPECT_EQ((std::vector<std::string>{"a_data.DAT", "Z_data.dat"}), names(search));

    ASSERT_TRUE(search.start("C:\\DIR\\*.txt"));
    EXPECT_EQ((std::vector<std::string>{"A.txt", "b.txt", "c.TXT", "_x.txt"}), names(search));
}

TEST(DirectorySearch, DirectoryFlagFollowsLinksAndLastEntryStays) {
    TempDir root;
    std::filesystem::create_directories(root.path() / "c" / "w" / "real");
    // The C++ library makes no directory symbolic links on Windows: the link is POSIX only.
    if (!kWindowsHost)
        std::filesystem::create_directory_symlink(root.path() / "c" / "w" / "real", root.path() / "c" / "w" / "link");
    writeFile(root.path() / "c" / "w" / "plain", "x");
    const PathMapper paths(root.str());
    DirectorySearch search(paths);
    ASSERT_TRUE(search.start("C:\\w\\*.*"));
    std::vector<std::pair<std::string, bool>> seen;
    do seen.emplace_back(search.entry().name, search.entry().isDirectory);
    while (search.next());
    std::vector<std::pair<std::string, bool>> expected = {{".", true}, {"..", true}, {"plain", false}, {"real", true}};
    if (!kWindowsHost) expected.insert(expected.begin() + 2, {"link", true});
    EXPECT_EQ(expected, seen);
    // After the end the search stays open on its last entry.
    EXPECT_TRUE(search.isOpen());
    EXPECT_EQ("real", search.entry().name);
    EXPECT_FALSE(search.next());
}

TEST(DirectorySearch, FailsOnNothingMissingDirectoryAndOverlongPattern) {
    if (kWindowsHost) GTEST_SKIP() << "below a temporary root the local path passes Windows' 260-character limit";
    TempDir root;
    const std::string dirName(240, 'd');
    writeFile(root.path() / "c" / dirName / "x_data.DAT", "x");
    const PathMapper paths(root.str());
    DirectorySearch search(paths);
    EXPECT_FALSE(search.start("C:\\nowhere\\*.*"));
    EXPECT_FALSE(search.start("C:\\" + dirName + "\\*.txt"));
    EXPECT_FALSE(search.isOpen());

    // 259 characters are allowed; 260 fail like a search that finds nothing.
    const std::string base = "C:\\" + dirName + "\\";
    std::string pattern259 =
        base + std::string(259 - base.size() - std::string("x_data.DAT").size(), '*') + "x_data.DAT";
    ASSERT_EQ(259u, pattern259.size());
    EXPECT_TRUE(search.start(pattern259));
    EXPECT_FALSE(search.start("*" + pattern259));
    search.close();
    search.close();  // closing twice is harmless
}

TEST(PathMapper, MapsDriveAndFindsComponentsIgnoringCase) {
    if (kWindowsHost) GTEST_SKIP() << "Windows uses drive paths as they are, in a file system that ignores case";
    TempDir root;
    writeFile(root.path() / "c" / "Vantrel" / "Data Dir" / "File.TXT", "x");
    std::filesystem::create_directories(root.path() / "c" / "vantrel");  // two spellings: listing order decides
    const PathMapper paths(root.str());
    struct Case {
        const char* windows;
        std::string local;
    };
    const std::string r = root.str();
    const Case cases[] = {
        {"C:\\Vantrel\\Data Dir\\File.TXT", r + "/c/Vantrel/Data Dir/File.TXT"},
        {"c:\\VANTREL\\data dir\\file.txt", r + "/c/Vantrel/Data Dir/File.TXT"},
        {"C:\\Vantrel\\Data Dir\\", r + "/c/Vantrel/Data Dir/"},
        {"C:\\Vantrel\\missing\\x", r + "/c/Vantrel/missing/x"},
        {"relative name.txt", "relative name.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.windows);
        EXPECT_EQ(c.local, paths.toLocal(c.windows));
    }
    EXPECT_EQ("/mnt/d/x", PathMapper("").toLocal("D:\\x"));
}

struct ReadCase {
    const char* name;
    std::string content;
    std::vector<std::string> lines;
};

TEST(LineReader, SplitsLinesLikeATextModeReader) {
    const ReadCase cases[] = {
        {"empty file", "", {}},
        {"one line without line feed", "abc", {"abc"}},
        {"line feeds", "a\nb\n", {"a", "b"}},
        {"CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"only one CR dropped", "a\r\r\n", {"a\r"}},
        {"lone CR kept", "a\rb\n", {"a\rb"}},
        {"empty lines", "\n\n\r\n", {"", "", ""}},
        {"NUL inside a line", std::string("a\0b\nc", 5), {std::string("a\0b", 3), "c"}},
        {"last line without line feed", "x\ny", {"x", "y"}},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        writeFile(dir.path() / "f", c.content);
        LineReader reader;
        ASSERT_TRUE(reader.open((dir.path() / "f").string()));
        EXPECT_EQ(c.lines, testing::linesFrom(reader));
        std::string_view line;
        EXPECT_FALSE(reader.next(line));
    }
}

TEST(LineReader, LinesAcrossBlockBoundariesAndLongerThanABlock) {
    TempDir dir;
    std::string content;
    std::vector<std::string> expected;
    for (int i = 0; i < 40000; ++i) {
        expected.push_back("line " + std::to_string(i) + std::string(static_cast<std::size_t>(i % 97), 'x'));
        content += expected.back() + (i % 3 == 0 ? "\r\n" : "\n");
    }
    expected.push_back(std::string(3 * LineReader::kBlockSize + 17, 'L'));  // needs the buffer to grow
    content += expected.back() + "\n";
    expected.push_back("tail");
    content += "tail";
    writeFile(dir.path() / "f", content);

    LineReader reader;
    ASSERT_TRUE(reader.open((dir.path() / "f").string()));
    std::size_t n = 0;
    std::string_view line;
    while (reader.next(line)) {
        ASSERT_LT(n, expected.size());
        ASSERT_EQ(expected[n], line) << "line " << n;
        ++n;
    }
    EXPECT_EQ(expected.size(), n);
}

TEST(LineReader, OverlongLineComesCutAtTheLimitAndTheNextLineFollows) {
    TempDir dir;
    const std::string longLine(5000, 'L');
    // At the limit: 100 bytes and CR LF come whole, 101 bytes and CR LF are cut.
    writeFile(dir.path() / "f", "a\r\n" + longLine + "\r\nb\n" + std::string(100, 'M') + "\r\n" +
                                    std::string(101, 'N') + "\r\n" + longLine);
    for (const std::size_t block : {1u, 7u, 64u, 101u, 102u, 103u, 4096u}) {
        SCOPED_TRACE(block);
        LineReader reader(block, 100);
        ASSERT_TRUE(reader.open((dir.path() / "f").string()));
        EXPECT_EQ((std::vector<std::string>{"a", std::string(100, 'L'), "b", std::string(100, 'M'),
                                            std::string(100, 'N'), std::string(100, 'L')}),
                  testing::linesFrom(reader));
    }
}

TEST(LineReader, RefusesMissingFilesAndDirectories) {
    TempDir dir;
    LineReader reader;
    EXPECT_FALSE(reader.open((dir.path() / "missing").string()));
    EXPECT_FALSE(reader.open(dir.str()));
    EXPECT_FALSE(reader.open(""));
    std::string_view line;
    EXPECT_FALSE(reader.next(line));
}

TEST(Fields, KSeparatorsGiveKPlusOneFields) {
    struct Case {
        const char* line;
        std::vector<std::string> fields;
    };
    const Case cases[] = {
        {"", {""}},
        {"a", {"a"}},
        {"a,b", {"a", "b"}},
        {"a,", {"a", ""}},
        {",,", {"", "", ""}},
        {" a , b ", {" a ", " b "}},
        {"\"q,uoted\"", {"\"q", "uoted\""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        FieldSplitter splitter(c.line, ',');
        std::vector<std::string> got;
        std::string_view f;
        while (splitter.next(f)) got.emplace_back(f);
        EXPECT_EQ(c.fields, got);
    }
    std::string_view f;
    EXPECT_TRUE(fieldAt("a,b,c", ',', 3, f));
    EXPECT_EQ("c", f);
    EXPECT_FALSE(fieldAt("a,b,c", ',', 4, f));
}

}  // namespace
}  // namespace field
