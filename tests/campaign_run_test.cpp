// Whole runs under campaign files: the printed built-in campaign, the same season a year
// later, and a campaign of three fields from June to October, each generated and run.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>

#include "campaign_2014.hpp"
#include "casetable/casetable_run.hpp"
#include "fieldjoin/fieldjoin_run.hpp"
#include "run/program_main.hpp"
#include "table_columns.hpp"
#include "test_support.hpp"

namespace field {
namespace {

using namespace field::testing;
namespace fs = std::filesystem;

struct MainOutput {
    int status = 0;
    std::string out, err;
};

MainOutput runMain(Program program, std::vector<std::string> args) {
    args.insert(args.begin(), programName(program));
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::istringstream in;
    std::ostringstream out, err;
    const RunFunction run = program == Program::Fieldjoin ? RunFunction{runFieldjoin} : RunFunction{runCasetable};
    MainOutput r;
    r.status = programMain(program, run, static_cast<int>(argv.size()), argv.data(), in, out, err,
                           PathMapper("/nonexistent-mount-root"));
    r.out = out.str();
    r.err = err.str();
    return r;
}

// Three fields from June to October: moved samplers, another mast, another year.
std::string threeFieldCampaign() {
    std::string text = campaign2014().sourceText;
    const auto replace = [&text](const std::string& from, const std::string& to) {
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    };
    replace("year = 2014", "year = 2016");
    replace("day_index = \"august-september\"", "first_day = 2016-06-01");
    replace("name = \"fence\"", "name = \"north\"");
    replace("name = \"hill\"", "name = \"south\"");
    // The north field's samplers twice as far out, its mast of four levels.
    replace("{ id = \"FD1\", kind = \"deposition\", x = -6.0", "{ id = \"FD1\", kind = \"deposition\", x = -12.0");
    replace("{ id = \"FD4\", kind = \"deposition\", x = 6.0", "{ id = \"FD4\", kind = \"deposition\", x = 12.0");
    replace("  { sampler = \"FRA\", height = 5.0, layer = 1.85 },\n", "");
    replace("{ sampler = \"FRB\", height = 3.15, layer = 1.3875 }", "{ sampler = \"FRB\", height = 4.0, layer = 2.5 }");
    // A third field: the south field's layout under another name and pattern.
    const std::size_t south = text.find("[[fields]]\nname = \"south\"");
    const std::size_t rules = text.find("\n# The quality table's rules");
    std::string east = text.substr(south, rules == std::string::npos ? std::string::npos : rules - south);
    for (const auto& [from, to] : std::vector<std::pair<std::string, std::string>>{
             {"name = \"south\"", "name = \"east\""},
             {"HillExperiment\\{year} Hill field wind Data", "EastExperiment\\{year} East field wind Data"},
             {"*_SONIC.DAT", "*_east.DAT"}})
        east.replace(east.find(from), from.size(), to);
    return text + "\n" + east;
}

#ifdef FIELD_GENERATOR_PATH
// Every file of a folder by name.
std::map<std::string, std::string> filesOf(const fs::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files[entry.path().filename().string()] = readFile(entry.path());
    return files;
}

// A generated tree: one day at 2 Hz, three cases per file.
void generate(const fs::path& root, const std::string& extra = "") {
    const std::string command = std::string("\"") + FIELD_GENERATOR_PATH + "\" --root \"" + root.string() +
                                "\" --days 1 --rate 2 --seed 23 " + extra + " > /dev/null";
    ASSERT_EQ(0, std::system(command.c_str())) << command;
}

// Both programs' --all into `out`; the exit statuses.
std::vector<int> runBoth(const fs::path& root, const fs::path& out, const std::vector<std::string>& extra = {}) {
    std::vector<int> statuses;
    for (const Program program : {Program::Fieldjoin, Program::Casetable}) {
        std::vector<std::string> args = {"--all", "--data-root", (root / "c" / "Vantrel").string(), "--output-dir",
                                         out.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        const MainOutput r = runMain(program, args);
        statuses.push_back(r.status);
        EXPECT_EQ(0, r.status) << r.err;
    }
    return statuses;
}

// The 2014 tree and its tables, made once for the tests below.
class CampaignRun : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        shared_ = new Shared;
        generate(shared_->root.path());
        runBoth(shared_->root.path(), shared_->tables.path());
    }
    static void TearDownTestSuite() {
        delete shared_;
        shared_ = nullptr;
    }
    struct Shared {
        TempDir root, tables;
    };
    static Shared* shared_;
};
CampaignRun::Shared* CampaignRun::shared_ = nullptr;

TEST_F(CampaignRun, PrintedBuiltInCampaignGivesByteIdenticalTables) {
    const MainOutput printed = runMain(Program::Fieldjoin, {"--print-campaign"});
    ASSERT_EQ(0, printed.status);
    EXPECT_EQ(campaign2014().sourceText, printed.out);
    TempDir work, out;
    writeFile(work.path() / "campaign.toml", printed.out);
    runBoth(shared_->root.path(), out.path(), {"--campaign", (work.path() / "campaign.toml").string()});
    const auto expected = filesOf(shared_->tables.path());
    EXPECT_EQ(20u, expected.size());  // 2 programs x 4 runs x table and quality table, fieldjoin's sampler tables
    EXPECT_EQ(expected, filesOf(out.path()));
}

TEST_F(CampaignRun, NextSeasonGivesTheSameTablesButForTheYear) {
    TempDir work, root, out;
    const fs::path campaign = work.path() / "2015.toml";
    writeFile(campaign, builtInWith("year = 2014", "year = 2015"));
    generate(root.path(), "--campaign \"" + campaign.string() + "\"");
    runBoth(root.path(), out.path(), {"--campaign", campaign.string()});
    const auto expected = filesOf(shared_->tables.path());
    const auto got = filesOf(out.path());
    ASSERT_EQ(expected.size(), got.size());
    for (const auto& [name, text] : expected) {
        std::string nextName = name;
        nextName.replace(0, 4, "2015");
        ASSERT_TRUE(got.count(nextName)) << nextName;
        std::string asLastYear = got.at(nextName);
        // The dates of the rows: 8/15/2015 in Date, 2015-08-15T10:00 in the sampler table's times.
        for (const auto& [next, last] : {std::pair{"/2015,", "/2014,"}, std::pair{",2015-", ",2014-"}})
            for (std::size_t at = asLastYear.find(next); at != std::string::npos; at = asLastYear.find(next, at))
                asLastYear.replace(at, 6, last);
        EXPECT_EQ(text, asLastYear) << nextName;
    }
}

TEST_F(CampaignRun, ThreeFieldsFromJuneToOctoberEndToEnd) {
    TempDir work, root, out;
    const fs::path campaign = work.path() / "three.toml";
    writeFile(campaign, threeFieldCampaign());
    // The same calendar day as the 2014 tree: the same weather and wind.
    generate(root.path(), "--campaign \"" + campaign.string() + "\" --first-day 2016-08-15");
    runBoth(root.path(), out.path(), {"--campaign", campaign.string()});
    const auto got = filesOf(out.path());
    EXPECT_EQ(30u, got.size());  // 2 programs x 3 fields x 2 materials x 2, and fieldjoin's 6 sampler tables

    // The north field: its columns from the campaign, its wind as the fence field's in 2014.
    const auto north = linesOf(got.at("2016 TN Seed Whole Data_north.txt"));
    const auto fence = linesOf(readFile(shared_->tables.path() / "2014 TN Seed Whole Data_fence.txt"));
    ASSERT_EQ(fence.size(), north.size());
    const auto names = fieldsOf(north[0]);
    EXPECT_EQ("FD1_x", names[wholeData::FirstSampler]);
    const std::vector<std::string> profile(names.end() - 5, names.end() - 1);  // every field ends with a comma
    EXPECT_EQ((std::vector<std::string>{"UZ_4", "UZ_2.225", "UZ_1.3", "UZ_0.5"}), profile);
    for (std::size_t i = 2; i < north.size(); ++i) {
        const auto n = fieldsOf(north[i]);
        const auto f = fieldsOf(fence[i]);
        EXPECT_EQ("76", n[wholeData::DayIndex]);  // 15 August, counted from 1 June
        EXPECT_EQ("8/15/2016", n[wholeData::Date]);
        EXPECT_EQ("-12", n[wholeData::FirstSampler]);  // FD1_x
        for (std::size_t c = wholeData::UStar; c <= wholeData::TsStd; ++c)
            EXPECT_EQ(f[c], n[c]) << names[c] << " of row " << i;
        EXPECT_EQ(f.size() - 1, n.size()) << "a mast level fewer";
    }
    // The test cases too, with casetable's year check on the campaign's year.
    const auto cases = linesOf(got.at("2016 TN Pollen Test Cases_north.txt"));
    const auto fenceCases = linesOf(readFile(shared_->tables.path() / "2014 TN Pollen Test Cases_fence.txt"));
    ASSERT_EQ(fenceCases.size(), cases.size());
    ASSERT_GT(cases.size(), 2u);
    for (std::size_t i = 2; i < cases.size(); ++i) {
        const auto n = fieldsOf(cases[i]);
        const auto f = fieldsOf(fenceCases[i]);
        for (std::size_t c = 9; c < f.size(); ++c) EXPECT_EQ(f[c], n[c]) << "column " << c << " of row " << i;
    }
    // The third field has rows of its own samplers.
    const auto east = linesOf(got.at("2016 TN Seed Whole Data_east.txt"));
    EXPECT_GT(east.size(), 2u);
    EXPECT_EQ("HD1_x", fieldsOf(east[0])[wholeData::FirstSampler]);
}

// The summary for scripts holds what the tables and standard error say, and parses as JSON.
TEST_F(CampaignRun, SummaryJsonTellsWhatEachRunDid) {
    TempDir out;
    const fs::path summary = out.path() / "summary.json";
    const MainOutput r =
        runMain(Program::Fieldjoin, {"--all", "--data-root", (shared_->root.path() / "c" / "Vantrel").string(),
                                     "--output-dir", out.str(), "--summary-json", summary.string()});
    ASSERT_EQ(0, r.status) << r.err;
    const auto j = nlohmann::json::parse(readFile(summary));
    EXPECT_EQ("fieldjoin", j["program"]);
    EXPECT_EQ("built in", j["campaign"]["source"]);
    EXPECT_EQ(0, j["exit_status"]);
    ASSERT_EQ(4u, j["runs"].size());
    std::size_t diagnostics = 0;
    for (const auto& run : j["runs"]) {
        SCOPED_TRACE(run["field"].get<std::string>() + " " + run["material"].get<std::string>());
        ASSERT_EQ(3u, run["outputs"].size());
        for (const auto& output : run["outputs"]) {
            const auto lines = linesOf(readFile(output["path"].get<std::string>()));
            const std::size_t header = output["kind"] == "sampler table" ? 1 : 2;
            EXPECT_EQ(lines.size() - header, output["rows"].get<std::size_t>()) << output["kind"];
        }
        EXPECT_GT(run["inputs"][0]["bytes"].get<std::int64_t>(), 0);
        const auto& flags = run["rows_by_flag"];
        EXPECT_EQ(run["rows_written"].get<int>(),
                  flags["0"].get<int>() + flags["1"].get<int>() + flags["2"].get<int>());
        diagnostics += run["diagnostics"].size();
    }
    // Standard error: a line per diagnostic and a closing summary per run.
    EXPECT_EQ(diagnostics + 4, linesOf(r.err).size()) << r.err;

    const MainOutput unwritable = runMain(
        Program::Casetable, {"--all", "--data-root", (shared_->root.path() / "c" / "Vantrel").string(), "--output-dir",
                             out.str(), "--summary-json", (out.path() / "no" / "s.json").string()});
    EXPECT_EQ(1, unwritable.status);
    EXPECT_NE(std::string::npos, unwritable.err.find("casetable: summary cannot be written: ")) << unwritable.err;
}

// --data-root took only the folder standing for C:\Vantrel; the generator's --root and
// DRIVE_MOUNT_ROOT name the level two above it.
TEST_F(CampaignRun, DataRootAtAnyLevelFindsTheSameInputs) {
    const fs::path root = shared_->root.path();
    const auto expected = readFile(shared_->tables.path() / "2014 TN Seed Whole Data_fence.txt");
    for (const fs::path& level : {root, root / "c", root / "c" / "Vantrel"}) {
        TempDir out;
        const MainOutput r = runMain(Program::Fieldjoin, {"--field", "fence", "--material", "seed", "--data-root",
                                                          level.string(), "--output-dir", out.str()});
        EXPECT_EQ(0, r.status) << level << ": " << r.err;
        EXPECT_EQ(expected, readFile(out.path() / "2014 TN Seed Whole Data_fence.txt")) << level;
    }
    TempDir elsewhere, out;
    const MainOutput none = runMain(Program::Fieldjoin, {"--field", "fence", "--material", "seed", "--data-root",
                                                         elsewhere.str(), "--output-dir", out.str()});
    EXPECT_EQ(1, none.status);
    EXPECT_EQ("fieldjoin: the data root " + elsewhere.str() + " holds none of the campaign's inputs (such as ",
              none.err.substr(0, none.err.find("(such as ") + 9));
    EXPECT_NE(std::string::npos, none.err.find("looked for them in " + elsewhere.str() + ", " + elsewhere.str() +
                                               "/Vantrel and " + elsewhere.str() + "/c/Vantrel\n"))
        << none.err;
}

TEST_F(CampaignRun, CheckCampaignFindsTheInputsAndNamesWhatIsMissing) {
    const std::string dataRoot = (shared_->root.path() / "c" / "Vantrel").string();
    const MainOutput all = runMain(Program::Fieldjoin, {"--check-campaign", "--data-root", dataRoot});
    EXPECT_EQ(0, all.status) << all.out;
    EXPECT_NE(std::string::npos, all.out.find("3 cases of 14 lines")) << all.out;
    EXPECT_NE(std::string::npos, all.out.find("everything is there: 7 inputs")) << all.out;

    TempDir work;
    const fs::path campaign = work.path() / "c.toml";
    writeFile(campaign, builtInWith("*_SONIC.DAT", "*_sonic.bin"));
    const MainOutput missing =
        runMain(Program::Casetable, {"--check-campaign", "--campaign", campaign.string(), "--data-root", dataRoot});
    EXPECT_EQ(1, missing.status);
    EXPECT_NE(std::string::npos, missing.out.find("MISSING  wind-data folder")) << missing.out;
    EXPECT_NE(std::string::npos, missing.out.find("0 with a logger file *_sonic.bin")) << missing.out;
    EXPECT_NE(std::string::npos, missing.out.find("something is missing: 1 of 7 inputs")) << missing.out;
}
#endif

TEST(CampaignOptions, BadCampaignFileIsRefusedWithItsPlaceAndNoTable) {
    TempDir work, out;
    const fs::path campaign = work.path() / "bad.toml";
    writeFile(campaign, builtInWith("roughness_length = 0.13", "roughness_lenght = 0.13"));
    for (const Program program : {Program::Fieldjoin, Program::Casetable}) {
        const MainOutput r = runMain(program, {"--field", "fence", "--material", "seed", "--campaign",
                                               campaign.string(), "--output-dir", out.str()});
        EXPECT_EQ(2, r.status);
        EXPECT_EQ(std::string(programName(program)) + ": " + campaign.string() +
                      ":26:1: wind_profile.roughness_lenght: unknown key (did you mean roughness_length?)\n",
                  r.err);
        EXPECT_TRUE(fs::is_empty(out.path()));
    }
    const MainOutput none = runMain(Program::Fieldjoin, {"--campaign", (work.path() / "none.toml").string()});
    EXPECT_EQ(2, none.status);
    EXPECT_NE(std::string::npos, none.err.find("none.toml: the campaign file cannot be opened")) << none.err;
}

TEST(CampaignOptions, QualityRulesOnTheCommandLineAreChecked) {
    struct Case {
        std::string rule;
        const char* error;
    };
    const Case cases[] = {
        {"coverage_flag1=abc", "fieldjoin: --qc coverage_flag1: 'abc' is not a number\n"},
        {"spike_passes=2.5", "fieldjoin: --qc spike_passes: must be a whole number\n"},
        {"coverage_flag2=90", "fieldjoin: --qc: coverage_flag2 must not lie above coverage_flag1\n"},
        {"coverage", "fieldjoin: --qc: 'coverage' is not NAME=VALUE\n"},
        {"spike_thresold=4", "fieldjoin: --qc spike_thresold: unknown quality rule (known: coverage_flag1, "},
    };
    TempDir out;
    for (const Case& c : cases) {
        const MainOutput r = runMain(Program::Fieldjoin, {"--all", "--qc", c.rule, "--output-dir", out.str()});
        EXPECT_EQ(2, r.status) << c.rule;
        EXPECT_EQ(c.error, r.err.substr(0, std::string(c.error).size())) << c.rule;
    }
    EXPECT_TRUE(fs::is_empty(out.path()));
}

TEST(CampaignOptions, ChoicesComeFromTheCampaign) {
    TempDir work, out;
    const fs::path campaign = work.path() / "three.toml";
    writeFile(campaign, threeFieldCampaign());
    const std::string file = campaign.string();
    // No console dialogue for three fields, and the 2014 names are no choices.
    const MainOutput dialogue = runMain(Program::Fieldjoin, {"--campaign", file, "--output-dir", out.str()});
    EXPECT_EQ(2, dialogue.status);
    EXPECT_NE(std::string::npos, dialogue.err.find("the campaign has 3 fields and 2 materials")) << dialogue.err;
    const MainOutput fence =
        runMain(Program::Fieldjoin, {"--campaign", file, "--field", "fence", "--material", "seed"});
    EXPECT_EQ(2, fence.status);
    EXPECT_NE(std::string::npos, fence.err.find("--field: fence not in {north,south,east}")) << fence.err;
    const MainOutput height = runMain(Program::Fieldjoin, {"--campaign", file, "--all", "--sonic-height-fence", "2"});
    EXPECT_EQ(2, height.status);
    EXPECT_NE(std::string::npos, height.err.find("--sonic-height-fence: the campaign has no field fence"))
        << height.err;
    const MainOutput help = runMain(Program::Fieldjoin, {"--campaign", file, "--help"});
    EXPECT_NE(std::string::npos, help.out.find("north, south or east")) << help.out;
    EXPECT_TRUE(fs::is_empty(out.path()));
}

}  // namespace
}  // namespace field
