#include "platform/process_setup.hpp"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>
#include <cerrno>

namespace field {

void prepareProcess() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
        // open gives the lowest free descriptor: this one, as the lower ones are open by now.
        const int null = open("/dev/null", O_RDWR | O_NOCTTY);
        if (null >= 0 && null != fd) {
            dup2(null, fd);
            close(null);
        }
    }
    // A write beyond `ulimit -f` then fails with EFBIG, and one into a closed pipe with EPIPE.
    signal(SIGXFSZ, SIG_IGN);
    signal(SIGPIPE, SIG_IGN);
}

std::vector<std::string> programArguments(int argc, char** argv) { return {argv, argv + argc}; }

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace field
