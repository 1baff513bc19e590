#include "platform/file_open.hpp"

#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <cerrno>

#include "platform/system_reason.hpp"

namespace field {

std::FILE* openForReading(const std::string& localPath, std::string& reason) {
    // Devices ("NUL", "CON") and pipes are no data files: refused before they are opened.
    struct _stat64 st {};
    if (_stat64(localPath.c_str(), &st) != 0) {
        reason = systemReason(errno);
        return nullptr;
    }
    if ((st.st_mode & _S_IFMT) != _S_IFREG) {
        reason = kNotARegularFile;
        return nullptr;
    }
    // Binary mode keeps the reader's own CR LF handling and block reads fast.
    std::FILE* f = std::fopen(localPath.c_str(), "rb");
    if (f == nullptr) {
        reason = systemReason(errno);
        return nullptr;
    }
    if (_fstat64(_fileno(f), &st) != 0 || (st.st_mode & _S_IFMT) != _S_IFREG) {
        std::fclose(f);
        reason = kNotARegularFile;
        return nullptr;
    }
    reason.clear();
    return f;
}

std::FILE* openForReading(const std::string& localPath) {
    std::string reason;
    return openForReading(localPath, reason);
}

std::FILE* createForTable(const std::string& localPath) {
    // Text mode: the C runtime writes each "\n" of a row as CR LF, as Windows
    // tools expect of a text table.
    std::FILE* f = std::fopen(localPath.c_str(), "w");
    // Unbuffered: a row that fails leaves nothing behind in a buffer that a
    // later flush or close would write after the file was cut back.
    if (f != nullptr) std::setvbuf(f, nullptr, _IONBF, 0);
    return f;
}

std::int64_t tablePosition(std::FILE* table) { return _ftelli64(table); }

bool cutTable(std::FILE* table, std::int64_t size) {
    return _chsize_s(_fileno(table), size) == 0 && _fseeki64(table, size, SEEK_SET) == 0;
}

}  // namespace field
