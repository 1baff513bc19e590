#pragma once
// An output text table written row by row: each row leaves in one write and
// is flushed at once, so a run that stops early leaves complete rows only.

#include <cstdio>
#include <string>
#include <string_view>

namespace field {

class TableFile {
public:
    TableFile() = default;
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;
    ~TableFile() { close(); }

    /// Creates (or empties) the local file, in text mode on Windows ("\n" becomes CR LF);
    /// false when it cannot be created.
    bool create(const std::string& localPath);
    bool isOpen() const { return file_ != nullptr; }
    /// True once a row could not be written.
    bool failed() const { return failed_; }
    /// The path given to create.
    const std::string& path() const { return path_; }
    /// The system's reason of the first failure.
    const std::string& error() const { return error_; }
    /// Writes one complete row (the caller supplies the line end) and flushes it.
    /// Does nothing when the table is not open.
    void writeRow(std::string_view row);
    void close();

private:
    std::FILE* file_ = nullptr;
    std::string path_;
    std::string error_;
    bool failed_ = false;
};

}  // namespace field
