#pragma once
// An output text table written row by row: each row leaves in one write and
// is flushed at once, so a run that stops early leaves complete rows only.
// Every write is checked: the first one that fails (a full disk, a file-size
// limit, a vanished device) puts the table in a failed state, keeps the
// system's reason and cuts the file back to its last complete row.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace field {

/// The reason a table fails with once it is no longer the file at its path.
inline constexpr std::string_view kRemovedWhileWritten = "removed while being written";

class TableFile {
public:
    TableFile() = default;
    TableFile(const TableFile&) = delete;
    TableFile& operator=(const TableFile&) = delete;
    ~TableFile() { close(); }

    /// Creates (or empties) the local file, in text mode on Windows ("\n" becomes CR LF), locked
    /// against other runs until closed; false when it cannot be created or another run holds
    /// it (then error() tells why; failed() stays false).
    bool create(const std::string& localPath);
    bool isOpen() const { return file_ != nullptr; }
    /// Writes one complete row (the caller supplies the line end) and flushes it; false when the
    /// table is not open, has failed before, or the row could not be written whole (then the
    /// file is cut back to the rows before it and the table has failed).
    bool writeRow(std::string_view row);
    /// Closes the file; false when the closing failed or a row had failed before (true when
    /// nothing was open).
    bool close();

    /// Fails the table (reason kRemovedWhileWritten) when it is no longer the file at its path:
    /// the rows would reach no file anyone can open. False once the table has failed.
    bool checkStillAtPath();

    /// Rows that reached the file (header rows included) since the last create.
    std::int64_t rows() const { return rows_; }
    /// True once a row or the closing of a created table failed; reset by the next create.
    bool failed() const { return failed_; }
    /// The local path given to the last create.
    const std::string& path() const { return path_; }
    /// The system's reason why create failed or why the table failed ("No space left on
    /// device"), the first one; empty while none.
    const std::string& error() const { return error_; }

private:
    void fail(int errorNumber);
    void fail(std::string reason);

    std::FILE* file_ = nullptr;
    std::string path_;
    std::string error_;
    std::int64_t completeSize_ = 0;  // the file's size after its last complete row
    std::int64_t rows_ = 0;
    bool failed_ = false;
};

/// A table file and the buffer its rows are put together in (reused from row to row).
struct TableRows {
    TableFile file;
    std::string row;
};

}  // namespace field
