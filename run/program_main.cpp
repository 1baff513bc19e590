#include "run/program_main.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <exception>
#include <iostream>
#include <mutex>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "platform/process_setup.hpp"
#include "run/campaign_check.hpp"
#include "run/command_line.hpp"
#include "run/data_root.hpp"
#include "run/run_summary.hpp"

namespace field {
namespace {

// Writes `text` with `prefix` before each of its lines.
void writePrefixed(std::ostream& out, std::string_view prefix, std::string_view text) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end == std::string_view::npos ? text.size() : end + 1);
        out << prefix << line;
        if (line.back() != '\n') out << '\n';
        text.remove_prefix(line.size());
    }
    out << std::flush;
}

// One run, with whatever it throws caught at its edge: the reason on standard error and
// status 1, and the tables it leaves hold complete rows only (each row is one write).
int guardedRun(Program program, RunFunction run, const RunStreams& streams, const PathMapper& paths,
               const RunOptions& options) {
    std::string failure;
    try {
        return run(streams, paths, options);
    } catch (const std::exception& e) {
        failure = std::string("the run failed: ") + e.what();
    } catch (...) {
        failure = "the run failed";
    }
    streams.diagnostics << programName(program) << ": " << failure << '\n' << std::flush;
    if (streams.report) {
        streams.report->status = 1;
        streams.report->diagnostics.push_back({"run", {}, {}, failure});
    }
    return 1;
}

// The four runs of the program on the machine's cores, each with its own state and
// streams; each run's messages leave together, prefixed with its field and material.
int runAll(Program program, RunFunction run, const PathMapper& paths, const RunOptions& common, std::ostream& out,
           std::ostream& err, ThreadStarter startThread, std::vector<RunReport>& reports) {
    // Every field with every material, field by field.
    const Campaign& campaign = *common.campaign;
    std::vector<Answers> runs;
    for (std::size_t f = 0; f < campaign.fields.size(); ++f)
        for (std::size_t m = 0; m < campaign.materials.size(); ++m)
            runs.push_back({static_cast<int>(f), static_cast<int>(m)});
    std::vector<int> statuses(runs.size());
    reports.assign(runs.size(), RunReport{});
    std::atomic<std::size_t> nextRun{0};
    // Each run's lines come out once it and every run before it have ended: in the order of
    // the runs, whichever ends first, so a rerun's transcript is the same.
    std::mutex outputLock;
    std::vector<std::string> ended(runs.size()), endedErrors(runs.size());
    std::vector<bool> done(runs.size(), false);
    std::size_t nextToWrite = 0;
    const auto worker = [&] {
        for (std::size_t i = nextRun++; i < runs.size(); i = nextRun++) {
            RunOptions options = common;
            options.answers = runs[i];
            std::istringstream noInput;
            std::ostringstream console, diagnostics;
            RunReport& report = reports[i];
            report.field = campaign.fields[static_cast<std::size_t>(runs[i].field)].name;
            report.material = campaign.materials[static_cast<std::size_t>(runs[i].material)];
            statuses[i] = guardedRun(program, run, RunStreams{noInput, console, diagnostics, &report}, paths, options);
            const std::lock_guard<std::mutex> hold(outputLock);
            ended[i] = console.str();
            endedErrors[i] = diagnostics.str();
            done[i] = true;
            for (; nextToWrite < runs.size() && done[nextToWrite]; ++nextToWrite) {
                const Answers& a = runs[nextToWrite];
                const std::string prefix = "[" + campaign.fields[static_cast<std::size_t>(a.field)].name + " " +
                                           campaign.materials[static_cast<std::size_t>(a.material)] + "] ";
                writePrefixed(out, prefix, std::exchange(ended[nextToWrite], std::string()));
                writePrefixed(err, prefix, std::exchange(endedErrors[nextToWrite], std::string()));
            }
        }
    };
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> workers;
    for (unsigned k = 1; k < std::min<std::size_t>(cores, runs.size()); ++k) {
        try {
            workers.push_back(startThread(worker));
        } catch (const std::system_error&) {
            break;  // the runs no thread takes are run here
        }
    }
    worker();
    for (std::thread& t : workers) t.join();
    // A failed run (1) outweighs a strict one (3).
    if (std::find(statuses.begin(), statuses.end(), 1) != statuses.end()) return 1;
    return *std::max_element(statuses.begin(), statuses.end());
}

// A console whose reader has gone (`| head`) must not stop the tables: its stream just fails
// from there on, and the run says so where it still can.
void reportLostConsole(Program program, std::ostream& out, std::ostream& err) {
    if (!out.fail()) return;
    err << programName(program)
        << ": standard output could not be written to the end (its reader may have gone); the tables are complete\n"
        << std::flush;
}

}  // namespace

int programMain(Program program, RunFunction run, int argc, const char* const* argv, std::istream& in,
                std::ostream& out, std::ostream& err, const PathMapper& environmentPaths, ThreadStarter startThread,
                bool errIsTerminal) {
    CommandLine line = parseCommandLine(program, argc, argv);
    switch (line.action) {
        case CommandLine::Action::Help:
        case CommandLine::Action::Version:
        case CommandLine::Action::PrintCampaign: out << line.text << std::flush; return 0;
        case CommandLine::Action::Error:
            err << programName(program) << ": " << line.text << "\n";
            if (!line.usage.empty()) err << "\n" << line.usage;
            err << std::flush;
            return kExitBadCommandLine;
        case CommandLine::Action::Run:
        case CommandLine::Action::RunAll:
        case CommandLine::Action::CheckCampaign: break;
    }
    PathMapper paths = environmentPaths;
    if (line.dataRoot) {
        std::string note;
        paths = mapDataRoot(environmentPaths, *line.dataRoot, *line.options.campaign, note);
        if (!note.empty()) err << programName(program) << ": " << note << '\n' << std::flush;
    }
    if (line.action == CommandLine::Action::CheckCampaign) return checkCampaign(*line.options.campaign, paths, out);
    // Asked for: from the start; unasked, on a terminal: only a run that lasts. --all draws none,
    // as four runs would draw over each other.
    constexpr double kUnaskedProgressDelay = 2.0;
    if (line.action == CommandLine::Action::Run && line.progress.value_or(errIsTerminal))
        line.options.progressDelay = line.progress ? 0.0 : kUnaskedProgressDelay;
    std::vector<RunReport> reports(1);
    int status = line.action == CommandLine::Action::RunAll
                     ? runAll(program, run, paths, line.options, out, err, startThread, reports)
                     : guardedRun(program, run, RunStreams{in, out, err, &reports[0]}, paths, line.options);
    reportLostConsole(program, out, err);
    if (line.summaryJson) {
        std::string error;
        const std::string json = runSummaryJson(program, *line.options.campaign, reports, status);
        if (!writeRunSummary(*line.summaryJson, json, error)) {
            err << programName(program) << ": " << fileProblem("summary cannot be written", *line.summaryJson, error)
                << '\n'
                << std::flush;
            status = 1;
        }
    }
    return status;
}

int programEntry(Program program, RunFunction run, int argc, char** argv) {
    prepareProcess();  // before std::cin, std::cout or any file is used
    const std::vector<std::string> arguments = programArguments(argc, argv);
    std::vector<const char*> texts;
    for (const std::string& a : arguments) texts.push_back(a.c_str());
    return programMain(program, run, static_cast<int>(texts.size()), texts.data(), std::cin, std::cout, std::cerr,
                       PathMapper::fromEnvironment(), field::startThread, standardErrorIsTerminal());
}

}  // namespace field
