// The programs' command line, through the entry point both programs share:
// help and version, bad command lines, headless runs, --all, tables that
// cannot be written, and runs that throw.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "campaign_2014.hpp"
#include "casetable/casetable_run.hpp"
#include "console_lines.hpp"
#include "field_tree.hpp"
#include "field_version.hpp"
#include "fieldjoin/fieldjoin_run.hpp"
#include "quality/quality_table.hpp"
#include "run/command_line.hpp"
#include "run/program_main.hpp"

namespace field {
namespace {

using namespace field::testing;

struct MainOutput {
    int status = 0;
    std::string out, err;
};

MainOutput runMain(Program program, std::vector<std::string> args, const std::string& input = "",
                   const PathMapper& paths = PathMapper("/nonexistent-mount-root"), RunFunction run = nullptr,
                   ThreadStarter starter = startThread) {
    args.insert(args.begin(), program == Program::Fieldjoin ? "fieldjoin" : "casetable");
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::istringstream in(input);
    std::ostringstream out, err;
    MainOutput r;
    if (run == nullptr) run = program == Program::Fieldjoin ? RunFunction{runFieldjoin} : RunFunction{runCasetable};
    r.status = programMain(program, run, static_cast<int>(argv.size()), argv.data(), in, out, err, paths, starter);
    r.out = out.str();
    r.err = err.str();
    return r;
}

bool isEmptyFolder(const std::filesystem::path& p) { return std::filesystem::is_empty(p); }

TEST(CommandLine, BadCommandLinesGiveAReasonTheUsageAndStatusTwo) {
    TempDir work;
    struct Case {
        std::vector<std::string> args;
        const char* reason;
    };
    const Case cases[] = {
        {{"--field"}, "--field"},
        {{"--field", "moon", "--material", "seed"}, "moon"},
        {{"--field", "fence"}, "--material"},
        {{"--material", "seed"}, "--field"},
        {{"--all", "--field", "fence", "--material", "seed"}, "excludes"},
        {{"--progress", "--no-progress"}, "--progress excludes --no-progress"},
        {{"--bogus"}, "unknown option --bogus"},
        // An unknown option is named with the closest known one; prefixes are no options.
        {{"--feild", "fence", "--material", "seed"}, "unknown option --feild; did you mean --field?"},
        {{"--lat", "3"}, "unknown option --lat; did you mean --latitude?"},
        {{"--no-q"}, "did you mean --no-qc?"},
        {{"extra"}, "extra"},
        {{"--latitude", "100"}, "100"},
        {{"--sonic-height-hill", "-2"}, "-2"},
        {{"--data-root", "/nonexistent/data"}, "/nonexistent/data"},
        {{"--output-dir", "/nonexistent/out"}, "/nonexistent/out"},
        // Site facts are plain finite decimals.
        {{"--latitude", "0x10"}, "'0x10' is not a number"},
        {{"--latitude", "nan"}, "'nan' is not a number"},
        {{"--sonic-height-fence", "inf"}, "'inf' is not a number"},
        {{"--sonic-height-hill", "abc"}, "'abc' is not a number"},
        {{"--latitude", "12,5"}, "'12,5' is not a number"},
        // Flags take no value; nothing follows the options.
        {{"--all=0"}, "--all takes no value"},
        {{"--no-qc=false", "--field", "fence", "--material", "seed"}, "--no-qc takes no value"},
        {{"--field", "fence", "--material", "seed", "--"}, "not expected: --"},
    };
    for (const Program program : {Program::Fieldjoin, Program::Casetable}) {
        for (const Case& c : cases) {
            std::vector<std::string> args = c.args;
            if (c.args[0] != "--output-dir") args.insert(args.begin(), {"--output-dir", work.str()});
            const MainOutput r = runMain(program, args, "1\n1\n");
            SCOPED_TRACE(c.args[0] + " " + c.args.back());
            EXPECT_EQ(2, r.status);
            EXPECT_EQ("", r.out) << "no prompt, no message";
            const std::string firstLine = r.err.substr(0, r.err.find('\n'));
            EXPECT_NE(std::string::npos, firstLine.find(c.reason)) << r.err;
            EXPECT_NE(std::string::npos, r.err.find("--data-root")) << "the usage follows";
            EXPECT_TRUE(isEmptyFolder(work.path()));
        }
    }
}

// The help is laid out by hand: each option the parser takes is in it, with its value in plain
// words, and no line runs past 100 columns.
TEST(CommandLine, HelpNamesEveryOptionInPlainWords) {
    for (const Program program : {Program::Fieldjoin, Program::Casetable}) {
        const MainOutput help = runMain(program, {"--help"});
        for (const char* option : {"--field NAME",
                                   "--material NAME",
                                   "--all",
                                   "--campaign FILE",
                                   "--data-root DIR",
                                   "--output-dir DIR",
                                   "--no-qc",
                                   "--no-samplers",
                                   "--summary-json FILE",
                                   "--strict",
                                   "--progress",
                                   "--no-progress",
                                   "--sonic-height-fence M",
                                   "--sonic-height-hill M",
                                   "--latitude DEG",
                                   "--qc NAME=VALUE",
                                   "--print-campaign",
                                   "--check-campaign",
                                   "-h, --help",
                                   "--version"})
            EXPECT_NE(std::string::npos, help.out.find("  " + std::string(option))) << option;
        for (const char* cli11 : {"TEXT:", "Needs:", "Excludes:", "FLOAT"})
            EXPECT_EQ(std::string::npos, help.out.find(cli11)) << cli11;
        std::istringstream lines(help.out);
        for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 100u) << line;
    }
}

TEST(CommandLine, HelpAndVersionWinWhereverTheyStandAndCreateNoFile) {
    TempDir work;
    for (const Program program : {Program::Fieldjoin, Program::Casetable}) {
        const MainOutput help = runMain(program, {"--help", "--output-dir", work.str()});
        EXPECT_EQ(0, help.status);
        for (const char* text :
             {"--field", "--material", "--all", "--data-root", "--output-dir", "--no-qc", "--latitude", "Data layout"})
            EXPECT_NE(std::string::npos, help.out.find(text)) << text;
        const MainOutput version = runMain(program, {"--version"});
        EXPECT_EQ(0, version.status);
        EXPECT_EQ(std::string(programName(program)) + " " + std::string(kFieldVersion) + "\n", version.out);
        EXPECT_TRUE(isEmptyFolder(work.path()));

        // Wherever they stand, whatever else the line holds.
        struct Case {
            std::vector<std::string> args;
            bool help;
        };
        const Case cases[] = {
            {{"--latitude", "abc", "--help"}, true},   {{"--help", "--bogus"}, true}, {{"--all=0", "-h"}, true},
            {{"--field", "moon", "--version"}, false}, {{"--", "--version"}, false},
        };
        for (const Case& c : cases) {
            std::vector<std::string> args = c.args;
            args.insert(args.begin(), {"--output-dir", work.str()});
            SCOPED_TRACE(c.args.front() + " ... " + c.args.back());
            const MainOutput r = runMain(program, args, "1\n1\n");
            EXPECT_EQ(0, r.status);
            if (c.help) {
                // (The order of the names after "Excludes:" follows the library's pointers.)
                EXPECT_EQ(help.out.size(), r.out.size());
                EXPECT_EQ(help.out.substr(0, help.out.find("--field")), r.out.substr(0, r.out.find("--field")));
            } else {
                EXPECT_EQ(version.out, r.out);
            }
            EXPECT_EQ("", r.err);
            EXPECT_TRUE(isEmptyFolder(work.path()));
        }
    }
}

TEST(CommandLine, SiteFactsWithBlanksAroundThemAreTaken) {
    for (const auto& [text, value] : {std::pair{"12 ", 12.0}, {"\t-33.5", -33.5}, {" 2.5e0 ", 2.5}}) {
        SCOPED_TRACE(std::string("'") + text + "'");
        const char* argv[] = {"fieldjoin", "--latitude", text};
        const CommandLine line = parseCommandLine(Program::Fieldjoin, 3, argv);
        EXPECT_EQ(CommandLine::Action::Run, line.action) << line.text;
        EXPECT_EQ(std::optional<double>(value), line.options.site.latitude);
    }
}

// A tree with both fields' data of one day, for both materials.
struct TwoFieldTree {
    TempDir root;
    TwoFieldTree() {
        for (const bool fence : {true, false}) {
            writeLogger(root.path(), fence, "2014_08_15", loggerText(15, 590, 720));
            for (const bool seed : {true, false})
                writeMeasurements(root.path(), fence, seed,
                                  measurementText(fence ? 14 : 36, {{600, 660}, {seed ? 670 : 660, 760}}));
        }
        writeStation(root.path(), "day15.txt", stationText(15));
    }
    std::string dataRoot() const { return (root.path() / "c" / "Vantrel").string(); }
};

// The two tables of a dialogue run for the answers.
std::pair<std::string, std::string> dialogueTables(Program program, const TwoFieldTree& tree, bool fence, bool seed) {
    TempDir work;
    const std::string answers = std::string(fence ? "1" : "0") + "\n" + (seed ? "1" : "0") + "\n";
    std::istringstream in(answers);
    std::ostringstream console;
    const RunConfiguration config = configFor(fence, seed, program);
    if (program == Program::Fieldjoin)
        runFieldjoin(in, console, PathMapper(tree.root.str()), work.str());
    else
        runCasetable(in, console, PathMapper(tree.root.str()), work.str());
    return {readTable(work.path() / config.OutputFileName),
            readTable(work.path() / (config.OutputFileName.substr(0, config.OutputFileName.size() - 4) + " QC.txt"))};
}

TEST(CommandLine, HeadlessRunsWriteWhatTheDialogueWrites) {
    const TwoFieldTree tree;
    for (const Program program : {Program::Fieldjoin, Program::Casetable}) {
        TempDir work;
        const MainOutput r = runMain(program, {"--field", "hill", "--material", "pollen", "--data-root",
                                               tree.dataRoot(), "--output-dir", work.str()});
        EXPECT_EQ(0, r.status) << r.err;
        EXPECT_EQ(lineCount(7800), r.out) << "no prompts";
        const RunConfiguration config = configFor(false, false, program);
        EXPECT_EQ(dialogueTables(program, tree, false, false).first, readTable(work.path() / config.OutputFileName));
    }
}

TEST(CommandLine, StrictRunWithoutRowsOrWithDataProblemsExitsThree) {
    const TwoFieldTree tree;
    TempDir empty;
    for (const Program program : {Program::Fieldjoin, Program::Casetable}) {
        TempDir work;
        const std::vector<std::string> run{"--field", "fence", "--material", "seed", "--output-dir", work.str()};
        const auto with = [&run](std::vector<std::string> more) {
            more.insert(more.begin(), run.begin(), run.end());
            return more;
        };
        const MainOutput plain = runMain(program, with({"--data-root", tree.dataRoot()}));
        const MainOutput strict = runMain(program, with({"--data-root", tree.dataRoot(), "--strict"}));
        ASSERT_EQ(0, plain.status) << plain.err;
        // Without problems standard error holds the closing summary alone.
        const bool problems = std::count(plain.err.begin(), plain.err.end(), '\n') > 1;
        EXPECT_EQ(problems ? 3 : 0, strict.status) << strict.err;
        EXPECT_EQ(plain.out, strict.out);
        // A run that failed stays a failure: 1, not 3.
        EXPECT_EQ(1, runMain(program, with({"--data-root", empty.str(), "--strict"})).status);
    }
}

// The progress line is drawn only on standard error, asked for or on a terminal, and gives way to
// every other line there: without its drawings standard error is the plain run's.
TEST(CommandLine, ProgressLineLeavesTablesConsoleAndOtherLinesAsTheyAre) {
    const TwoFieldTree tree;
    // A drawing is the clearing sequence and its text, which the next clearing takes away.
    const auto withoutProgress = [](std::string err) {
        const std::string clear = "\r\033[K";
        for (std::size_t at; (at = err.find(clear)) != std::string::npos;) {
            const std::size_t next = err.find(clear, at + clear.size());
            const bool drawing = next != std::string::npos && err.find('\n', at) > next;
            err.erase(at, drawing ? next - at : clear.size());
        }
        return err;
    };
    struct Case {
        const char* name;
        std::vector<std::string> args;
        bool terminal;
        bool drawn;
    };
    const Case cases[] = {
        {"asked", {"--progress"}, false, true},
        {"on a terminal, a short run", {}, true, false},  // unasked only from 2 s into the run
        {"refused on a terminal", {"--no-progress"}, true, false},
        {"neither", {}, false, false},
    };
    for (const Program program : {Program::Fieldjoin, Program::Casetable}) {
        TempDir plainDir;
        const std::vector<std::string> run{"--field", "hill", "--material", "seed", "--data-root", tree.dataRoot()};
        std::vector<std::string> plainArgs = run;
        plainArgs.insert(plainArgs.end(), {"--output-dir", plainDir.str()});
        const MainOutput plain = runMain(program, plainArgs);
        ASSERT_EQ(0, plain.status) << plain.err;
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            TempDir work;
            std::vector<std::string> args = run;
            args.insert(args.end(), {"--output-dir", work.str()});
            args.insert(args.end(), c.args.begin(), c.args.end());
            args.insert(args.begin(), program == Program::Fieldjoin ? "fieldjoin" : "casetable");
            std::vector<const char*> argv;
            for (const std::string& a : args) argv.push_back(a.c_str());
            std::istringstream in;
            std::ostringstream out, err;
            const RunFunction f = program == Program::Fieldjoin ? RunFunction{runFieldjoin} : RunFunction{runCasetable};
            const int status = programMain(program, f, static_cast<int>(argv.size()), argv.data(), in, out, err,
                                           PathMapper("/nonexistent-mount-root"), startThread, c.terminal);
            EXPECT_EQ(0, status);
            EXPECT_EQ(plain.out, out.str());
            EXPECT_EQ(c.drawn, err.str().find(" cases, ") != std::string::npos) << err.str();
            EXPECT_EQ(plain.err, withoutProgress(err.str()));
            const RunConfiguration config = configFor(false, true, program);
            EXPECT_EQ(readTable(plainDir.path() / config.OutputFileName),
                      readTable(work.path() / config.OutputFileName));
        }
    }
}

TEST(CommandLine, AllWritesTheFourTablesOfTheSingleRunsWithMessagesKeptTogether) {
    const TwoFieldTree tree;
    for (const Program program : {Program::Fieldjoin, Program::Casetable}) {
        TempDir work;
        const MainOutput r = runMain(program, {"--all", "--data-root", tree.dataRoot(), "--output-dir", work.str()});
        EXPECT_EQ(0, r.status) << r.err;
        for (const bool fence : {true, false}) {
            for (const bool seed : {true, false}) {
                const RunConfiguration config = configFor(fence, seed, program);
                const auto [table, quality] = dialogueTables(program, tree, fence, seed);
                EXPECT_EQ(table, readTable(work.path() / config.OutputFileName)) << config.OutputFileName;
                EXPECT_EQ(quality,
                          readTable(work.path() /
                                    (config.OutputFileName.substr(0, config.OutputFileName.size() - 4) + " QC.txt")));
                const std::string prefix =
                    std::string("[") + (fence ? "fence" : "hill") + " " + (seed ? "seed" : "pollen") + "] ";
                EXPECT_NE(std::string::npos, r.out.find(prefix + lineCount(7800))) << r.out;
                EXPECT_NE(std::string::npos, r.err.find(prefix + programName(program) + ": 2 cases read"));
            }
        }
        // Each run's lines stand together, in the order of the runs whichever ends first: four
        // blocks, one per prefix, on both streams.
        for (const std::string& text : {r.out, r.err}) {
            std::istringstream lines(text);
            std::string line;
            std::vector<std::string> blocks;
            while (std::getline(lines, line)) {
                const std::string prefix = line.substr(0, line.find(']') + 1);
                if (blocks.empty() || prefix != blocks.back()) blocks.push_back(prefix);
            }
            EXPECT_EQ((std::vector<std::string>{"[fence seed]", "[fence pollen]", "[hill seed]", "[hill pollen]"}),
                      blocks)
                << text;
        }
    }
}

// Runs that note where they ran; the hill seed run throws a standard exception, the fence
// pollen run something else.
std::thread::id gCaller;
std::atomic<int> gRunsInCaller{0}, gFinished{0};

int runThatMayThrow(const RunStreams&, const PathMapper&, const RunOptions& options) {
    if (std::this_thread::get_id() == gCaller) ++gRunsInCaller;
    const Answers answers = options.answers.value_or(Answers{});
    if (answers.field == 1 && answers.material == 0) throw std::runtime_error("no more file handles");
    if (answers.field == 0 && answers.material == 1) throw 42;
    ++gFinished;
    return 0;
}

std::thread noThread(std::function<void()>) {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
}

TEST(CommandLine, RunThatThrowsFailsWithItsReasonAndTheOtherRunsFinish) {
    struct Case {
        const char* what;
        std::vector<std::string> args;
        ThreadStarter starter;
        int finished;  // runs that did not throw
        std::vector<std::string> errors;
    };
    const std::vector<std::string> twoThrew{"[hill seed] fieldjoin: the run failed: no more file handles\n",
                                            "[fence pollen] fieldjoin: the run failed\n"};
    const Case cases[] = {
        {"one run",
         {"--field", "hill", "--material", "seed"},
         startThread,
         0,
         {"fieldjoin: the run failed: no more file handles\n"}},
        {"--all", {"--all"}, startThread, 2, twoThrew},
        {"--all without threads", {"--all"}, noThread, 2, twoThrew},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        gCaller = std::this_thread::get_id();
        gRunsInCaller = 0;
        gFinished = 0;
        const MainOutput r =
            runMain(Program::Fieldjoin, c.args, "", PathMapper("/nonexistent-mount-root"), runThatMayThrow, c.starter);
        EXPECT_EQ(1, r.status);
        EXPECT_EQ(c.finished, gFinished);
        if (c.starter == noThread) {
            EXPECT_EQ(4, gRunsInCaller) << "the runs no thread takes run in the caller";
        }
        for (const std::string& line : c.errors) EXPECT_NE(std::string::npos, r.err.find(line)) << r.err;
    }
}

#ifndef _WIN32
TEST(CommandLine, TableThatCannotBeWrittenStopsTheRunWithTheReason) {
    const TwoFieldTree tree;
    const RunConfiguration config = configFor(true, true, Program::Fieldjoin);
    {
        // A full disk: the table's name leads to /dev/full.
        TempDir work;
        std::filesystem::create_symlink("/dev/full", work.path() / config.OutputFileName);
        const MainOutput r = runMain(Program::Fieldjoin, {"--field", "fence", "--material", "seed", "--data-root",
                                                          tree.dataRoot(), "--output-dir", work.str()});
        EXPECT_EQ(1, r.status);
        EXPECT_NE(std::string::npos, r.err.find(config.OutputFileName)) << r.err;
        EXPECT_NE(std::string::npos, r.err.find("No space left on device")) << r.err;
        // No row reached the table: none is counted, and none of the quality table's stands beside it.
        EXPECT_NE(std::string::npos, r.err.find("0 rows written, flags 0/1/2: 0/0/0")) << r.err;
        EXPECT_EQ(2u, linesOf(readTable(work.path() / qualityTableName(config.OutputFileName))).size());
    }
    {
        // A folder where no file can be created (as root, permissions do not stop us: /proc does).
        TempDir work;
        std::filesystem::path folder = work.path();
        if (geteuid() == 0)
            folder = "/proc";
        else
            std::filesystem::permissions(folder,
                                         std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        const MainOutput r = runMain(Program::Fieldjoin, {"--field", "fence", "--material", "seed", "--data-root",
                                                          tree.dataRoot(), "--output-dir", folder.string()});
        EXPECT_EQ(1, r.status);
        EXPECT_NE(std::string::npos, r.out.find(failToOpen())) << r.out;
        EXPECT_NE(std::string::npos,
                  r.err.find("table cannot be created: " + folder.string() + "/" + config.OutputFileName + " ("))
            << r.err;
    }
}

TEST(CommandLine, InputThatFailsToReadInTheMiddleFailsTheRunWithTheReason) {
    // /proc/self/mem is a regular file whose first page cannot be read (EIO).
    if (!std::filesystem::exists("/proc/self/mem")) GTEST_SKIP() << "needs /proc/self/mem";
    struct Case {
        const char* name;
        bool logger;  // else the measurement-result file
        const char* message;
    };
    const Case cases[] = {
        {"measurement-result file", false, "measurement-result file failed to read: "},
        {"logger file", true, "logger file failed to read: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const TwoFieldTree tree;
        const RunConfiguration config = configFor(true, true, Program::Fieldjoin);
        std::filesystem::path victim =
            c.logger ? underRoot(tree.root.path(), config.WindDirectory) / "2014_08_15" / "logger_data.DAT"
                     : underRoot(tree.root.path(), config.MeasurementResultPath);
        std::filesystem::remove(victim);
        std::filesystem::create_symlink("/proc/self/mem", victim);
        TempDir work;
        const MainOutput r = runMain(Program::Fieldjoin, {"--field", "fence", "--material", "seed", "--data-root",
                                                          tree.dataRoot(), "--output-dir", work.str()});
        EXPECT_EQ(1, r.status);
        EXPECT_NE(std::string::npos, r.err.find(c.message + victim.string() + " (Input/output error)")) << r.err;
    }
}
#endif

}  // namespace
}  // namespace field
