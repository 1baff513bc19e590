#include "platform/file_open.hpp"

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <cerrno>
#include <string>
#include <utility>

#include "platform/system_reason.hpp"
#include "platform/utf8_windows.hpp"

namespace field {

std::FILE* openForReading(const std::string& localPath, std::string& reason) {
    // Devices ("NUL", "CON") and pipes are no data files: refused before they are opened.
    struct _stat64 st {};
    if (_wstat64(widen(localPath).c_str(), &st) != 0) {
        reason = systemReason(errno);
        return nullptr;
    }
    if ((st.st_mode & _S_IFMT) != _S_IFREG) {
        reason = kNotARegularFile;
        return nullptr;
    }
    // Binary mode keeps the reader's own CR LF handling and block reads fast.
    std::FILE* f = _wfopen(widen(localPath).c_str(), L"rb");
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

std::FILE* createForTable(const std::string& localPath, std::string& reason) {
    // Opened without truncation: a table another run is writing must not be
    // emptied before its lock has been asked for.
    const int fd =
        _wopen(widen(localPath).c_str(), _O_WRONLY | _O_CREAT | _O_TEXT | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        reason = systemReason(errno);
        return nullptr;
    }
    const auto refuse = [&](std::string text) -> std::FILE* {
        _close(fd);
        reason = std::move(text);
        return nullptr;
    };
    struct _stat64 st {};
    if (_fstat64(fd, &st) != 0) return refuse(systemReason(errno));
    if ((st.st_mode & _S_IFMT) == _S_IFREG) {
        const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
        OVERLAPPED whole{};
        if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole)) {
            // Windows does not say which process holds a lock.
            if (GetLastError() == ERROR_LOCK_VIOLATION) return refuse("in use by another run");
        }
        if (_chsize_s(fd, 0) != 0) return refuse(systemReason(errno));
    }
    // Text mode: the C runtime writes each "\n" of a row as CR LF, as Windows
    // tools expect of a text table.
    std::FILE* f = _fdopen(fd, "w");
    if (f == nullptr) return refuse(systemReason(errno));
    // Unbuffered: a row that fails leaves nothing behind in a buffer that a
    // later flush or close would write after the file was cut back.
    std::setvbuf(f, nullptr, _IONBF, 0);
    reason.clear();
    return f;
}

bool isExistingDirectory(const std::string& localPath) {
    struct _stat64 st {};
    return _wstat64(widen(localPath).c_str(), &st) == 0 && (st.st_mode & _S_IFMT) == _S_IFDIR;
}

std::int64_t fileSize(const std::string& localPath) {
    struct _stat64 st {};
    return _wstat64(widen(localPath).c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

// The C runtime opens files without delete sharing: neither the table nor its
// folder can be removed while the table is open.
bool isStillAtPath(std::FILE*, const std::string&) { return true; }

std::int64_t tablePosition(std::FILE* table) { return _ftelli64(table); }

bool cutTable(std::FILE* table, std::int64_t size) {
    return _chsize_s(_fileno(table), size) == 0 && _fseeki64(table, size, SEEK_SET) == 0;
}

}  // namespace field
