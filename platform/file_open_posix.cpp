#include "platform/file_open.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>
#include <cerrno>
#include <string>
#include <utility>

#include "platform/system_reason.hpp"

namespace field {
namespace {

// Closes a descriptor that will not become a file and gives the reason back: nullptr.
std::FILE* closeRefusing(int fd, std::string& reason, std::string text) {
    ::close(fd);
    reason = std::move(text);
    return nullptr;
}

}  // namespace

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
    const auto refuse = [&](std::string text) { return closeRefusing(fd, reason, std::move(text)); };
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

std::FILE* createForTable(const std::string& localPath, std::string& reason) {
    // Opened without O_TRUNC: a table another run is writing must not be emptied
    // before its lock has been asked for.
    const int fd = open(localPath.c_str(), O_WRONLY | O_CREAT | O_NOCTTY | O_CLOEXEC, 0666);
    if (fd < 0) {
        reason = systemReason(errno);
        return nullptr;
    }
    const auto refuse = [&](std::string text) { return closeRefusing(fd, reason, std::move(text)); };
    struct stat st {};
    if (fstat(fd, &st) != 0) return refuse(systemReason(errno));
    if (S_ISREG(st.st_mode)) {
        // A record lock, not flock: F_GETLK names the process that holds it. Within one
        // process such locks do not exclude each other; the runs of --all write other tables.
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        if (fcntl(fd, F_SETLK, &lock) != 0) {
            const int error = errno;
            if (error != EACCES && error != EAGAIN) {
                // A file system without locks (some network mounts): the table is written unlocked.
            } else {
                struct flock holder {};
                holder.l_type = F_WRLCK;
                holder.l_whence = SEEK_SET;
                std::string text = "in use by another run";
                if (fcntl(fd, F_GETLK, &holder) == 0 && holder.l_type != F_UNLCK && holder.l_pid > 0)
                    text += ", process " + std::to_string(holder.l_pid);
                return refuse(text);
            }
        }
        if (ftruncate(fd, 0) != 0) return refuse(systemReason(errno));
    }
    // POSIX has no text mode: "\n" stays one line feed.
    std::FILE* f = fdopen(fd, "wb");
    if (f == nullptr) return refuse(systemReason(errno));
    // Unbuffered: a row that fails leaves nothing behind in a buffer that a
    // later flush or close would write after the file was cut back.
    std::setvbuf(f, nullptr, _IONBF, 0);
    reason.clear();
    return f;
}

bool isExistingDirectory(const std::string& localPath) {
    struct stat st {};
    return stat(localPath.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::int64_t fileSize(const std::string& localPath) {
    struct stat st {};
    return stat(localPath.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

bool isStillAtPath(std::FILE* table, const std::string& localPath) {
    struct stat open {
    }, named{};
    if (fstat(fileno(table), &open) != 0) return true;  // cannot tell
    if (!S_ISREG(open.st_mode)) return true;            // a device stays where it is
    if (stat(localPath.c_str(), &named) != 0) return false;
    return open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

std::int64_t tablePosition(std::FILE* table) { return static_cast<std::int64_t>(ftello(table)); }

bool cutTable(std::FILE* table, std::int64_t size) {
    return ftruncate(fileno(table), static_cast<off_t>(size)) == 0 &&
           fseeko(table, static_cast<off_t>(size), SEEK_SET) == 0;
}

}  // namespace field
