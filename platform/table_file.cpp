#include "platform/table_file.hpp"

#include <cerrno>
#include <utility>

#include "platform/file_open.hpp"
#include "platform/system_reason.hpp"

namespace field {

bool TableFile::create(const std::string& localPath) {
    close();
    path_ = localPath;
    error_.clear();
    failed_ = false;
    completeSize_ = 0;
    rows_ = 0;
    // A table never created is not a failed table: a run goes on without it.
    file_ = createForTable(localPath, error_);
    if (file_ == nullptr && error_.empty()) error_ = systemReason(EIO);
    return file_ != nullptr;
}

bool TableFile::writeRow(std::string_view row) {
    if (file_ == nullptr || failed_) return false;
    errno = 0;
    if (std::fwrite(row.data(), 1, row.size(), file_) == row.size() && std::fflush(file_) == 0) {
        const std::int64_t position = tablePosition(file_);
        if (position >= 0) {
            completeSize_ = position;
            ++rows_;
            return true;
        }
    }
    fail(errno);
    // A row written in part is taken back; where the system cannot cut the file
    // (a device), nothing of the row reached a file anyway.
    cutTable(file_, completeSize_);
    return false;
}

bool TableFile::close() {
    if (file_ != nullptr) {
        checkStillAtPath();
        errno = 0;
        const bool flushed = std::fflush(file_) == 0;
        const int flushError = errno;
        errno = 0;
        const bool closed = std::fclose(file_) == 0;
        file_ = nullptr;
        if (!flushed) {
            fail(flushError);
        } else if (!closed) {
            fail(errno);
        }
    }
    return !failed_;
}

bool TableFile::checkStillAtPath() {
    if (file_ == nullptr || failed_) return !failed_;
    if (isStillAtPath(file_, path_)) return true;
    fail(std::string(kRemovedWhileWritten));
    return false;
}

void TableFile::fail(int errorNumber) {
    // A failure without errno (a short write the C library did not explain) is an I/O error.
    fail(systemReason(errorNumber != 0 ? errorNumber : EIO));
}

void TableFile::fail(std::string reason) {
    if (failed_) return;
    failed_ = true;
    error_ = std::move(reason);
}

}  // namespace field
