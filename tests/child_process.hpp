#pragma once
// The real program as a child process: answers on standard input, the drive
// root in DRIVE_MOUNT_ROOT, optionally another user, arguments, closed standard
// descriptors, a file-size limit, a console pipe that no one drains or whose
// reader has gone, and an action while it runs. POSIX only.

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "test_support.hpp"

extern char** environ;

namespace field::testing {

struct ChildResult {
    bool exited = false;
    int exitStatus = -1;
    int signal = 0;
    std::string console;
    std::string errors;  // standard error
    long maxRssKiB = 0;
};

/// The child's standard output while it runs: a file, or a small pipe that no one drains
/// before the child has ended, so a run that prints more than the pipe holds stops there,
/// alive (no input file can hold a run: pipes and devices are refused).
struct ConsoleOutput {
    std::filesystem::path file;  // empty when the console is a pipe
    int pipe = -1;               // the pipe's read end
    int capacity = 0;

    /// Bytes waiting in the pipe.
    int waiting() const {
        int n = -1;
        return ioctl(pipe, FIONREAD, &n) == 0 ? n : -1;
    }
    /// True once the pipe is so full that the next message blocks its writer.
    bool full() const { return waiting() > capacity - 64; }
};

struct ChildOptions {
    uid_t uid = static_cast<uid_t>(-1);  // run as this user (needs root); -1 keeps the current one
    bool consolePipe = false;            // standard output a one-page pipe (see ConsoleOutput)
    std::function<void(pid_t, const ConsoleOutput& console)> whileRunning;  // then waits for the child
    std::vector<std::string> arguments;                                     // after the program's name
    std::vector<int> closed;               // descriptors (0-2) closed before the program starts
    rlim_t fileSizeLimit = RLIM_INFINITY;  // RLIMIT_FSIZE of the child
    bool consoleReaderGone = false;        // standard output a pipe whose read end is already closed
};

/// Exit status of a child that could not become options.uid.
inline constexpr int kCannotDropPrivileges = 125;
/// Exit status of a child whose user cannot reach the program or the drive root.
inline constexpr int kCannotReach = 124;

/// Reads what is left in a pipe whose writer has ended.
inline std::string drain(int fd) {
    std::string text;
    char block[4096];
    for (ssize_t n; (n = read(fd, block, sizeof block)) > 0;) text.append(block, static_cast<std::size_t>(n));
    return text;
}

/// Runs `binary` in `work` with DRIVE_MOUNT_ROOT=`root` and `answers` on standard input.
inline ChildResult runBinary(const std::string& binary, const std::filesystem::path& root,
                             const std::filesystem::path& work, const std::string& answers,
                             const ChildOptions& options = {}) {
    TempDir io;
    writeFile(io.path() / "stdin", answers);
    const int in = open((io.path() / "stdin").c_str(), O_RDONLY);
    const int err = open((io.path() / "stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ConsoleOutput console;
    int out = -1;
    if (options.consoleReaderGone) {
        int ends[2];
        if (pipe(ends) != 0) {
            ADD_FAILURE() << "pipe failed";
            return {};
        }
        close(ends[0]);
        out = ends[1];
    } else if (options.consolePipe) {
        int ends[2];
        if (pipe(ends) != 0) {
            ADD_FAILURE() << "pipe failed";
            return {};
        }
        console.pipe = ends[0];
        out = ends[1];
        console.capacity = fcntl(out, F_SETPIPE_SZ, 4096);
        EXPECT_GT(console.capacity, 0) << "cannot make the console pipe small";
    } else {
        console.file = io.path() / "stdout";
        out = open(console.file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    }
    std::vector<std::string> environment;
    for (char** e = environ; *e != nullptr; ++e)
        if (std::strncmp(*e, "DRIVE_MOUNT_ROOT=", 17) != 0) environment.emplace_back(*e);
    environment.push_back("DRIVE_MOUNT_ROOT=" + root.string());
    std::vector<char*> envp;
    for (std::string& e : environment) envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string workDirectory = work.string();
    const std::string rootDirectory = root.string();
    std::vector<std::string> arguments{binary};
    arguments.insert(arguments.end(), options.arguments.begin(), options.arguments.end());
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);

    ChildResult result;
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (console.pipe >= 0) ::close(console.pipe);
        for (const int fd : options.closed) ::close(fd);
        const rlimit limit{options.fileSizeLimit, options.fileSizeLimit};
        if (options.fileSizeLimit != RLIM_INFINITY) setrlimit(RLIMIT_FSIZE, &limit);
        // What the program does about these signals is its own doing, not inherited from here.
        signal(SIGPIPE, SIG_DFL);
        signal(SIGXFSZ, SIG_DFL);
        if (chdir(workDirectory.c_str()) != 0) _exit(126);
        if (options.uid != static_cast<uid_t>(-1)) {
            if (setgroups(0, nullptr) != 0 || setgid(options.uid) != 0 || setuid(options.uid) != 0)
                _exit(kCannotDropPrivileges);
            if (access(binary.c_str(), X_OK) != 0 || access(rootDirectory.c_str(), X_OK) != 0) _exit(kCannotReach);
        }
        execve(binary.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(in);
    close(out);
    close(err);
    if (pid < 0) {
        ADD_FAILURE() << "fork failed";
        if (console.pipe >= 0) close(console.pipe);
        return result;
    }
    if (options.whileRunning) options.whileRunning(pid, console);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    result.exited = WIFEXITED(status);
    result.exitStatus = result.exited ? WEXITSTATUS(status) : -1;
    result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    result.maxRssKiB = usage.ru_maxrss;
    if (console.pipe >= 0) {
        result.console = drain(console.pipe);
        close(console.pipe);
    } else if (!console.file.empty()) {
        result.console = readFile(console.file);
    }
    result.errors = readFile(io.path() / "stderr");
    return result;
}

/// A whileRunning that kills a child still running after `seconds` (a run that hangs).
inline std::function<void(pid_t, const ConsoleOutput&)> killAfter(int seconds) {
    return [seconds](pid_t pid, const ConsoleOutput&) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        siginfo_t info{};
        while (std::chrono::steady_clock::now() < until) {
            info.si_pid = 0;
            // WNOWAIT: the child stays to be reaped, with its resource use, by runBinary.
            if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        kill(pid, SIGKILL);
    };
}

/// A copy of a program in a fresh folder of the system's temporary folder that every user
/// may enter, so another user can run it wherever the build lies (a checkout in a
/// private folder cannot be reached by them).
class ReachableCopy {
public:
    explicit ReachableCopy(const std::filesystem::path& program) {
        namespace fs = std::filesystem;
        const fs::perms open = fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                               fs::perms::others_read | fs::perms::others_exec;
        fs::permissions(dir_.path(), open);
        path_ = dir_.path() / program.filename();
        fs::copy_file(program, path_);
        fs::permissions(path_, open);
    }
    std::string path() const { return path_.string(); }

private:
    TempDir dir_;
    std::filesystem::path path_;
};

}  // namespace field::testing
