#pragma once
// Permission checks that root would pass: when the tests run as root, the check
// runs in a child process switched to user nobody. POSIX only.

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace field::testing {

enum class Unprivileged { Passed, Failed, CannotSwitch };

/// Runs `check` as an unprivileged user: here when this process is not root, else in a child
/// switched to user nobody (65534).
inline Unprivileged runUnprivileged(const std::function<bool()>& check) {
    if (geteuid() != 0) return check() ? Unprivileged::Passed : Unprivileged::Failed;
    const pid_t pid = fork();
    if (pid < 0) return Unprivileged::CannotSwitch;
    if (pid == 0) {
        const uid_t nobody = 65534;
        if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0) _exit(2);
        _exit(check() ? 0 : 1);
    }
    int status = 0;
    if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return Unprivileged::Failed;
    if (WEXITSTATUS(status) == 2) return Unprivileged::CannotSwitch;
    return WEXITSTATUS(status) == 0 ? Unprivileged::Passed : Unprivileged::Failed;
}

}  // namespace field::testing
