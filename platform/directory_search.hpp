#pragma once
// Directory search by wildcard pattern with the start / next / close shape of
// the Windows C runtime's find-first/find-next/find-close. Entries come in a
// stable order: "." and ".." first when they match, then the rest sorted by
// name with ASCII letters folded to upper case, ties by raw bytes, on every
// platform: Windows gives its entries in the file system's order, which is
// sorted on NTFS but the order of creation on the FAT and exFAT cards loggers'
// data arrive on, so its entries are sorted the same way too.
// A search takes its entries when it starts: later changes are not seen.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/windows_path.hpp"

namespace field {

struct DirectoryEntry {
    std::string name;
    bool isDirectory = false;  // follows symbolic links
};

/// Sorts entries in the search order above.
void sortInSearchOrder(std::vector<DirectoryEntry>& entries);

/// Longest pattern text a search accepts (the 260-character buffers of the platform).
inline constexpr std::size_t kMaxPatternLength = 259;

class DirectorySearch {
public:
    explicit DirectorySearch(const PathMapper& paths) : paths_(&paths) {}

    /// Starts a search on "DIR\PATTERN"; false (and closed) when nothing matches,
    /// the directory cannot be read or the pattern is longer than 259 characters.
    bool start(std::string_view windowsPattern);
    /// Moves to the next entry; false when there are no more (the search stays open).
    bool next();
    /// Closes the search; harmless when it is not open.
    void close();

    bool isOpen() const { return open_; }
    /// The entry the search gave last (valid while open and after next() failed).
    const DirectoryEntry& entry() const { return entries_[position_]; }

private:
    const PathMapper* paths_;
    std::vector<DirectoryEntry> entries_;
    std::size_t position_ = 0;
    bool open_ = false;
};

/// Entries of a local directory matching a wildcard pattern, in search order.
std::vector<DirectoryEntry> listDirectory(const std::string& localDirectory, std::string_view pattern);

}  // namespace field
