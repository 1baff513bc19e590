// The platform layer where POSIX and Windows builds differ: how drive paths
// become local paths, the tables' line ends, and directory entries without
// symbolic links (which only the POSIX tests can make).
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/directory_search.hpp"
#include "platform/host.hpp"
#include "platform/line_reader.hpp"
#include "platform/table_file.hpp"
#include "platform/windows_path.hpp"
#include "test_support.hpp"

namespace field {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

TEST(PathMapperOnWindows, UsesPathsAsTheyAreOrMovesDrivesBelowAGivenRoot) {
    if (!kWindowsHost) GTEST_SKIP() << "POSIX maps drive paths below a mount root (PathMapper tests)";
    const struct {
        const char* root;
        const char* windows;
        const char* local;
    } cases[] = {
        {"", "C:\\Vantrel\\Data Dir\\File.TXT", "C:\\Vantrel\\Data Dir\\File.TXT"},
        {"", "c:\\VANTREL\\", "c:\\VANTREL\\"},
        {"", "relative name.txt", "relative name.txt"},
        {"T:\\tmp\\root", "C:\\Vantrel\\x.txt", "T:\\tmp\\root\\c\\Vantrel\\x.txt"},
        {"T:\\tmp\\root\\", "D:\\a\\b\\", "T:\\tmp\\root\\d\\a\\b\\"},
        {"T:\\tmp\\root", "E:a", "T:\\tmp\\root\\e\\a"},
        {"T:\\tmp\\root", "relative\\x", "relative\\x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.root) + " | " + c.windows);
        EXPECT_EQ(c.local, PathMapper(c.root).toLocal(c.windows));
    }
    EXPECT_EQ("C:\\Vantrel\\x", PathMapper::fromEnvironment().toLocal("C:\\Vantrel\\x"));
}

TEST(TableFileLineEnds, EachLineFeedBecomesThePlatformsLineEndAndReadsBackAsOneLine) {
    TempDir dir;
    const std::string path = (dir.path() / "t.txt").string();
    TableFile table;
    ASSERT_TRUE(table.create(path));
    table.writeRow("a,b,\n");
    table.writeRow("1,2,\n");
    table.close();
    const std::string end(kTableLineEnd);
    EXPECT_EQ("a,b," + end + "1,2," + end, readFile(path));

    LineReader reader;
    ASSERT_TRUE(reader.open(path));
    EXPECT_EQ((std::vector<std::string>{"a,b,", "1,2,"}), testing::linesFrom(reader));
}

TEST(DirectorySearchEntries, LetterCaseDoesNotMatterAndClosingTwiceIsHarmless) {
    TempDir root;
    std::filesystem::create_directories(root.path() / "c" / "w" / "sub");
    writeFile(root.path() / "c" / "w" / "plain.txt", "x");
    const PathMapper paths(root.str());
    DirectorySearch search(paths);
    ASSERT_TRUE(search.start("C:\\W\\*.TXT")) << "letter case does not matter";
    EXPECT_EQ("plain.txt", search.entry().name);
    EXPECT_FALSE(search.next());
    search.close();
    search.close();  // closing twice is harmless
    EXPECT_FALSE(search.isOpen());
}

}  // namespace
}  // namespace field
