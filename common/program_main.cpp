#include "common/program_main.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <mutex>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "common/command_line.hpp"
#include "common/field_layout.hpp"

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

// The four runs of the program on the machine's cores, each with its own state and
// streams; each run's messages leave together, prefixed with its field and material.
int runAll(RunFunction run, const PathMapper& paths, const RunOptions& common, std::ostream& out, std::ostream& err) {
    constexpr std::array<Answers, 4> kRuns{{{true, true}, {true, false}, {false, true}, {false, false}}};
    std::array<int, 4> statuses{};
    std::atomic<std::size_t> nextRun{0};
    std::mutex outputLock;
    const auto worker = [&] {
        for (std::size_t i = nextRun++; i < kRuns.size(); i = nextRun++) {
            RunOptions options = common;
            options.answers = kRuns[i];
            std::istringstream noInput;
            std::ostringstream console, diagnostics;
            statuses[i] = run(RunStreams{noInput, console, diagnostics}, paths, options);
            const std::string prefix = std::string("[") + (kRuns[i].fenceField ? "fence" : "hill") + " " +
                                       (kRuns[i].seedData ? "seed" : "pollen") + "] ";
            const std::lock_guard<std::mutex> hold(outputLock);
            writePrefixed(out, prefix, console.str());
            writePrefixed(err, prefix, diagnostics.str());
        }
    };
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> workers;
    for (unsigned k = 1; k < std::min<unsigned>(cores, kRuns.size()); ++k) workers.emplace_back(worker);
    worker();
    for (std::thread& t : workers) t.join();
    return *std::max_element(statuses.begin(), statuses.end());
}

}  // namespace

int programMain(Program program, RunFunction run, int argc, const char* const* argv, std::istream& in,
                std::ostream& out, std::ostream& err, const PathMapper& environmentPaths) {
    const CommandLine line = parseCommandLine(program, argc, argv);
    switch (line.action) {
        case CommandLine::Action::Help:
        case CommandLine::Action::Version: out << line.text << std::flush; return 0;
        case CommandLine::Action::Error:
            err << programName(program) << ": " << line.text << "\n\n" << line.usage << std::flush;
            return kExitBadCommandLine;
        case CommandLine::Action::Run:
        case CommandLine::Action::RunAll: break;
    }
    PathMapper paths = environmentPaths;
    if (line.dataRoot) paths.setDataRoot(*line.dataRoot, std::string(kDataRootFolder));
    if (line.action == CommandLine::Action::RunAll) return runAll(run, paths, line.options, out, err);
    return run(RunStreams{in, out, err}, paths, line.options);
}

}  // namespace field
