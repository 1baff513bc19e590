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
/// on Windows in text mode, so "\n" becomes CR LF. nullptr when it cannot be created (errno tells why).
std::FILE* createForTable(const std::string& localPath);

/// The position of a table file opened by createForTable (its size while only appended to); -1 when unknown.
std::int64_t tablePosition(std::FILE* table);

/// Cuts a table file opened by createForTable back to `size` bytes; false when the system refuses.
bool cutTable(std::FILE* table, std::int64_t size);

}  // namespace field
