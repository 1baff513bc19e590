#include "input/wind_walk.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "console_lines.hpp"
#include "logger_test_support.hpp"

namespace field {
namespace {

using testing::failToOpen;
using testing::lineCount;
using testing::noFileFound;
using testing::LoggerText;
using testing::ReaderRig;
using testing::Sample;
using testing::windowCase;

const std::string kWindDirectory = "C:\\W\\";

Sample withU(float u) { return Sample{u, 2.0f, 3.0f, 20.0f}; }

// A walk and its reader over a temporary drive root, wind data in C:\W.
struct WalkRig {
    explicit WalkRig(const ProgramVariant& variant = kFieldjoinVariant, bool fenceField = true,
                     Diagnostics* diagnostics = nullptr)
        : rig(variant, diagnostics),
          walk(rig.paths, rig.console, fieldLayout(fenceField).loggerFilePattern, rig.diagnostics) {}

    std::filesystem::path local(const std::string& relative) const {
        return testing::underRoot(rig.root.path(), kWindDirectory + relative);
    }
    void logger(const std::string& relative, const LoggerText& data) { rig.put(kWindDirectory + relative, data); }
    void subdirectory(const std::string& name) const { std::filesystem::create_directories(local(name)); }
    void plainFile(const std::string& relative) const { testing::writeFile(local(relative), "not a logger file\n"); }
    void walkCase(const MeasurementCase& c) {
        walk.beginCase(c);
        while (walk.nextWindow(kWindDirectory, rig.reader)) rig.sink.closeWindow(rig.reader.closedWindow());
    }

    ReaderRig rig;
    WindDataWalk walk;
};

TEST(WindDataWalk, CasesContinueThroughTwoSubdirectoriesInOrder) {
    WalkRig w;
    w.logger("A\\a_data.DAT", LoggerText().minutes(15, 600, 700));
    w.logger("B\\b_data.DAT", LoggerText().minutes(15, 701, 800));

    w.walkCase(windowCase(15, 600, 630));
    EXPECT_EQ("", w.rig.takeConsole());
    ASSERT_EQ(1u, w.rig.sink.closed.size());
    EXPECT_EQ(30, w.rig.sink.closed[0].count);

    // Continues in A after the line that ended case 1, runs out of A, ends in B.
    w.walkCase(windowCase(15, 630, 720));
    EXPECT_EQ(lineCount(101), w.rig.takeConsole());
    ASSERT_EQ(2u, w.rig.sink.closed.size());
    EXPECT_EQ(89, w.rig.sink.closed[1].count);
    EXPECT_EQ(719, w.rig.sink.closed[1].lastWindowMinute);

    // B stays open: with its file gone from the directory, any new lookup would fail loudly.
    // Windows refuses to remove a file that is open, which shows the same.
    std::error_code removeError;
    std::filesystem::remove(w.local("B\\b_data.DAT"), removeError);
    EXPECT_EQ(kWindowsHost, static_cast<bool>(removeError)) << removeError.message();
    w.walkCase(windowCase(15, 730, 740));
    EXPECT_EQ("", w.rig.takeConsole());
    ASSERT_EQ(3u, w.rig.sink.closed.size());
    EXPECT_EQ(10, w.rig.sink.closed[2].count);
}

TEST(WindDataWalk, DotEntriesAndPlainFilesBeforeTheFirstSubdirectoryPassSilently) {
    WalkRig w;
    w.plainFile("0readme.txt");
    w.plainFile("1_data.DAT");  // matches the logger pattern, but is no subdirectory
    w.plainFile("A.txt");
    w.logger("B\\b_data.DAT", LoggerText().minutes(15, 600, 620));

    w.walkCase(windowCase(15, 600, 610));
    EXPECT_EQ("", w.rig.takeConsole());
    ASSERT_EQ(1u, w.rig.sink.closed.size());
    EXPECT_EQ(10, w.rig.sink.closed[0].count);
}

struct LoggerChoiceCase {
    const char* what;
    bool fenceField;
    std::vector<std::pair<std::string, float>> files;  // name in subdirectory A, u of its lines
    float u;                                           // u of the file read; 0: none read
};

TEST(WindDataWalk, ReadsOnlyTheFirstMatchingLoggerFileOfTheField) {
    const LoggerChoiceCase cases[] = {
        {"two fence files: the first by name", true, {{"b_data.DAT", 2}, {"a_data.DAT", 1}}, 1},
        {"first by name ignoring case", true, {{"B2_data.DAT", 2}, {"a1_data.DAT", 1}}, 1},
        {"fence field takes *_data.DAT", true, {{"x_SONIC.DAT", 5}, {"y_data.DAT", 1}}, 1},
        {"hill field takes *_SONIC.DAT", false, {{"x_SONIC.DAT", 5}, {"y_data.DAT", 1}}, 5},
        {"letter case of the name does not matter", true, {{"z_DATA.dat", 3}}, 3},
        {"an empty run before the suffix", true, {{"_data.DAT", 4}}, 4},
        {"a longer suffix does not match", true, {{"x_data.DAT.bak", 6}, {"x_data.DATA", 7}}, 0},
    };
    for (const LoggerChoiceCase& lc : cases) {
        SCOPED_TRACE(lc.what);
        WalkRig w(kFieldjoinVariant, lc.fenceField);
        for (const auto& [name, u] : lc.files) w.logger("A\\" + name, LoggerText().minutes(15, 600, 620, 1, withU(u)));

        w.walkCase(windowCase(15, 600, 610));
        if (lc.u == 0) {
            EXPECT_EQ(noFileFound() + failToOpen(), w.rig.takeConsole());
            EXPECT_TRUE(w.rig.sink.closed.empty());
        } else {
            EXPECT_EQ("", w.rig.takeConsole());
            ASSERT_EQ(1u, w.rig.sink.closed.size());
            EXPECT_EQ(10 * lc.u, w.rig.sink.closed[0].sumU);
        }
    }
}

TEST(WindDataWalk, SecondLoggerFileOfASubdirectoryIsNeverReadAfterTheFirstEnds) {
    WalkRig w;
    w.logger("A\\a1_data.DAT", LoggerText().minutes(15, 600, 610, 1, withU(1)));
    w.logger("A\\a2_data.DAT", LoggerText().minutes(15, 611, 700, 1, withU(100)));
    w.logger("B\\b_data.DAT", LoggerText().minutes(15, 611, 700, 1, withU(2)));

    w.walkCase(windowCase(15, 600, 660));
    EXPECT_EQ(lineCount(11), w.rig.takeConsole());
    ASSERT_EQ(1u, w.rig.sink.closed.size());
    EXPECT_EQ(60, w.rig.sink.closed[0].count);
    EXPECT_EQ(11 * 1.0f + 49 * 2.0f, w.rig.sink.closed[0].sumU);
}

TEST(WindDataWalk, FirstMatchThatCannotBeOpenedSendsTheWalkToTheNextEntry) {
    WalkRig w;
    w.subdirectory("A\\0_data.DAT");  // a directory is found by the pattern but cannot be read
    w.logger("A\\a_data.DAT", LoggerText().minutes(15, 600, 620, 1, withU(100)));
    w.logger("B\\b_data.DAT", LoggerText().minutes(15, 600, 620, 1, withU(2)));

    w.walkCase(windowCase(15, 600, 610));
    EXPECT_EQ(failToOpen(), w.rig.takeConsole());
    ASSERT_EQ(1u, w.rig.sink.closed.size());
    EXPECT_EQ(20.0f, w.rig.sink.closed[0].sumU) << "the second file of A is never looked at";
}

TEST(WindDataWalk, EntryWithoutLoggerFileMetWhileACaseContinuesIsReportedAndPassed) {
    WalkRig w;
    w.logger("A\\a_data.DAT", LoggerText().minutes(15, 600, 610));
    w.plainFile("B\\notes.txt");  // a subdirectory without a logger file
    w.plainFile("B2.txt");        // a plain file is tried like a subdirectory here
    w.logger("C\\c_data.DAT", LoggerText().minutes(15, 611, 700));

    w.walkCase(windowCase(15, 600, 660));
    EXPECT_EQ(lineCount(11) + noFileFound() + failToOpen() + noFileFound() + failToOpen(), w.rig.takeConsole());
    ASSERT_EQ(1u, w.rig.sink.closed.size());
    EXPECT_EQ(60, w.rig.sink.closed[0].count);
}

TEST(WindDataWalk, LastLoggerFileIsReadAgainFromItsFirstLineAfterTheWalkRanOut) {
    WalkRig w;
    w.logger("A\\a_data.DAT", LoggerText().minutes(15, 600, 700));

    w.walkCase(windowCase(15, 600, 610));
    EXPECT_EQ("", w.rig.takeConsole());

    // Windows after the file's data: read to its end, no row.
    w.walkCase(windowCase(16, 600, 610));
    EXPECT_EQ(lineCount(101), w.rig.takeConsole());
    w.walkCase(windowCase(17, 600, 610));
    EXPECT_EQ(lineCount(101), w.rig.takeConsole());
    EXPECT_EQ(1u, w.rig.sink.closed.size());

    // The re-read starts at the first data line: a window long passed is found again.
    w.walkCase(windowCase(15, 620, 625));
    EXPECT_EQ("", w.rig.takeConsole());
    ASSERT_EQ(2u, w.rig.sink.closed.size());
    EXPECT_EQ(5, w.rig.sink.closed[1].count);
}

TEST(WindDataWalk, PlainFileAsLastEntryLeavesLaterCasesWithoutALoggerFile) {
    std::ostringstream lines;
    RunDiagnostics diagnostics(lines, "fieldjoin");
    WalkRig w(kFieldjoinVariant, true, &diagnostics);
    w.logger("A\\a_data.DAT", LoggerText().minutes(15, 600, 700));
    w.plainFile("zz.txt");

    w.walkCase(windowCase(16, 600, 610));
    EXPECT_EQ(lineCount(101) + noFileFound() + failToOpen(), w.rig.takeConsole());
    // The last entry is no subdirectory: the path of the failed lookup (empty) is tried.
    w.walkCase(windowCase(17, 600, 610));
    EXPECT_EQ(failToOpen(), w.rig.takeConsole());
    EXPECT_TRUE(w.rig.sink.closed.empty());
    // Not found is said once, with the pattern; no file without a path "cannot be opened".
    EXPECT_NE(std::string::npos, lines.str().find("no logger file found: ")) << lines.str();
    EXPECT_EQ(std::string::npos, lines.str().find("cannot be opened:  (")) << lines.str();
}

TEST(WindDataWalk, MissingWindDirectoryReportsEveryCaseAndIsTriedAgain) {
    WalkRig w;
    w.walkCase(windowCase(15, 600, 610));
    EXPECT_EQ(noFileFound(), w.rig.takeConsole());
    w.walkCase(windowCase(15, 600, 610));
    EXPECT_EQ(noFileFound(), w.rig.takeConsole());
    EXPECT_TRUE(w.rig.sink.closed.empty());

    // The search stayed closed, so a directory that appears later is found.
    w.logger("A\\a_data.DAT", LoggerText().minutes(15, 600, 620));
    w.walkCase(windowCase(15, 600, 610));
    EXPECT_EQ("", w.rig.takeConsole());
    ASSERT_EQ(1u, w.rig.sink.closed.size());
    EXPECT_EQ(10, w.rig.sink.closed[0].count);
}

TEST(WindDataWalk, WindDirectoryWithoutSubdirectoriesFailsToOpenOnEveryCase) {
    WalkRig w;
    w.plainFile("readme.txt");
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE("case " + std::to_string(i + 1));
        w.walkCase(windowCase(15, 600, 610));
        EXPECT_EQ(failToOpen(), w.rig.takeConsole());
    }
}

TEST(WindDataWalk, LoggerPatternOfMoreThan259CharactersFindsNothing) {
    if (kWindowsHost) GTEST_SKIP() << "below a temporary root the local path passes Windows' 260-character limit";
    // "C:\W\" + name + "\*_data.DAT": a 243-character name gives a pattern of exactly 259.
    for (const std::size_t length : {std::size_t{243}, std::size_t{244}}) {
        SCOPED_TRACE("subdirectory name of " + std::to_string(length) + " characters");
        WalkRig w;
        const std::string name(length, 'x');
        w.logger(name + "\\a_data.DAT", LoggerText().minutes(15, 600, 620));
        w.walkCase(windowCase(15, 600, 610));
        if (length == 243) {
            EXPECT_EQ("", w.rig.takeConsole());
            EXPECT_EQ(1u, w.rig.sink.closed.size());
        } else {
            EXPECT_EQ(noFileFound() + failToOpen(), w.rig.takeConsole());
            EXPECT_TRUE(w.rig.sink.closed.empty());
        }
    }
}

TEST(WindDataWalk, RaisedSubWindowBeginCarriesOverFilesButNotIntoTheCallersCase) {
    WalkRig w(kCasetableVariant, true);
    w.logger("A\\a_data.DAT", LoggerText().minutes(15, 600, 640));
    w.logger("B\\b_data.DAT", LoggerText().minutes(15, 641, 700));

    const MeasurementCase record = windowCase(15, 600, 690);
    w.walkCase(record);
    EXPECT_EQ(600, record.BeginMinute);
    ASSERT_EQ(3u, w.rig.sink.closed.size());
    EXPECT_EQ(600, w.rig.sink.closed[0].windowCase.BeginMinute);
    EXPECT_EQ(630, w.rig.sink.closed[1].windowCase.BeginMinute);
    EXPECT_EQ(30, w.rig.sink.closed[1].count);
    EXPECT_EQ(660, w.rig.sink.closed[2].windowCase.BeginMinute);
}

TEST(WindDataWalk, CloseRestartsTheSearchAtTheFirstEntry) {
    WalkRig w;
    w.logger("A\\a_data.DAT", LoggerText().minutes(15, 600, 610));
    w.walkCase(windowCase(16, 600, 610));
    EXPECT_EQ(lineCount(11), w.rig.takeConsole());
    w.walk.close();
    w.logger("0\\first_data.DAT", LoggerText().minutes(15, 600, 620, 1, withU(5)));
    w.walkCase(windowCase(15, 600, 610));
    EXPECT_EQ("", w.rig.takeConsole());
    ASSERT_EQ(1u, w.rig.sink.closed.size());
    EXPECT_EQ(50.0f, w.rig.sink.closed[0].sumU);
}

}  // namespace
}  // namespace field
