// Whole runs of both programs on bad input: empty files, binary garbage, NUL
// bytes, a 100 MB line, header-only files, directories and files swapped,
// named pipes and devices where files are expected, unreadable files,
// symbolic-link loops, cases out of time order, 20 Hz data past the nominal
// buffer capacity, and a run killed mid-way. Each test states
// what the programs print and write, and that nothing already written is lost.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "campaign_2014.hpp"
#include "casetable/casetable_run.hpp"
#include "child_process.hpp"
#include "console_lines.hpp"
#include "field_tree.hpp"
#include "fieldjoin/fieldjoin_run.hpp"
#include "input/run_configuration.hpp"
#include "table_columns.hpp"

namespace field {
namespace {

using namespace field::testing;
namespace fs = std::filesystem;

#ifdef FIELDJOIN_BINARY
constexpr const char* kFieldjoinBinary = FIELDJOIN_BINARY;
#else
constexpr const char* kFieldjoinBinary = "";
#endif

const std::vector<Program> kBoth{Program::Fieldjoin, Program::Casetable};
const std::vector<Program> kFieldjoinOnly{Program::Fieldjoin};

// ---------------------------------------------------------------- running the programs

struct RunResult {
    int status = 0;
    std::string console;
    std::string table;  // the table's bytes ("" when it was not written)
};

std::string tableName(Program program, bool fence = true, bool seed = true) {
    return configFor(fence, seed, program).OutputFileName;
}

RunResult runProgram(Program program, const fs::path& root, const fs::path& work, bool fence = true) {
    std::istringstream in(std::string(fence ? "1" : "0") + " 1\n");
    std::ostringstream console;
    const PathMapper paths(root.string());
    RunResult r;
    r.status = program == Program::Fieldjoin ? runFieldjoin(in, console, paths, work.string())
                                             : runCasetable(in, console, paths, work.string());
    r.console = console.str();
    r.table = readFile(work / tableName(program, fence));
    return r;
}

std::vector<std::string> rowsOf(const std::string& table) {
    std::vector<std::string> lines = linesOf(table);
    if (lines.size() <= 2) return {};
    return std::vector<std::string>(lines.begin() + 2, lines.end());
}

// The first `count` rows of a table's rows.
std::vector<std::string> firstRows(const std::vector<std::string>& rows, std::size_t count) {
    return {rows.begin(), rows.begin() + static_cast<long>(std::min(count, rows.size()))};
}

// Every line ends with a line feed and has the program's number of fields
// (a whole-data row ends every field with a comma, a test-case data row does not).
void expectCompleteRows(const std::string& table, Program program, bool fence) {
    ASSERT_FALSE(table.empty());
    EXPECT_EQ('\n', table.back()) << "the last row is cut short";
    const std::vector<std::string> lines = linesOf(table);
    ASSERT_GE(lines.size(), 2u);
    const std::size_t fields = program == Program::Casetable ? std::size_t{testCase::Count} : fence ? 83u : 171u;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool header = i < 2;
        const std::size_t pieces = program == Program::Fieldjoin || header ? fields + 1 : fields;
        EXPECT_EQ(pieces, fieldsOf(lines[i]).size()) << "line " << i + 1 << ": " << lines[i].substr(0, 60);
    }
}

// The console holds only the programs' prompts and messages.
void expectOnlyKnownMessages(const std::string& console) {
    ASSERT_EQ(0u, console.rfind(prompts(), 0));
    for (const std::string& line : linesOf(console.substr(prompts().size()))) {
        const bool known = line == kFailToOpenFile || line == kNoFileFound ||
                           (line.rfind(kLineNumberIs, 0) == 0 && line.size() > kLineNumberIs.size());
        EXPECT_TRUE(known) << line;
    }
}

// ---------------------------------------------------------------- the standard tree and changes to it

fs::path windDirectory(const fs::path& root, bool fence = true) {
    return underRoot(root, configFor(fence, true, Program::Fieldjoin).WindDirectory);
}
fs::path measurementPath(const fs::path& root, bool fence = true) {
    return underRoot(root, configFor(fence, true, Program::Fieldjoin).MeasurementResultPath);
}
fs::path stationDirectory(const fs::path& root) { return underRoot(root, stationDirectory2014()); }
std::string loggerName(bool fence = true) { return "logger" + loggerSuffix(fence); }
fs::path loggerPath(const fs::path& root, const std::string& subdirectory) {
    return windDirectory(root) / subdirectory / loggerName();
}

// Cases 600-630, 630-660 and 700-730 of 15 August, logger data 590-740 in subdirectory "B"
// (each case closes inside it, so the file stays open to the end of the run), station
// records every 10 minutes in "s.txt".
const std::vector<std::pair<int, int>> kCases{{600, 630}, {630, 660}, {700, 730}};
std::string standardLogger() { return loggerText(15, 590, 740); }
constexpr int kStandardLoggerLines = 150 * 60;

void standardTree(const fs::path& root, bool fence = true) {
    writeMeasurements(root, fence, true, measurementText(fence ? 14 : 36, kCases));
    writeLogger(root, fence, "B", standardLogger());
    writeStation(root, "s.txt", stationText(15));
}

// A change to a standard tree (of the fence field unless told) before the run.
using TreeChange = std::function<void(const fs::path& root)>;

TreeChange measurementsAre(const std::string& text, bool fence = true) {
    return [=](const fs::path& root) { writeMeasurements(root, fence, true, text); };
}
TreeChange fenceCasesAre(const std::vector<std::pair<int, int>>& windows) {
    return measurementsAre(measurementText(14, windows));
}
TreeChange loggerIn(const std::string& subdirectory, const std::string& text) {
    return [=](const fs::path& root) { writeLogger(root, true, subdirectory, text); };
}
TreeChange stationFile(const std::string& name, const std::string& text) {
    return [=](const fs::path& root) { writeStation(root, name, text); };
}
// The standard station file replaced by these files.
TreeChange onlyStationFiles(const std::vector<std::pair<std::string, std::string>>& files) {
    return [=](const fs::path& root) {
        fs::remove(stationDirectory(root) / "s.txt");
        for (const auto& [name, text] : files) writeStation(root, name, text);
    };
}
TreeChange directoryAt(const std::function<fs::path(const fs::path& root)>& where) {
    return [=](const fs::path& root) {
        const fs::path path = where(root);
        fs::remove_all(path);
        fs::create_directories(path / "inside");
    };
}
TreeChange fileAt(const std::function<fs::path(const fs::path& root)>& where) {
    return [=](const fs::path& root) {
        const fs::path path = where(root);
        fs::remove_all(path);
        writeFile(path, "not a directory\n");
    };
}

/// Runs a program on the standard tree after `change`.
RunResult runChanged(Program program, const TreeChange& change, bool fence = true) {
    TempDir root, work;
    standardTree(root.path(), fence);
    if (change) change(root.path());
    return runProgram(program, root.path(), work.path(), fence);
}

// The rows of the standard tree, as the reference of what must not be lost.
RunResult cleanRun(Program program, bool fence = true) { return runChanged(program, {}, fence); }

// ---------------------------------------------------------------- what a run must give

enum class TableIs {
    Clean,           // the clean run's table, byte for byte
    HeaderOnly,      // the two header rows
    WithoutWeather,  // the clean run's rows with zero weather means (no station record found)
    CleanRowsFirst,  // the clean run's rows, then complete rows, whatever they hold
    Complete,        // complete rows, whatever they hold
};

// The messages of a run that only has to print messages of the programs (garbage input).
const std::string kAnyKnownMessages = "(any of the programs' messages)";

// A standard tree changed, and what each program must then print and write.
struct ChangeCase {
    const char* what;
    std::vector<Program> programs;
    TreeChange change;
    int status;
    std::string messages;  // the console after the prompts
    TableIs table;
};

void expectTable(TableIs expected, const std::string& table, const RunResult& clean, Program program) {
    switch (expected) {
        case TableIs::Clean: EXPECT_EQ(clean.table, table); break;
        case TableIs::HeaderOnly:
            EXPECT_EQ(2u, linesOf(table).size());
            expectCompleteRows(table, program, true);
            break;
        case TableIs::WithoutWeather: {
            const auto rows = rowsOf(table), cleanRows = rowsOf(clean.table);
            ASSERT_EQ(cleanRows.size(), rows.size());
            for (std::size_t i = 0; i < rows.size(); ++i) {
                auto f = fieldsOf(rows[i]);
                EXPECT_EQ((std::vector<std::string>{"0", "0", "0"}),
                          columnRange(f, wholeData::SolarRad, wholeData::Humi));
                // Everything but the weather means is as in the clean run.
                const auto c = fieldsOf(cleanRows[i]);
                std::copy(c.begin() + wholeData::SolarRad, c.begin() + wholeData::Humi + 1,
                          f.begin() + wholeData::SolarRad);
                EXPECT_EQ(c, f);
            }
            break;
        }
        case TableIs::CleanRowsFirst: {
            const auto cleanRows = rowsOf(clean.table);
            EXPECT_EQ(cleanRows, firstRows(rowsOf(table), cleanRows.size()));
            expectCompleteRows(table, program, true);
            break;
        }
        case TableIs::Complete: expectCompleteRows(table, program, true); break;
    }
}

// Runs every case with each of its programs in-process.
void expectChangeCases(const std::vector<ChangeCase>& cases) {
    const RunResult clean[] = {cleanRun(Program::Fieldjoin), cleanRun(Program::Casetable)};
    for (const RunResult& r : clean) ASSERT_EQ(3u, rowsOf(r.table).size());
    for (const ChangeCase& c : cases) {
        for (const Program program : c.programs) {
            SCOPED_TRACE(std::string(programName(program)) + ": " + c.what);
            const RunResult r = runChanged(program, c.change);
            EXPECT_EQ(c.status, r.status);
            if (c.messages == kAnyKnownMessages) {
                expectOnlyKnownMessages(r.console);
            } else {
                EXPECT_EQ(prompts() + c.messages, r.console);
            }
            expectTable(c.table, r.table, clean[program == Program::Fieldjoin ? 0 : 1], program);
        }
    }
}

std::string randomBytes(std::size_t size, unsigned seed, int lineFeedPercent) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        const auto r = static_cast<unsigned>(random());
        c = static_cast<int>(r % 100) < lineFeedPercent ? '\n' : static_cast<char>(r >> 8);
    }
    return bytes;
}

// Subdirectories `<prefix>00000`, `<prefix>00001`, ... of the wind data, each with a named pipe
// as its logger file. Each is refused with "fail to open file": a case still open when the
// walk reaches them prints more than a console pipe holds, and the run stops there.
void pipeSubdirectories(const fs::path& root, const std::string& prefix) {
    // A one-page pipe holds a page; each refusal prints 18 bytes: well over twice a page.
    const long count = sysconf(_SC_PAGESIZE) / 8 + 200;
    for (long i = 0; i < count; ++i) {
        char name[24];
        std::snprintf(name, sizeof name, "%05ld", i);
        const fs::path directory = windDirectory(root) / (prefix + name);
        fs::create_directories(directory);
        EXPECT_EQ(0, mkfifo((directory / loggerName()).c_str(), 0644));
    }
}

// ================================================================ empty files and files of only header lines

TEST(BadInputEmptyFiles, EmptyFilesAreReadAsNoDataAndLoseNoRow) {
    expectChangeCases({
        {"an empty measurement-result file gives the header rows only", kBoth, measurementsAre(""), 0, "",
         TableIs::HeaderOnly},
        {"an empty logger file is no data, the next subdirectory serves the cases", kBoth, loggerIn("A", ""), 0,
         lineCount(0), TableIs::Clean},
        {"an empty station file before the real one adds no record", kFieldjoinOnly, stationFile("a.txt", ""), 0, "",
         TableIs::Clean},
        {"the only station file empty gives zero means", kFieldjoinOnly, onlyStationFiles({{"s.txt", ""}}), 0, "",
         TableIs::WithoutWeather},
    });
}

TEST(BadInputHeadersOnly, HeaderLinesWithoutDataGiveNoCaseNoSampleAndNoStationRecord) {
    expectChangeCases({
        {"measurement-result file of its two header lines", kBoth, measurementsAre("Day,Begin\nunits\n"), 0, "",
         TableIs::HeaderOnly},
        {"measurement-result file of its two header lines, no last line feed", kBoth,
         measurementsAre("Day,Begin\nunits"), 0, "", TableIs::HeaderOnly},
        {"measurement-result file of one header line", kBoth, measurementsAre("Day,Begin\n"), 0, "",
         TableIs::HeaderOnly},
        {"a logger file of its four header lines", kFieldjoinOnly, loggerIn("A", "h1\nh2\nh3\nh4\n"), 0, lineCount(0),
         TableIs::Clean},
        {"station files of their two header lines", kFieldjoinOnly,
         onlyStationFiles({{"a.txt", "station\nunits\n"}, {"b.txt", "station\nunits"}}), 0, "",
         TableIs::WithoutWeather},
    });
}

// ================================================================ binary garbage

TEST(BadInputGarbage, GarbageMeasurementResultFileGivesCompleteRowsOnly) {
    for (const Program program : kBoth) {
        for (const bool fence : {true, false}) {
            for (const int lineFeeds : {0, 3, 30}) {
                SCOPED_TRACE(std::string(programName(program)) + (fence ? " fence, " : " hill, ") +
                             std::to_string(lineFeeds) + "% line feeds");
                const RunResult r = runChanged(
                    program,
                    measurementsAre(randomBytes(20000, 7u + static_cast<unsigned>(lineFeeds), lineFeeds), fence),
                    fence);
                EXPECT_EQ(0, r.status);
                expectOnlyKnownMessages(r.console);
                expectCompleteRows(r.table, program, fence);
            }
        }
    }
}

TEST(BadInputGarbage, GarbageLoggerAndStationFilesLoseNoRowOfTheData) {
    expectChangeCases({
        {"a garbage logger file after the data, reached by a fourth case beyond the data", kBoth,
         [](const fs::path& root) {
             fenceCasesAre({{600, 630}, {630, 660}, {700, 730}, {900, 930}})(root);
             writeLogger(root, true, "C", randomBytes(300000, 11, 2));
         },
         0, kAnyKnownMessages, TableIs::CleanRowsFirst},
        {"a garbage logger file before the data, garbage station files", kBoth,
         [](const fs::path& root) {
             writeLogger(root, true, "A", randomBytes(300000, 13, 2));
             writeStation(root, "t.txt", randomBytes(50000, 17, 3));
             writeStation(root, "r.txt", randomBytes(50000, 19, 0));
         },
         0, kAnyKnownMessages, TableIs::Complete},
    });
}

// ================================================================ NUL bytes

// The standard logger with a line of 40 NUL bytes before the line of 10:10:00.
std::string standardLoggerWithNulLineAt610() {
    std::string logger = standardLogger();
    const std::size_t pos = logger.find("\"2014-08-15 10:10:00.0\"");
    EXPECT_NE(std::string::npos, pos);
    return logger.insert(pos, std::string(40, '\0') + "\n");
}

TEST(BadInputNul, NulBytesInsideLoggerLinesEndOnlyTheNumberTheyFollow) {
    // NUL bytes in the unused second and seventh fields and right after Ts: the values
    // read are those of the clean file.
    std::string withNul;
    for (const std::string& line : linesOf(standardLogger())) {
        const auto f = fieldsOf(line);
        if (f.size() != 7) {
            withNul += line + "\n";
            continue;
        }
        withNul += f[0] + "," + f[1] + std::string("\0x", 2) + "," + f[2] + "," + f[3] + "," + f[4] + "," + f[5] +
                   std::string("\0\0", 2) + "," + std::string("\0", 1) + f[6] + "\n";
    }
    expectChangeCases({{"NUL bytes inside the logger lines", kBoth, loggerIn("B", withNul), 0, "", TableIs::Clean}});
}

TEST(BadInputNul, LineOfOnlyNulBytesIsPassedOverByCasetableAndEndsTheCaseInFieldjoin) {
    // A non-empty line without a timestamp: day index -1 in casetable (passed over),
    // day index 61 in fieldjoin (a later day: it ends the case, as an empty timestamp does).
    expectChangeCases({{"a line of only NUL bytes",
                        {Program::Casetable},
                        loggerIn("B", standardLoggerWithNulLineAt610()),
                        0,
                        "",
                        TableIs::Clean}});
    const RunResult r = runChanged(Program::Fieldjoin, loggerIn("B", standardLoggerWithNulLineAt610()));
    EXPECT_EQ(prompts(), r.console);
    expectCompleteRows(r.table, Program::Fieldjoin, true);
    const auto rows = rowsOf(r.table);
    ASSERT_EQ(3u, rows.size());
    // The first case ends at the NUL line with the samples of 600 to 609; the next cases follow.
    EXPECT_EQ("15,600,609,8/15/2014,1000,1009", rows[0].substr(0, 30));
    EXPECT_EQ("15,630,659,8/15/2014,1030,1059", rows[1].substr(0, 30));
    EXPECT_EQ(rowsOf(cleanRun(Program::Fieldjoin).table)[2], rows[2]);
}

TEST(BadInputNul, NulBytesInMeasurementAndStationLinesAreKeptOrEndTheirNumber) {
    const auto cleanRows = rowsOf(cleanRun(Program::Fieldjoin).table);
    const RunResult r = runChanged(Program::Fieldjoin, [](const fs::path& root) {
        // The date text keeps its NUL byte; a reading stops at the NUL after its digits.
        std::string text = measurementText(14, kCases);
        const std::string firstCase = "15,600,630,8/15/2014,x,y,S1,1.5\n";
        ASSERT_NE(std::string::npos, text.find(firstCase));
        text.replace(text.find(firstCase), firstCase.size(),
                     std::string("15,600,630,8/15\0/2014,x,y,S1,1.5\0junk\n", 38));
        writeMeasurements(root, true, true, text);
        // NUL in an unused station field.
        std::string station = stationText(15);
        for (std::size_t p = station.find("\t3\t"); p != std::string::npos; p = station.find("\t3\t", p + 4))
            station.replace(p, 3, std::string("\t3\0\t", 4));
        writeStation(root, "s.txt", station);
    });
    EXPECT_EQ(prompts(), r.console);
    const auto rows = rowsOf(r.table);
    ASSERT_EQ(cleanRows.size(), rows.size());
    auto first = fieldsOf(rows[0]);
    EXPECT_EQ(std::string("8/15\0/2014", 10), first[wholeData::Date]);
    first[wholeData::Date] = "8/15/2014";
    EXPECT_EQ(fieldsOf(cleanRows[0]), first);
    EXPECT_EQ(cleanRows[1], rows[1]);
    EXPECT_EQ(cleanRows[2], rows[2]);
}

// ================================================================ a 100 MB line

// Logger "B": minutes 600 to 620, then one line of 100 MB without a line feed that starts
// like a sample of minute 620; logger "C": minutes 630 to 644. Case 600-610, then 610-640.
struct LongLineTree {
    static constexpr std::size_t kLength = 100u << 20;
    static constexpr const char* kStart = "\"2014-08-15 10:20:30.0\",1,3.5,-1.25,0.5,25,0,";

    // `pipes`: the subdirectories after "B" ("C00000", ...) hold named pipes instead, refused one by
    // one; with a console pipe the run stops there, alive (see pipeSubdirectories).
    explicit LongLineTree(const fs::path& root, bool pipes = false) {
        writeMeasurements(root, true, true, measurementText(14, {{600, 610}, {610, 640}}));
        writeStation(root, "s.txt", stationText(15));
        if (pipes) {
            pipeSubdirectories(root, "C");
        } else {
            writeLogger(root, true, "C", loggerText(15, 630, 645));
        }
        writeLogger(root, true, "B", loggerText(15, 600, 621));
        std::ofstream out(loggerPath(root, "B"), std::ios::binary | std::ios::app);
        out << kStart;
        const std::string chunk(1 << 20, 'x');
        for (std::size_t written = std::strlen(kStart); written < kLength; written += chunk.size())
            out.write(chunk.data(), static_cast<std::streamsize>(std::min(chunk.size(), kLength - written)));
    }
};

TEST(BadInputLongLine, HundredMegabyteLineWithoutLineFeedIsOneLineAndItsSampleCounts) {
    TempDir root, work;
    LongLineTree tree(root.path());
    ASSERT_EQ(loggerText(15, 600, 621).size() + LongLineTree::kLength, fs::file_size(loggerPath(root.path(), "B")));

    const RunResult r = runProgram(Program::Fieldjoin, root.path(), work.path());
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(prompts() + lineCount(21 * 60 + 1), r.console);
    expectCompleteRows(r.table, Program::Fieldjoin, true);
    const auto rows = rowsOf(r.table);
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ("15,600,609,8/15/2014,1000,1009", rows[0].substr(0, 30));
    EXPECT_EQ("15,610,639,8/15/2014,1010,1039", rows[1].substr(0, 30));

    // The second window: minutes 610 to 620, the long line's sample, minutes 630 to 639.
    SampleBuffer buffer(16);
    appendTreeSamples(buffer, 610, 621, 600, 10, 10);  // the line at 10:10:00 closed the first case and is gone
    buffer.append(3.5f, -1.25f, 0.5f, 25.0f);
    appendTreeSamples(buffer, 630, 640);
    EXPECT_EQ(printedStatistics(buffer, measurementTextReadings(kFieldjoinVariant), kFieldjoinVariant),
              columnRange(fieldsOf(rows[1]), wholeData::SourceStrength, wholeData::TsStd));
}

// The peak resident memory of a running process (its VmHWM), in KiB; -1 when unknown.
long peakResidentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

TEST(BadInputLongLine, HundredMegabyteLineKeepsTheProgramsMemorySmall) {
    if (std::string(kFieldjoinBinary).empty()) GTEST_SKIP() << "the fieldjoin binary's path was not built in";
    // The real program reads the long line, then walks through the refused pipes after "B"
    // until its console pipe is full: its peak memory is read there, while it lives (the
    // peak of a process that has ended is blurred by its parent's).
    TempDir root, work;
    LongLineTree tree(root.path(), true);
    long peakKiB = -1;
    bool consoleFull = false;
    ChildOptions options;
    options.consolePipe = true;
    options.whileRunning = [&](pid_t pid, const ConsoleOutput& console) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(120);
        while (std::chrono::steady_clock::now() < until && !console.full())
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        consoleFull = console.full();
        peakKiB = peakResidentKiB(pid);
        kill(pid, SIGKILL);
    };
    const ChildResult child = runBinary(kFieldjoinBinary, root.path(), work.path(), "1 1\n", options);
    EXPECT_EQ(SIGKILL, child.signal);
    ASSERT_TRUE(consoleFull) << "the run never reached the pipes: " << child.console;
    // The long line's file read to its end, then every pipe refused like a file that cannot be opened.
    const std::string before = prompts() + lineCount(21 * 60 + 1);
    ASSERT_EQ(before, child.console.substr(0, before.size()));
    const std::vector<std::string> refused = linesOf(child.console.substr(before.size()));
    EXPECT_GE(refused.size(), 100u);
    for (const std::string& line : refused) ASSERT_EQ(kFailToOpenFile, line);
    EXPECT_EQ(3u, linesOf(readFile(work.path() / tableName(Program::Fieldjoin))).size());
    // A line of more than 8 MiB comes cut at 8 MiB: the process never holds the 100 MB
    // line (that took a buffer of 128 MiB besides the 64 MiB one it grew from).
    ASSERT_GT(peakKiB, 0) << "no VmHWM in /proc";
    RecordProperty("peakResidentKiB", static_cast<int>(peakKiB));
    EXPECT_LT(peakKiB, 100 * 1024) << "peak resident memory in KiB";
}

// ================================================================ directories and files swapped

TEST(BadInputKinds, DirectoryOrFileWhereTheOtherIsExpected) {
    expectChangeCases({
        {"the measurement-result file is a directory", kFieldjoinOnly,
         directoryAt([](const fs::path& root) { return measurementPath(root); }), 1, failToOpen(), TableIs::HeaderOnly},
        {"the first subdirectory's logger file is a directory", kFieldjoinOnly,
         directoryAt([](const fs::path& root) { return loggerPath(root, "A"); }), 0, failToOpen(), TableIs::Clean},
        {"a station file is a directory", kFieldjoinOnly,
         directoryAt([](const fs::path& root) { return stationDirectory(root) / "a.txt"; }), 0, "", TableIs::Clean},
        {"the wind-data directory is a file (one message per case)", kFieldjoinOnly,
         fileAt([](const fs::path& root) { return windDirectory(root); }), 0,
         noFileFound() + noFileFound() + noFileFound(), TableIs::HeaderOnly},
        {"the station directory is a file", kFieldjoinOnly, fileAt(stationDirectory), 0,
         noFileFound() + noFileFound() + noFileFound(), TableIs::WithoutWeather},
    });
}

TEST(BadInputKinds, DirectoryWithTheTableNameIsLeftAsItWas) {
    for (const Program program : kBoth) {
        SCOPED_TRACE(programName(program));
        TempDir root, work;
        standardTree(root.path());
        const fs::path table = work.path() / tableName(program);
        fs::create_directories(table / "kept");
        const RunResult r = runProgram(program, root.path(), work.path());
        EXPECT_EQ(1, r.status);
        EXPECT_EQ(prompts() + failToOpen(), r.console) << "the cases still run, without output";
        EXPECT_TRUE(fs::is_directory(table / "kept"));
    }
}

TEST(BadInputKinds, WorkDirectoryThatIsAFileIsLeftAsItWas) {
    TempDir root, work;
    standardTree(root.path());
    writeFile(work.path() / "file", "x");
    const RunResult r = runProgram(Program::Casetable, root.path(), work.path() / "file");
    EXPECT_EQ(1, r.status);
    EXPECT_EQ(prompts() + failToOpen(), r.console);
    EXPECT_EQ("x", readFile(work.path() / "file"));
}

TEST(BadInputKinds, PlainFilesAmongTheSubdirectoriesArePassedOver) {
    const auto cleanRows = rowsOf(cleanRun(Program::Fieldjoin).table);
    const RunResult r = runChanged(Program::Fieldjoin, [](const fs::path& root) {
        // "A" is passed over when the walk looks for its first subdirectory; "Bz",
        // met while the last case continues past B's data, is tried and found empty.
        writeFile(windDirectory(root) / "A", "file\n");
        writeFile(windDirectory(root) / "Bz", "file\n");
        writeLogger(root, true, "C", loggerText(15, 740, 760));
        fenceCasesAre({{600, 630}, {630, 660}, {700, 730}, {735, 745}, {750, 755}})(root);
    });
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(prompts() + lineCount(kStandardLoggerLines) + noFileFound() + failToOpen(), r.console);
    const auto rows = rowsOf(r.table);
    ASSERT_EQ(5u, rows.size());
    EXPECT_EQ(cleanRows, firstRows(rows, 3));
    EXPECT_EQ("15,735,744,8/15/2014,1215,1224", rows[3].substr(0, 30)) << "the case across the two files";
    EXPECT_EQ("15,750,754,8/15/2014,1230,1234", rows[4].substr(0, 30));
}

// A special file placed into the standard tree, with what the real program must print and write.
struct SpecialFileCase {
    const char* what;
    std::function<fs::path(const fs::path& root)> place;  // returns where the special file goes
    bool device;                                          // a link to /dev/zero, else a named pipe
    int status;
    std::string messages;
    TableIs table;
};

TEST(BadInputKinds, PipeOrDeviceWhereAFileIsExpectedIsRefusedAndTheRunGoesOn) {
    if (std::string(kFieldjoinBinary).empty()) GTEST_SKIP() << "the fieldjoin binary's path was not built in";
    // Opening a pipe no one writes would wait for ever, and /dev/zero never ends: both are
    // refused like a file that cannot be opened. The real program runs as a child, killed
    // should it hang.
    const auto firstLogger = [](const fs::path& root) {
        fs::create_directories(windDirectory(root) / "A");
        return loggerPath(root, "A");
    };
    const auto measurements = [](const fs::path& root) {
        fs::remove(measurementPath(root));
        return measurementPath(root);
    };
    const auto station = [](const fs::path& root) { return stationDirectory(root) / "a.txt"; };
    const SpecialFileCase cases[] = {
        {"the measurement-result file is a named pipe", measurements, false, 1, failToOpen(), TableIs::HeaderOnly},
        {"the measurement-result file is /dev/zero", measurements, true, 1, failToOpen(), TableIs::HeaderOnly},
        {"the first subdirectory's logger file is a named pipe", firstLogger, false, 0, failToOpen(), TableIs::Clean},
        {"the first subdirectory's logger file is /dev/zero", firstLogger, true, 0, failToOpen(), TableIs::Clean},
        {"a station file is a named pipe", station, false, 0, "", TableIs::Clean},
        {"a station file is /dev/zero", station, true, 0, "", TableIs::Clean},
    };
    const RunResult clean = cleanRun(Program::Fieldjoin);
    ASSERT_EQ(prompts(), clean.console);
    for (const SpecialFileCase& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir root, work;
        standardTree(root.path());
        const fs::path special = c.place(root.path());
        if (c.device) {
            fs::create_symlink("/dev/zero", special);
        } else {
            ASSERT_EQ(0, mkfifo(special.c_str(), 0644));
        }
        ChildOptions options;
        options.whileRunning = killAfter(60);
        const ChildResult child = runBinary(kFieldjoinBinary, root.path(), work.path(), "1 1\n", options);
        ASSERT_TRUE(child.exited) << "the run hung and was killed";
        EXPECT_EQ(c.status, child.exitStatus);
        EXPECT_EQ(prompts() + c.messages, child.console);
        expectTable(c.table, readFile(work.path() / tableName(Program::Fieldjoin)), clean, Program::Fieldjoin);
    }
}

// ================================================================ unreadable files

// Permission bits do not stop root (or a process with CAP_DAC_OVERRIDE) from reading.
bool permissionsStopReading(const fs::path& unreadable) {
    return geteuid() != 0 && access(unreadable.c_str(), R_OK) != 0;
}

// Inputs made unreadable, with what a run must then print and write.
struct UnreadableCase {
    const char* what;
    std::function<fs::path(const fs::path& root)> make;  // returns the path made unreadable
    int status;
    std::string messages;
    TableIs table;
};

std::vector<UnreadableCase> unreadableCases() {
    return {
        {"measurement-result file", [](const fs::path& root) { return measurementPath(root); }, 1, failToOpen(),
         TableIs::HeaderOnly},
        {"logger file of the first subdirectory",
         [](const fs::path& root) {
             writeLogger(root, true, "A", loggerText(15, 590, 600));
             return loggerPath(root, "A");
         },
         0, failToOpen(), TableIs::Clean},
        {"a first subdirectory",
         [](const fs::path& root) {
             writeLogger(root, true, "A", loggerText(15, 590, 600));
             return windDirectory(root) / "A";
         },
         0, noFileFound() + failToOpen(), TableIs::Clean},
        {"a station file before the real one",
         [](const fs::path& root) {
             writeStation(root, "a.txt", stationText(15));
             return stationDirectory(root) / "a.txt";
         },
         0, "", TableIs::Clean},
        {"the wind-data directory", [](const fs::path& root) { return windDirectory(root); }, 0,
         noFileFound() + noFileFound() + noFileFound(), TableIs::HeaderOnly},
    };
}

TEST(BadInputPermissions, UnreadableInputsAreReportedAndTheRunGoesOn) {
    const RunResult clean = cleanRun(Program::Fieldjoin);
    for (const UnreadableCase& c : unreadableCases()) {
        SCOPED_TRACE(c.what);
        TempDir root, work;
        standardTree(root.path());
        const fs::path unreadable = c.make(root.path());
        fs::permissions(unreadable, fs::perms::none);
        if (!permissionsStopReading(unreadable)) {
            fs::permissions(unreadable, fs::perms::owner_all);
            GTEST_SKIP() << "running as root (or with CAP_DAC_OVERRIDE): permissions do not stop reads here; "
                            "UnreadableInputsStopAnUnprivilegedChild covers this as root";
        }
        const RunResult r = runProgram(Program::Fieldjoin, root.path(), work.path());
        fs::permissions(unreadable, fs::perms::owner_all);
        EXPECT_EQ(c.status, r.status);
        EXPECT_EQ(prompts() + c.messages, r.console);
        expectTable(c.table, r.table, clean, Program::Fieldjoin);
    }
}

TEST(BadInputPermissions, UnreadableInputsStopAnUnprivilegedChild) {
    if (geteuid() != 0) GTEST_SKIP() << "not root: UnreadableInputsAreReportedAndTheRunGoesOn covers this in-process";
    if (std::string(kFieldjoinBinary).empty()) GTEST_SKIP() << "the fieldjoin binary's path was not built in";
    const uid_t nobody = 65534;
    // User nobody may be unable to reach the build (a checkout in a private folder): it runs a copy.
    const ReachableCopy program(kFieldjoinBinary);
    const RunResult clean = cleanRun(Program::Fieldjoin);
    for (const UnreadableCase& c : unreadableCases()) {
        SCOPED_TRACE(c.what);
        TempDir root, work;
        standardTree(root.path());
        // The tree is readable by everyone, the work directory writable.
        fs::permissions(root.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                         fs::perms::others_read | fs::perms::others_exec);
        fs::permissions(work.path(), fs::perms::all);
        const fs::path unreadable = c.make(root.path());
        fs::permissions(unreadable, fs::perms::none);
        ChildOptions options;
        options.uid = nobody;
        const ChildResult child = runBinary(program.path(), root.path(), work.path(), "1 1\n", options);
        fs::permissions(unreadable, fs::perms::owner_all);
        if (child.exited && child.exitStatus == kCannotDropPrivileges) GTEST_SKIP() << "cannot switch to user nobody";
        if (child.exited && child.exitStatus == kCannotReach)
            GTEST_SKIP() << "user nobody cannot reach the temporary folder " << fs::temp_directory_path()
                         << " (set TMPDIR to a folder every user may enter)";
        ASSERT_TRUE(child.exited);
        EXPECT_EQ(c.status, child.exitStatus);
        EXPECT_EQ(prompts() + c.messages, child.console);
        expectTable(c.table, readFile(work.path() / tableName(Program::Fieldjoin)), clean, Program::Fieldjoin);
    }
}

// ================================================================ symbolic-link loops

TEST(BadInputLinks, SymbolicLinkLoopsInTheWindDataTreeAreTriedOnceAndPassedOver) {
    // The data split over "A" (590-640) and "F" (640-740); a fourth case lies past the data.
    const auto build = [](const fs::path& root, bool links) {
        writeMeasurements(root, true, true, measurementText(14, {{600, 630}, {630, 660}, {700, 730}, {800, 830}}));
        writeStation(root, "s.txt", stationText(15));
        writeLogger(root, true, "A", loggerText(15, 590, 640));
        writeLogger(root, true, "F", loggerText(15, 640, 740));
        if (!links) return;
        const fs::path wind = windDirectory(root);
        fs::create_directory_symlink("B_self", wind / "B_self");  // a link to itself
        fs::create_directory_symlink("D_pair", wind / "C_pair");  // two links to each other
        fs::create_directory_symlink("C_pair", wind / "D_pair");
        fs::create_directories(wind / "E_link");  // a logger "file" that loops
        fs::create_symlink("x" + loggerName(), wind / "E_link" / ("x" + loggerName()));
        fs::create_directory_symlink("..", wind / "G_up");        // a cycle back up the tree
        fs::create_directory_symlink(".", wind / "A" / "again");  // a cycle inside a subdirectory
    };
    for (const Program program : kBoth) {
        SCOPED_TRACE(programName(program));
        TempDir cleanRoot, cleanWork, root, work;
        build(cleanRoot.path(), false);
        build(root.path(), true);
        const RunResult reference = runProgram(program, cleanRoot.path(), cleanWork.path());
        const RunResult r = runProgram(program, root.path(), work.path());
        EXPECT_EQ(0, r.status);
        // Case 2 runs past A's end: B_self, C_pair and D_pair cannot be listed, E_link's
        // logger file cannot be opened, F serves the case. Case 4 runs past F's end:
        // G_up (the folder above the wind data) holds no logger file.
        const std::string unlisted = noFileFound() + failToOpen();
        EXPECT_EQ(prompts() + lineCount(50 * 60) + unlisted + unlisted + unlisted + failToOpen() + lineCount(100 * 60) +
                      noFileFound() + failToOpen(),
                  r.console);
        EXPECT_EQ(prompts() + lineCount(50 * 60) + lineCount(100 * 60), reference.console);
        EXPECT_EQ(reference.table, r.table);
        EXPECT_EQ(3u, rowsOf(r.table).size());
    }
}

// ================================================================ cases out of time order

// The statistics columns of a window without samples.
std::vector<std::string> emptyWindowStatistics(const ProgramVariant& variant) {
    SampleBuffer none(1);
    return printedStatistics(none, measurementTextReadings(kFieldjoinVariant), variant);
}

TEST(BadInputOrder, CasesOutOfTimeOrderCloseAtOnceOnTheirDayAndNothingWrittenIsLost) {
    // 700-730, then 600-630 and 630-640 (before the position), a case of an earlier day,
    // then 710-715 and 715-720 (before the position again).
    const std::string header = measurementText(14, {});
    const TreeChange outOfOrder = measurementsAre(measurementText(14, {{700, 730}, {600, 630}, {630, 640}}) +
                                                  measurementText(14, {{600, 610}}, 14).substr(header.size()) +
                                                  measurementText(14, {{710, 715}, {715, 720}}).substr(header.size()));
    const auto alone = [](Program program, int begin, int end) {
        return rowsOf(runChanged(program, fenceCasesAre({{begin, end}})).table);
    };
    {
        SCOPED_TRACE("fieldjoin");
        const RunResult r = runChanged(Program::Fieldjoin, outOfOrder);
        EXPECT_EQ(0, r.status);
        EXPECT_EQ(prompts(), r.console);
        expectCompleteRows(r.table, Program::Fieldjoin, true);
        const auto rows = rowsOf(r.table);
        ASSERT_EQ(5u, rows.size()) << "the earlier day's case ends without a row";
        EXPECT_EQ(alone(Program::Fieldjoin, 700, 730)[0], rows[0]) << "the first row is as if it stood alone";
        // The line that closed the first case (minute 730) is gone; each later case is closed
        // at once by the next line: no sample, the last window minute of the first case, and
        // no station record (the station file too lies past the window).
        EXPECT_EQ("15,600,729,8/15/2014,1000,1209", rows[1].substr(0, 30));
        EXPECT_EQ("15,630,729,8/15/2014,1030,1209", rows[2].substr(0, 30));
        EXPECT_EQ("15,710,729,8/15/2014,1150,1209", rows[3].substr(0, 30));
        EXPECT_EQ("15,715,729,8/15/2014,1155,1209", rows[4].substr(0, 30));
        for (std::size_t i = 1; i < rows.size(); ++i) {
            const auto f = fieldsOf(rows[i]);
            EXPECT_EQ(emptyWindowStatistics(kFieldjoinVariant),
                      columnRange(f, wholeData::SourceStrength, wholeData::TsStd));
            for (std::size_t k = wholeData::SolarRad; k <= wholeData::Humi; ++k)
                EXPECT_NE(std::string::npos, f[k].find("nan")) << "column " << k + 1;
        }
    }
    {
        SCOPED_TRACE("casetable");
        const RunResult r = runChanged(Program::Casetable, outOfOrder);
        EXPECT_EQ(0, r.status);
        EXPECT_EQ(prompts(), r.console);
        expectCompleteRows(r.table, Program::Casetable, true);
        const auto rows = rowsOf(r.table);
        const auto first = alone(Program::Casetable, 700, 730);
        ASSERT_EQ(first.size() + 4, rows.size());
        EXPECT_EQ(first, firstRows(rows, first.size()));
        // Each earlier case writes one empty sub-window row; its period runs to the last window
        // minute; the earlier day's case (number 4) has no row but uses up its number.
        EXPECT_EQ("2,15,600,729,8/15/2014,1000,1209,7800", rows[first.size()].substr(0, 37));
        EXPECT_EQ("3,15,630,729,8/15/2014,1030,1209,6000", rows[first.size() + 1].substr(0, 37));
        EXPECT_EQ("5,15,710,729,8/15/2014,1150,1209,1200", rows[first.size() + 2].substr(0, 37));
        EXPECT_EQ("6,15,715,729,8/15/2014,1155,1209,900", rows[first.size() + 3].substr(0, 36));
        EXPECT_EQ(emptyWindowStatistics(kCasetableVariant),
                  columnRange(fieldsOf(rows[first.size()]), testCase::SourceStrength, testCase::WindDirection));
    }
}

// ================================================================ absurd minutes

TEST(BadInputMinutes, CaseLinesWithAbsurdMinutesGiveCompleteRows) {
    for (const Program program : kBoth) {
        SCOPED_TRACE(programName(program));
        const RunResult r = runChanged(
            program,
            fenceCasesAre({{-4, 630}, {630, 660}, {130800, 130810}, {-2147483647 - 1, 2147483647}, {2147483647, -5}}));
        EXPECT_EQ(0, r.status);
        expectOnlyKnownMessages(r.console);
        expectCompleteRows(r.table, program, true);
        EXPECT_GE(rowsOf(r.table).size(), 2u);
    }
}

// ================================================================ 20 Hz data

// Logger text at 20 Hz (one line every 0.05 s) for minutes [from, to) of 15 August.
std::string twentyHertz(int from, int to) {
    LoggerText text(kPlainHeader, kFixedValues);
    for (int m = from; m < to; ++m)
        for (int k = 0; k < 1200; ++k) text.line(loggerStamp(15, m, k / 20.0, 2014, 2), k, sampleAt(m, k));
    return text.text();
}

// The statistics columns of a 20 Hz window of minutes [from, to).
std::vector<std::string> statisticsOf(int from, int to, const MeasurementCase& c, const ProgramVariant& variant) {
    SampleBuffer buffer(16);
    appendTreeSamples(buffer, from, to, 1200, 1);
    return printedStatistics(buffer, c, variant);
}

TEST(BadInputCapacity, TwentyHertzDataOverflowingTheNominalCapacityLoseNoSample) {
    TempDir root;
    // casetable: 36000 samples per 30-minute sub-window (nominal 18000); fieldjoin: one
    // window of 210 minutes, 252000 samples (nominal 240000).
    writeMeasurements(root.path(), true, true, measurementText(14, {{600, 810}}));
    writeStation(root.path(), "s.txt", stationText(15));
    writeLogger(root.path(), true, "B", twentyHertz(600, 811));
    {
        SCOPED_TRACE("casetable");
        TempDir work;
        const RunResult r = runProgram(Program::Casetable, root.path(), work.path());
        EXPECT_EQ(prompts(), r.console);
        const auto rows = rowsOf(r.table);
        ASSERT_EQ(7u, rows.size());
        for (int i = 0; i < 7; ++i) {
            SCOPED_TRACE(i);
            const int begin = 600 + 30 * i;
            MeasurementCase c = measurementTextReadings(kCasetableVariant);
            c.BeginMinute = begin;
            const auto f = fieldsOf(rows[static_cast<std::size_t>(i)]);
            EXPECT_EQ(std::to_string(begin + 29), f[testCase::EndMinute]);
            EXPECT_EQ(statisticsOf(begin, begin + 30, c, kCasetableVariant),
                      columnRange(f, testCase::SourceStrength, testCase::WindDirection));
        }
    }
    {
        SCOPED_TRACE("fieldjoin");
        TempDir work;
        const RunResult r = runProgram(Program::Fieldjoin, root.path(), work.path());
        EXPECT_EQ(prompts(), r.console);
        const auto rows = rowsOf(r.table);
        ASSERT_EQ(1u, rows.size());
        EXPECT_EQ("15,600,809,8/15/2014,1000,1329", rows[0].substr(0, 30));
        EXPECT_EQ(statisticsOf(600, 810, measurementTextReadings(kFieldjoinVariant), kFieldjoinVariant),
                  columnRange(fieldsOf(rows[0]), wholeData::SourceStrength, wholeData::TsStd));
    }
}

// ================================================================ killed mid-way

int completeLines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

TEST(BadInputKill, RunKilledMidWayLeavesCompleteRowsOnly) {
    if (std::string(kFieldjoinBinary).empty()) GTEST_SKIP() << "the fieldjoin binary's path was not built in";
    // A whole day of 10 Hz data (55 MB) and a case every 5 minutes: 287 rows, the last
    // case stays open at the end of the day's file.
    TempDir root;
    std::vector<std::pair<int, int>> cases;
    for (int m = 0; m < 1440; m += 5) cases.emplace_back(m, m + 5);
    writeMeasurements(root.path(), true, true, measurementText(14, cases));
    writeStation(root.path(), "s.txt", stationText(15));
    writeLogger(root.path(), true, "2014_08_15", loggerText(15, 0, 1440, 1));
    TempDir referenceWork;
    const RunResult reference = runProgram(Program::Fieldjoin, root.path(), referenceWork.path());
    const std::vector<std::string> referenceLines = linesOf(reference.table);
    ASSERT_EQ(2u + 287u, referenceLines.size());

    // After the day, subdirectories whose logger files are named pipes: each is refused,
    // and with the console a small pipe the run stops there, alive, having written every row
    // of the day. Until the kill it can never end on its own.
    pipeSubdirectories(root.path(), "2014_08_16_");
    const fs::path table = tableName(Program::Fieldjoin);
    const auto deadline = [] { return std::chrono::steady_clock::now() + std::chrono::seconds(120); };

    for (const bool whenBlocked : {false, true}) {
        SCOPED_TRACE(whenBlocked ? "killed while it waits at the full console"
                                 : "killed as soon as the first row is there");
        TempDir work;
        ChildOptions options;
        options.consolePipe = true;
        int linesAtKill = 0;
        bool consoleFull = false;
        options.whileRunning = [&](pid_t pid, const ConsoleOutput& console) {
            const int wanted = whenBlocked ? static_cast<int>(referenceLines.size()) : 3;
            const auto until = deadline();
            while (std::chrono::steady_clock::now() < until) {
                const int lines = completeLines(readFile(work.path() / table));
                if (lines >= wanted && (!whenBlocked || console.full())) {
                    linesAtKill = lines;
                    consoleFull = console.full();
                    break;
                }
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
            kill(pid, SIGKILL);
        };
        const ChildResult child = runBinary(kFieldjoinBinary, root.path(), work.path(), "1 1\n", options);
        EXPECT_FALSE(child.exited);
        EXPECT_EQ(SIGKILL, child.signal);
        const std::string text = readFile(work.path() / table);
        ASSERT_FALSE(text.empty());
        EXPECT_EQ('\n', text.back()) << "a row cut short";
        const std::vector<std::string> lines = linesOf(text);
        RecordProperty(whenBlocked ? "linesWhenKilledAtThePipe" : "linesWhenKilledEarly",
                       static_cast<int>(lines.size()));
        EXPECT_GE(static_cast<int>(lines.size()), linesAtKill) << "rows written before the kill are kept";
        EXPECT_GE(lines.size(), 3u);
        ASSERT_LE(lines.size(), referenceLines.size());
        for (std::size_t i = 0; i < lines.size(); ++i) {
            ASSERT_EQ(84u, fieldsOf(lines[i]).size()) << "line " << i + 1;
            ASSERT_EQ(referenceLines[i], lines[i]) << "line " << i + 1;
        }
        if (whenBlocked) {
            EXPECT_TRUE(consoleFull);
            EXPECT_EQ(referenceLines.size(), lines.size());
            // The day's file read to its end, then the pipes refused one by one.
            const std::string day = prompts() + lineCount(1440 * 600);
            ASSERT_EQ(day, child.console.substr(0, day.size()));
            for (const std::string& line : linesOf(child.console.substr(day.size()))) ASSERT_EQ(kFailToOpenFile, line);
        }
    }
}

}  // namespace
}  // namespace field
