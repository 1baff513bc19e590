#pragma once
// Opening local files the way each platform's programs do: input always in
// binary (the line reader handles CR LF itself), tables in text mode where
// the platform has one. Only regular files are read: a named pipe, a device
// or a socket where a data file is expected is refused without blocking.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace field {

/// The reason given for a path that exists but is no regular file (pipe, device, directory, socket).
inline constexpr std::string_view kNotARegularFile = "not a regular file";

/// Opens a local regular file for binary reading, never blocking; nullptr when it cannot be
/// opened or is not a regular file, with the system's reason (or kNotARegularFile) in `reason`.
std::FILE* openForReading(const std::string& localPath, std::string& reason);

/// Opens a local regular file for binary reading; nullptr when it cannot be opened or is not a regular file.
std::FILE* openForReading(const std::string& localPath);

/// Creates (or empties) a local file for table rows, unbuffered (each fwrite reaches the system at once);
/// on Windows in text mode, so "\n" becomes CR LF. The file is locked for writing until it is closed
/// and emptied only once the lock is held: a table that another run holds is left as it is.
/// nullptr when it cannot be created or is held, with the reason in `reason`.
std::FILE* createForTable(const std::string& localPath, std::string& reason);

/// True when the local path names a folder (links followed).
bool isExistingDirectory(const std::string& localPath);

/// The size in bytes of the local file (links followed); -1 when there is none.
std::int64_t fileSize(const std::string& localPath);

/// True while `table` is still the file at `localPath` (not removed, renamed or replaced, nor its
/// folder); also true where the platform cannot tell or keeps open files from being removed.
bool isStillAtPath(std::FILE* table, const std::string& localPath);

/// The position of a table file opened by createForTable (its size while only appended to); -1 when unknown.
std::int64_t tablePosition(std::FILE* table);

/// Cuts a table file opened by createForTable back to `size` bytes; false when the system refuses.
bool cutTable(std::FILE* table, std::int64_t size);

}  // namespace field
