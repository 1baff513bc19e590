// Whole runs with the quality table: one quality row per table row with the
// same keys, the problems on the error stream, and the tables left as they were.
#include <gtest/gtest.h>

#include <sstream>

#include "casetable/casetable_run.hpp"
#include "field_tree.hpp"
#include "fieldjoin/fieldjoin_run.hpp"
#include "quality/quality_table.hpp"
#include "run/program_main.hpp"

namespace field {
namespace {

using namespace field::testing;

struct ProgramCase {
    const char* name;
    RunFunction run;
    const char* table;
    std::size_t keys;      // leading columns the two tables share
    const char* coverage;  // of the window with a hole in the first test
};

const ProgramCase kPrograms[] = {
    {"fieldjoin", runFieldjoin, "2014 TN Pollen Whole Data_hill.txt", 3, "coverage 66.7 %"},
    // the hole falls into the second sub-window
    {"casetable", runCasetable, "2014 TN Pollen Test Cases_hill.txt", 4, "coverage 33.3 %"},
};

struct RunOutput {
    int status = 0;
    std::string console, diagnostics, table, quality;
};

RunOutput runOne(const ProgramCase& program, const TempDir& root, const TempDir& work, bool quality = true) {
    std::istringstream in;
    std::ostringstream console, diagnostics;
    RunOptions options;
    options.answers = Answers{1, 1};  // hill, pollen
    options.outputDirectory = work.str();
    options.qualityTable = quality;
    RunOutput r;
    r.status = program.run(RunStreams{in, console, diagnostics}, PathMapper(root.str()), options);
    r.console = console.str();
    r.diagnostics = diagnostics.str();
    r.table = readTable(work.path() / program.table);
    r.quality = readTable(work.path() / qualityTableName(program.table));
    return r;
}

// Logger lines without the four header lines.
std::string bodyOf(const std::string& loggerFile) {
    std::size_t at = 0;
    for (int i = 0; i < 4; ++i) at = loggerFile.find('\n', at) + 1;
    return loggerFile.substr(at);
}

// The column `name` of a table's data rows.
std::vector<std::string> column(const std::string& table, const std::string& name) {
    const auto lines = linesOf(table);
    const auto names = fieldsOf(lines.at(0));
    const auto at = static_cast<std::size_t>(std::find(names.begin(), names.end(), name) - names.begin());
    std::vector<std::string> values;
    for (std::size_t i = 2; i < lines.size(); ++i) values.push_back(fieldsOf(lines[i]).at(at));
    return values;
}

TEST(QualityRun, OneQualityRowPerTableRowWithTheSameKeysAndTheProblemsReported) {
    TempDir root;
    // Minutes 640 to 659 are missing: the first case's window lacks a third of its seconds.
    writeLogger(root.path(), false, "2014_08_15", loggerText(15, 590, 640) + bodyOf(loggerText(15, 660, 720)));
    // Case 2 lies before the data already read; case 4 runs past the last logger file.
    writeMeasurements(root.path(), false, false, measurementText(36, {{600, 660}, {500, 530}, {660, 690}, {700, 760}}));
    writeStation(root.path(), "day15.txt", stationText(15));
    for (const ProgramCase& program : kPrograms) {
        SCOPED_TRACE(program.name);
        TempDir work;
        const RunOutput r = runOne(program, root, work);
        EXPECT_EQ(0, r.status);
        const auto rows = linesOf(r.table), qualityRows = linesOf(r.quality);
        ASSERT_EQ(rows.size(), qualityRows.size());
        for (std::size_t i = 2; i < rows.size(); ++i) {
            const auto a = fieldsOf(rows[i]), b = fieldsOf(qualityRows[i]);
            EXPECT_TRUE(std::equal(a.begin(), a.begin() + static_cast<long>(program.keys), b.begin())) << i;
        }
        EXPECT_EQ("DayIndex", fieldsOf(qualityRows[0])[program.keys - 3]);

        const std::string out = r.diagnostics;
        EXPECT_NE(std::string::npos, out.find("case 2 (DayIndex 15, BeginMinute 500, EndMinute 530): window lies "
                                              "before logger data already read"))
            << out;
        EXPECT_NE(std::string::npos, out.find("case 4 (DayIndex 15, BeginMinute 700, EndMinute 760): its window "
                                              "runs past the last logger file: 1200 samples are in no row"))
            << out;
        const std::size_t coverage = out.find(std::string(program.coverage) + " of the window, below 80.0 %");
        EXPECT_NE(std::string::npos, coverage) << out;
        // The quality is assessed while later cases are read, but its lines keep their place.
        EXPECT_LT(coverage, out.find("case 2 (DayIndex 15, BeginMinute 500")) << out;
        EXPECT_NE(std::string::npos, out.find(std::string(program.name) + ": 4 cases read")) << out;
    }
}

TEST(QualityRun, RowHoldingAnotherCasesSamplesIsFlaggedAndBothCasesNamed) {
    TempDir root;
    writeLogger(root.path(), true, "2014_08_15", loggerText(15, 590, 720));
    // Case 2 runs past the only logger file; the walk then reads that file again for
    // case 3, whose window closes with case 2's samples still in the buffer.
    writeMeasurements(root.path(), true, false, measurementText(14, {{600, 660}, {700, 760}, {610, 640}}));
    writeStation(root.path(), "day15.txt", stationText(15));
    const ProgramCase fieldjoin{"fieldjoin", runFieldjoin, "2014 TN Pollen Whole Data_fence.txt", 3, ""};
    TempDir work;
    std::istringstream in;
    std::ostringstream console, diagnostics;
    RunOptions options;
    options.answers = Answers{0, 1};  // fence, pollen
    options.outputDirectory = work.str();
    ASSERT_EQ(0, fieldjoin.run(RunStreams{in, console, diagnostics}, PathMapper(root.str()), options));
    const std::string quality = readTable(work.path() / qualityTableName(fieldjoin.table));
    EXPECT_EQ((std::vector<std::string>{"0", "1200"}), column(quality, "ForeignSamples"));
    EXPECT_EQ((std::vector<std::string>{"3600", "3000"}), column(quality, "Samples"));
    EXPECT_EQ("2", column(quality, "QcFlag").at(1));
    EXPECT_NE(std::string::npos,
              diagnostics.str().find("case 3 (DayIndex 15, BeginMinute 610, EndMinute 640): row holds 1200 samples "
                                     "of case 2 (DayIndex 15, BeginMinute 700, EndMinute 760)"))
        << diagnostics.str();
}

TEST(QualityRun, TablesAndTranscriptAreTheSameWithAndWithoutIt) {
    TempDir root;
    writeLogger(root.path(), false, "2014_08_15", loggerText(15, 590, 720, 1));  // 10 Hz
    writeMeasurements(root.path(), false, false, measurementText(36, {{600, 660}, {500, 530}, {660, 705}}));
    writeStation(root.path(), "day15.txt", stationText(15));
    for (const ProgramCase& program : kPrograms) {
        SCOPED_TRACE(program.name);
        TempDir with, without;
        const RunOutput a = runOne(program, root, with, true);
        const RunOutput b = runOne(program, root, without, false);
        EXPECT_EQ(a.table, b.table);
        EXPECT_EQ(a.console, b.console);
        EXPECT_EQ(a.status, b.status);
        EXPECT_FALSE(std::filesystem::exists(without.path() / qualityTableName(program.table)));
        EXPECT_EQ(linesOf(a.table).size(), linesOf(a.quality).size());
    }
}

}  // namespace
}  // namespace field
