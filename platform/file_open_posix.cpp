#include "platform/file_open.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <cerrno>

#include "platform/system_reason.hpp"

namespace field {

std::FILE* openForReading(const std::string& localPath, std::string& reason) {
    // Opening a named pipe blocks until a writer comes and reading a device may
    // never end: both are refused before they are opened. The stat first keeps a
    // FIFO from being opened at all; O_NONBLOCK covers one swapped in after it.
    struct stat st {};
    if (stat(localPath.c_str(), &st) != 0) {
        reason = systemReason(errno);
        return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
        reason = kNotARegularFile;
        return nullptr;
    }
    const int fd = open(localPath.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        reason = systemReason(errno);
        return nullptr;
    }
    const auto refuse = [&](std::string text) -> std::FILE* {
        ::close(fd);
        reason = std::move(text);
        return nullptr;
    };
    if (fstat(fd, &st) != 0) return refuse(systemReason(errno));
    if (!S_ISREG(st.st_mode)) return refuse(std::string(kNotARegularFile));
    // A regular file never blocks; the flag is cleared so reads behave as usual.
    const int flags = fcntl(fd, F_GETFL);
    if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return refuse(systemReason(errno));
    std::FILE* f = fdopen(fd, "rb");
    if (f == nullptr) return refuse(systemReason(errno));
    reason.clear();
    return f;
}

std::FILE* openForReading(const std::string& localPath) {
    std::string reason;
    return openForReading(localPath, reason);
}

std::FILE* createForTable(const std::string& localPath) {
    // POSIX has no text mode: "\n" stays one line feed.
    std::FILE* f = std::fopen(localPath.c_str(), "wb");
    // Unbuffered: a row that fails leaves nothing behind in a buffer that a
    // later flush or close would write after the file was cut back.
    if (f != nullptr) std::setvbuf(f, nullptr, _IONBF, 0);
    return f;
}

std::int64_t tablePosition(std::FILE* table) { return static_cast<std::int64_t>(ftello(table)); }

bool cutTable(std::FILE* table, std::int64_t size) {
    return ftruncate(fileno(table), static_cast<off_t>(size)) == 0 &&
           fseeko(table, static_cast<off_t>(size), SEEK_SET) == 0;
}

}  // namespace field
