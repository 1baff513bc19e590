// Measurement-result blocks in both record forms, including awkward blocks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "campaign_2014.hpp"
#include "input/measurement_file.hpp"
#include "test_support.hpp"

namespace field {
namespace {

using testing::TempDir;
using testing::writeFile;

// A block of `samplers` lines: the case line, then line n carries 100 + n in
// field 8 and 200 + n in field 9, so every reading tells its line.
std::string block(int samplers, const std::string& caseLine = "3,600,660,8/14/2014,1000,1100,x,0.25") {
    std::string text = caseLine + "\n";
    for (int n = 2; n <= samplers; ++n)
        text += "s,s,s,s,s,s,s," + std::to_string(100 + n) + "," + std::to_string(200 + n) + "\n";
    return text;
}

struct Reader {
    TempDir dir;
    LineReader file;
    explicit Reader(const std::string& content) {
        writeFile(dir.path() / "m.txt", content);
        file.open((dir.path() / "m.txt").string());
    }
};

std::vector<MeasurementCase> readAll(const std::string& content, bool fence, const ProgramVariant& variant) {
    Reader r(content);
    const RunConfiguration config = configFor(fence, true, variant.program);
    skipMeasurementHeader(r.file);
    std::vector<MeasurementCase> cases;
    MeasurementCase record;
    while (readMeasurementCase(r.file, config, variant, record)) cases.push_back(record);
    return cases;
}

TEST(MeasurementFile, FenceFieldjoinKeepsEveryReadingInItsPlace) {
    const auto cases = readAll("h1\nh2\n" + block(14), true, kFieldjoinVariant);
    ASSERT_EQ(1u, cases.size());
    const MeasurementCase& c = cases[0];
    EXPECT_EQ(3, c.DayIndex);
    EXPECT_EQ(600, c.BeginMinute);
    EXPECT_EQ(660, c.EndMinute);
    EXPECT_EQ("8/14/2014", c.Date);
    EXPECT_EQ("1000", c.BeginTime);
    EXPECT_EQ("1100", c.EndTime);
    EXPECT_FLOAT_EQ(0.25f, c.Deposition[0]);
    for (int i = 1; i < 9; ++i)
        EXPECT_EQ(100.0f + static_cast<float>(i + 1), c.Deposition[static_cast<std::size_t>(i)]) << i;
    EXPECT_EQ(109.0f, c.SourceDeposition);  // FD9, block line 9, also the ninth deposition
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(210.0f + static_cast<float>(i), c.Concentration[static_cast<std::size_t>(i)]) << i;
        EXPECT_EQ(210.0f + static_cast<float>(i), c.SourceProfile[static_cast<std::size_t>(i)]) << i;
    }
}

TEST(MeasurementFile, HillFieldjoinTakesTheProfileFromTheSourceMast) {
    const auto cases =
        readAll("h1\nh2\n" + block(36) + block(36, "4,700,760,8/15/2014,1140,1240,x,7"), false, kFieldjoinVariant);
    ASSERT_EQ(2u, cases.size());
    const MeasurementCase& c = cases[1];
    EXPECT_EQ(4, c.DayIndex);
    EXPECT_EQ(7.0f, c.Deposition[0]);
    EXPECT_EQ(117.0f, c.Deposition[16]);
    EXPECT_EQ(117.0f, c.SourceDeposition);  // HD17
    EXPECT_EQ(218.0f, c.Concentration[0]);  // HR9, block line 18
    EXPECT_EQ(236.0f, c.Concentration[18]);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(224.0f + static_cast<float>(i), c.SourceProfile[static_cast<std::size_t>(i)]);
}

TEST(MeasurementFile, CasetableKeepsOnlyWhatItsStatisticsUse) {
    for (const bool fence : {true, false}) {
        SCOPED_TRACE(fence ? "fence" : "hill");
        const auto cases = readAll("h1\nh2\n" + block(fence ? 14 : 36), fence, kCasetableVariant);
        ASSERT_EQ(1u, cases.size());
        const MeasurementCase& c = cases[0];
        EXPECT_EQ("8/14/2014", c.Date);
        EXPECT_EQ("", c.BeginTime);  // not read by this program
        EXPECT_EQ(0.25f, c.Deposition[0]);
        for (int i = 1; i < 8; ++i)
            EXPECT_EQ(100.0f + static_cast<float>(i + 1), c.Deposition[static_cast<std::size_t>(i)]);
        EXPECT_EQ(0.0f, c.Deposition[8]);
        EXPECT_EQ(fence ? 109.0f : 117.0f, c.SourceDeposition);
        const float mastTop = fence ? 210.0f : 224.0f;
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(mastTop + static_cast<float>(i), c.SourceProfile[static_cast<std::size_t>(i)]);
        EXPECT_EQ(0.0f, c.Concentration[0]);
    }
}

TEST(MeasurementFile, MissingFieldEightShiftsAppendedReadingsButNotFixedOnes) {
    const std::string content = "h1\nh2\n" + block(14, "3,600,660,8/14/2014,1000,1100,x");
    const auto appended = readAll(content, true, kFieldjoinVariant);
    ASSERT_EQ(1u, appended.size());
    EXPECT_EQ(102.0f, appended[0].Deposition[0]);  // the first sampler line's reading moves up
    EXPECT_EQ(0.0f, appended[0].Deposition[8]);
    const auto fixed = readAll(content, true, kCasetableVariant);
    ASSERT_EQ(1u, fixed.size());
    EXPECT_EQ(0.0f, fixed[0].Deposition[0]);
    EXPECT_EQ(102.0f, fixed[0].Deposition[1]);
}

TEST(MeasurementFile, AwkwardBlocks) {
    // Readings that are words or empty read as 0; a block cut short keeps the
    // previous case's values for what it does not supply and is still delivered.
    std::string second = "5,100,130,9/1/2014,0140,0210,x,n/a\ns,s,s,s,s,s,s,none\ns,s,s,s,s,s,s,,\n";
    const auto cases = readAll("h1\nh2\n" + block(14) + second, true, kFieldjoinVariant);
    ASSERT_EQ(2u, cases.size());
    const MeasurementCase& c = cases[1];
    EXPECT_EQ(5, c.DayIndex);
    EXPECT_EQ(0.0f, c.Deposition[0]);
    EXPECT_EQ(0.0f, c.Deposition[1]);
    EXPECT_EQ(0.0f, c.Deposition[2]);
    EXPECT_EQ(105.0f, c.Deposition[4]);  // not supplied: the previous case's value stays
    EXPECT_EQ(109.0f, c.SourceDeposition);

    EXPECT_TRUE(readAll("", true, kFieldjoinVariant).empty());
    EXPECT_TRUE(readAll("h1\n", true, kFieldjoinVariant).empty());
    EXPECT_TRUE(readAll("h1\nh2\n", true, kFieldjoinVariant).empty());
    // Last line without a line feed: the missing lines read as empty lines.
    const auto truncated = readAll("h1\nh2\n1,2,3,d,e,f,g,4.5", false, kFieldjoinVariant);
    ASSERT_EQ(1u, truncated.size());
    EXPECT_EQ(4.5f, truncated[0].Deposition[0]);
    EXPECT_EQ(0.0f, truncated[0].Deposition[1]);
}

TEST(MeasurementFile, TextFieldsKeepEveryCharacter) {
    const auto cases =
        readAll("h1\nh2\n" + block(14, "3,600,660, 8/14/2014 ,\"10 00\",x\r,x,0.25\r"), true, kFieldjoinVariant);
    ASSERT_EQ(1u, cases.size());
    EXPECT_EQ(" 8/14/2014 ", cases[0].Date);
    EXPECT_EQ("\"10 00\"", cases[0].BeginTime);
    EXPECT_EQ("x\r", cases[0].EndTime);
    EXPECT_EQ(0.25f, cases[0].Deposition[0]);  // the carriage return before the line feed is not part of the line
}

// A block whose sampler column names the field's samplers, from `first` on; `lines` lines long.
std::string namedBlock(const FieldLayout& f, int lines, int first = 0) {
    std::string text;
    for (int i = 0; i < lines; ++i) {
        const int sampler = (first + i) % f.samplerCount();
        text += (i == 0 ? "3,600,660,8/14/2014,1000,1100," : "s,s,s,s,s,s,") + f.sampler(sampler).id + ",1,2\n";
    }
    return text;
}

TEST(MeasurementFile, BlocksThatDoNotFitTheFieldAreTold) {
    const FieldLayout& fence = fieldLayout(true);
    const std::string extraLine = "s,s,s,s,s,s,FD1,1,2\n";
    struct Case {
        const char* what;
        std::string content;
        std::vector<std::string> problems;  // the start of each case's problem; empty: it fits
    };
    const Case cases[] = {
        {"blocks that fit", namedBlock(fence, 14) + namedBlock(fence, 14), {"", ""}},
        {"no sampler names: read as ever", block(14) + block(14), {"", ""}},
        {"a line too many shifts every block behind it",
         namedBlock(fence, 1) + extraLine + namedBlock(fence, 13, 1) + namedBlock(fence, 14),
         {"block line 2 names sampler FD1 where the field's sampler FD2 stands: the blocks of the "
          "measurement-result file do not fit the field's 14 samplers",
          "block line 1 names sampler FRE where the field's sampler FD1 stands",
          "block line 1 names sampler FRE where"}},
        {"the file ends inside a block",
         namedBlock(fence, 14) + namedBlock(fence, 9),
         {"", "the measurement-result file ends inside the case's block, after 9 of the field's 14 lines"}},
        // Names of no sampler of the field may be another naming of the same samplers: left alone.
        {"names the field does not know", namedBlock(fieldLayout(false), 14), {""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Reader r("h1\nh2\n" + c.content);
        const RunConfiguration config = configFor(true, true, Program::Fieldjoin);
        skipMeasurementHeader(r.file);
        MeasurementCase record;
        BlockFit fit;
        std::vector<std::string> problems;
        while (readMeasurementCase(r.file, config, kFieldjoinVariant, record, fit))
            problems.push_back(blockFitProblem(fit, fence));
        ASSERT_EQ(c.problems.size(), problems.size());
        for (std::size_t i = 0; i < problems.size(); ++i) {
            if (c.problems[i].empty())
                EXPECT_EQ("", problems[i]) << "case " << i + 1;
            else
                EXPECT_EQ(c.problems[i], problems[i].substr(0, c.problems[i].size())) << "case " << i + 1;
        }
    }
}

}  // namespace
}  // namespace field
