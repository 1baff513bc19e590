// Whole-program benchmark: runs fieldjoin and casetable on a generated data
// tree and sets their wall time against a memchr line count of the same logger
// files, measured in the same run as a whole process of its own, each program
// run paired with a line count run just before it.
//
// usage: end_to_end_bench --root DIR --bin DIR [--repeat N]
//        end_to_end_bench --count-lines FILE...   (the line count itself)
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "input/run_configuration.hpp"
#include "platform/wildcard.hpp"
#include "platform/windows_path.hpp"
#include "tests/campaign_2014.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Timing {
    double seconds = 0;
    double cpuSeconds = 0;  // user and system, every thread
    long peakKiB = 0;
    bool ok = true;
};

std::vector<std::string> loggerFiles(const std::string& root, bool fence) {
    const field::PathMapper paths(root);
    const auto config = field::configFor(fence, true, field::Program::Fieldjoin);
    const fs::path dir = paths.toLocal(config.WindDirectory);
    std::vector<std::string> files;
    std::error_code ec;
    for (const auto& sub : fs::directory_iterator(dir, ec)) {
        if (!sub.is_directory()) continue;
        for (const auto& f : fs::directory_iterator(sub.path(), ec))
            if (field::wildcardMatch(fence ? "*_data.DAT" : "*_SONIC.DAT", f.path().filename().string()))
                files.push_back(f.path().string());
    }
    return files;
}

// The floor: read every file in 128 KiB blocks (they stay in the L2 cache, and their
// pages are mapped in a few dozen faults) and count line feeds with memchr. The block
// starts on a page, as the page cache's pages do: some processors copy several times
// slower when source and destination stand a few bytes apart within their pages, as
// a block from the heap (16 bytes past a page) does.
double memchrLineCount(const std::vector<std::string>& files, long& lines) {
    constexpr std::size_t kBlock = 128 << 10;
    const std::unique_ptr<char, decltype(&std::free)> buffer(static_cast<char*>(std::aligned_alloc(4096, kBlock)),
                                                             &std::free);
    const std::span<char> block(buffer.get(), kBlock);
    const auto start = Clock::now();
    lines = 0;
    for (const std::string& f : files) {
        const int fd = open(f.c_str(), O_RDONLY);
        if (fd < 0) continue;
        ssize_t got;
        while ((got = read(fd, block.data(), block.size())) > 0) {
            const char* p = block.data();
            const char* end = p + got;
            while (const void* hit = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
                ++lines;
                p = static_cast<const char*>(hit) + 1;
            }
        }
        close(fd);
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs a command in a scratch working directory, its output to /dev/null.
Timing runCommand(const std::vector<std::string>& command, const std::string& work) {
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        const int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, 0);
        dup2(devnull, 1);
        dup2(devnull, 2);
        if (chdir(work.c_str()) != 0) _exit(127);
        std::vector<char*> argv;
        for (const std::string& a : command) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Timing t;
    t.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    t.peakKiB = usage.ru_maxrss;
    const auto secondsOf = [](const timeval& v) {
        return static_cast<double>(v.tv_sec) + 1e-6 * static_cast<double>(v.tv_usec);
    };
    t.cpuSeconds = secondsOf(usage.ru_utime) + secondsOf(usage.ru_stime);
    t.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return t;
}

// The best of `repeat` runs (peak memory the highest seen).
Timing bestOf(int repeat, const std::vector<std::string>& command, const std::string& work) {
    Timing best{1e9, 1e9, 0, true};
    for (int r = 0; r < repeat; ++r) {
        const Timing t = runCommand(command, work);
        best.seconds = std::min(best.seconds, t.seconds);
        best.cpuSeconds = std::min(best.cpuSeconds, t.cpuSeconds);
        best.peakKiB = std::max(best.peakKiB, t.peakKiB);
        best.ok = best.ok && t.ok;
    }
    return best;
}

void printRow(const char* what, const char* field, double bytes, long lines, const Timing& t, double ratio) {
    std::printf("%-26s %-6s %10.1f %8.2f %9.3f %7.3f %8.0f %9.2f", what, field, bytes / 1e6,
                static_cast<double>(lines) / 1e6, t.seconds, t.cpuSeconds, bytes / 1e6 / t.seconds, ratio);
    if (t.peakKiB > 0)
        std::printf(" %9.1f", static_cast<double>(t.peakKiB) / 1024.0);
    else
        std::printf(" %9s", "-");
    std::printf("%s\n", t.ok ? "" : "  FAILED");
}

// The median of a few paired ratios: one slow outlier on a shared machine moves it little.
double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// `repeat` pairs: the line count as its own process, then the command. The ratio of each
// pair cancels the drift of a shared machine; the best times and the median ratio are kept.
struct Paired {
    Timing best;
    double floor = 1e9;
    double ratio = 0;
};
Paired pairedRuns(int repeat, const std::vector<std::string>& lineCount, const std::vector<std::string>& command,
                  const std::string& work) {
    Paired p;
    p.best = Timing{1e9, 1e9, 0, true};
    std::vector<double> ratios;
    for (int r = 0; r < repeat; ++r) {
        const Timing floor = runCommand(lineCount, work);
        const Timing t = runCommand(command, work);
        p.floor = std::min(p.floor, floor.seconds);
        p.best.seconds = std::min(p.best.seconds, t.seconds);
        p.best.cpuSeconds = std::min(p.best.cpuSeconds, t.cpuSeconds);
        p.best.peakKiB = std::max(p.best.peakKiB, t.peakKiB);
        p.best.ok = p.best.ok && t.ok && floor.ok;
        ratios.push_back(t.seconds / floor.seconds);
    }
    p.ratio = median(ratios);
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    // The floor as a whole process of its own, like the programs: start-up counts on both sides.
    if (argc >= 2 && std::string(argv[1]) == "--count-lines") {
        long lines = 0;
        memchrLineCount(std::vector<std::string>(argv + 2, argv + argc), lines);
        return lines > 0 ? 0 : 1;
    }
    std::string root, bin;
    int repeat = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string opt = argv[i];
        if (opt == "--root")
            root = argv[i + 1];
        else if (opt == "--bin")
            bin = argv[i + 1];
        else if (opt == "--repeat")
            repeat = std::max(1, std::atoi(argv[i + 1]));
    }
    if (root.empty() || bin.empty()) {
        std::fprintf(stderr, "usage: end_to_end_bench --root DIR --bin DIR [--repeat N]\n");
        return 2;
    }
    root = fs::absolute(root).string();
    bin = fs::absolute(bin).string();  // the programs run in a scratch working directory
    const std::string self = fs::read_symlink("/proc/self/exe").string();
    const std::string work = (fs::temp_directory_path() / ("end_to_end_bench." + std::to_string(getpid()))).string();
    fs::create_directories(work);

    std::printf(
        "x memchr: the median over %d pairs of (run / memchr line count run just before it), both whole "
        "processes; wall s: the best run\n",
        repeat);
    std::printf("%-26s %-6s %10s %8s %9s %7s %8s %9s %9s\n", "run", "field", "input MB", "lines M", "wall s", "cpu s",
                "MB/s", "x memchr", "peak MiB");
    bool allOk = true;
    const std::string dataRoot = root + "/c/Vantrel";
    std::vector<double> singleRuns(2, 0.0);  // the sum of each program's four single runs, for --all
    std::vector<double> singleCpu(2, 0.0);   // and of their processor time
    for (const bool fence : {true, false}) {
        const auto files = loggerFiles(root, fence);
        double bytes = 0;
        for (const auto& f : files) bytes += static_cast<double>(fs::file_size(f));
        long lines = 0;
        memchrLineCount(files, lines);  // warms the page cache and counts
        std::vector<std::string> lineCount{self, "--count-lines"};
        lineCount.insert(lineCount.end(), files.begin(), files.end());
        const char* fieldName = fence ? "fence" : "hill";
        const Timing floorRun = bestOf(repeat, lineCount, work);
        printRow("memchr line count", fieldName, bytes, lines,
                 Timing{floorRun.seconds, floorRun.cpuSeconds, 0, floorRun.ok}, 1.0);
        std::vector<std::string> cat{"/bin/cat"};
        cat.insert(cat.end(), files.begin(), files.end());
        const Paired catRun = pairedRuns(repeat, lineCount, cat, work);
        printRow("cat", fieldName, bytes, lines, catRun.best, catRun.ratio);
        // Every program and material with the quality table, and the seed runs without it.
        struct Run {
            std::size_t program;
            const char* material;
            bool quality;
        };
        const Run runs[] = {{0, "seed", true}, {0, "pollen", true}, {0, "seed", false},
                            {1, "seed", true}, {1, "pollen", true}, {1, "seed", false}};
        for (const Run& run : runs) {
            const std::string program = run.program == 0 ? "fieldjoin" : "casetable";
            std::vector<std::string> command{bin + "/" + program, "--field", fieldName,      "--material", run.material,
                                             "--data-root",       dataRoot,  "--output-dir", work};
            if (!run.quality) command.push_back("--no-qc");
            const Paired t = pairedRuns(repeat, lineCount, command, work);
            if (run.quality) {
                singleRuns[run.program] += t.best.seconds;
                singleCpu[run.program] += t.best.cpuSeconds;
            }
            allOk = allOk && t.best.ok;
            printRow((program + " " + run.material + (run.quality ? "" : " --no-qc")).c_str(), fieldName, bytes, lines,
                     t.best, t.ratio);
        }
    }
    // The four field and material runs of a program at once, against one single run (their mean).
    for (std::size_t p = 0; p < 2; ++p) {
        const std::string program = p == 0 ? "fieldjoin" : "casetable";
        const Timing t =
            bestOf(repeat, {bin + "/" + program, "--all", "--data-root", dataRoot, "--output-dir", work}, work);
        allOk = allOk && t.ok;
        // The four runs need their processor time at the least, spread over the machine's cores.
        const double cores = std::max(1u, std::thread::hardware_concurrency());
        std::printf(
            "%-26s %-6s %10s %8s %9.3f %7.3f %8s %9s %9.1f   %.2f x one single run (their mean); their "
            "processor time over %.0f cores: %.3f s, %.2f x%s\n",
            (program + " --all").c_str(), "both", "-", "-", t.seconds, t.cpuSeconds, "-", "-",
            static_cast<double>(t.peakKiB) / 1024.0, t.seconds / (singleRuns[p] / 4), cores, singleCpu[p] / cores,
            singleCpu[p] / cores / (singleRuns[p] / 4), t.ok ? "" : "  FAILED");
    }
    fs::remove_all(work);
    return allOk ? 0 : 1;
}
