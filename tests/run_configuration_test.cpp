// The two console answers and the configuration they select.
#include <gtest/gtest.h>

#include <sstream>

#include "campaign_2014.hpp"
#include "input/run_configuration.hpp"
#include "run/console_answers.hpp"
#include "text/messages.hpp"

namespace field {
namespace {

struct AnswerCase {
    const char* input;
    bool fence;
    bool seed;
};

TEST(ChooseRunConfiguration, ReadsAnswersLikeAFormattedBooleanRead) {
    // clang-format off
    const AnswerCase cases[] = {
        {"1\n1\n", true, true},
        {"0\n0\n", false, false},
        {"1 0", true, false},        // both answers on one line
        {"  \t\n1\n\n 1", true, true},
        {"2\n1\n", false, false},    // a bad first answer fails the input: the second is not read
        {"-1\n1\n", false, false},
        {"1\n2\n", true, false},
        {"1x\n1\n", true, false},    // the letter stays in the input and fails the second read
        {"", false, false},          // end of input at once
        {"yes\n1\n", false, false},
        {"+1\n01\n", true, true},
        {"1.5\n1\n", true, false},   // ".5" is left and fails the second read
        {"99999999999999999999999 1", false, false},
        {"1", true, false},
    };
    // clang-format on
    for (const AnswerCase& c : cases) {
        SCOPED_TRACE(std::string("input: \"") + c.input + "\"");
        std::istringstream in(c.input);
        std::ostringstream console;
        const RunConfiguration config = chooseRunConfiguration(in, console, builtInCampaign(), Program::Fieldjoin);
        EXPECT_EQ(c.fence ? 0 : 1, config.Field);
        EXPECT_EQ(c.seed ? 0 : 1, config.Material);
        // Both prompts are always written, without line ends.
        EXPECT_EQ(fieldPrompt("fence") + materialPrompt("seed"), console.str());
    }
}

struct TableCase {
    bool fence;
    bool seed;
    Program program;
    const char* measurement;
    const char* output;
    int samplers, deposition, concentration;
};

TEST(MakeRunConfiguration, SelectsPathsNamesAndCounts) {
    // clang-format off
    const TableCase cases[] = {
        {true, true, Program::Fieldjoin,
         "C:\\Vantrel\\2014 TN Seed Data\\Measurement Result\\2014 TN Seed Concentration and Deposition Result_fence.txt",
         "2014 TN Seed Whole Data_fence.txt", 14, 9, 5},
        {true, false, Program::Fieldjoin,
         "C:\\Vantrel\\2014 TN Pollen Data\\Measurement Result\\2014 TN Pollen Concentration and Deposition "
         "Result_fence.txt",
         "2014 TN Pollen Whole Data_fence.txt", 14, 9, 5},
        {false, true, Program::Fieldjoin,
         "C:\\Vantrel\\2014 TN Seed Data\\Measurement Result\\2014 TN Seed Concentration and Deposition Result_hill.txt",
         "2014 TN Seed Whole Data_hill.txt", 36, 17, 19},
        {false, false, Program::Casetable,
         "C:\\Vantrel\\2014 TN Pollen Data\\Measurement Result\\2014 TN Pollen Concentration and Deposition "
         "Result_hill.txt",
         "2014 TN Pollen Test Cases_hill.txt", 36, 0, 0},
        {true, true, Program::Casetable,
         "C:\\Vantrel\\2014 TN Seed Data\\Measurement Result\\2014 TN Seed Concentration and Deposition Result_fence.txt",
         "2014 TN Seed Test Cases_fence.txt", 14, 0, 0},
    };
    // clang-format on
    for (const TableCase& c : cases) {
        SCOPED_TRACE(c.output);
        const RunConfiguration config = configFor(c.fence, c.seed, c.program);
        EXPECT_EQ(c.measurement, config.MeasurementResultPath);
        EXPECT_EQ(c.output, config.OutputFileName);
        EXPECT_EQ(c.samplers, config.SamplerCount);
        EXPECT_EQ(c.deposition, config.DepositionCount);
        EXPECT_EQ(c.concentration, config.ConcentrationCount);
        // The wind data of both materials lie under the seed-data folder.
        EXPECT_EQ(c.fence
                      ? "C:\\Vantrel\\2014 TN Seed Data\\Raw Data\\FenceFieldExperiment\\2014 Fence field wind Data\\"
                      : "C:\\Vantrel\\2014 TN Seed Data\\Raw Data\\HillExperiment\\2014 Hill field wind Data\\",
                  config.WindDirectory);
    }
}

}  // namespace
}  // namespace field
