#include "platform/directory_search.hpp"

#include <io.h>
#include <cstdint>

namespace field {

std::vector<DirectoryEntry> listDirectory(const std::string& localDirectory, std::string_view pattern) {
    std::vector<DirectoryEntry> entries;
    std::string searchText = localDirectory;
    const char last = searchText.empty() ? '\\' : searchText.back();
    if (last != '\\' && last != '/' && last != ':') searchText += '\\';
    searchText += pattern;
    // The C runtime matches the pattern itself (letter case ignored; also
    // against 8.3 short names where a volume keeps them) and gives the file
    // system's order, which on NTFS is sorted by name: both are kept.
    _finddata64i32_t found{};
    const std::intptr_t handle = _findfirst64i32(searchText.c_str(), &found);
    if (handle == -1) return entries;
    do {
        DirectoryEntry e;
        e.name = found.name;
        e.isDirectory = (found.attrib & _A_SUBDIR) != 0;
        entries.push_back(std::move(e));
    } while (_findnext64i32(handle, &found) == 0);
    _findclose(handle);
    return entries;
}

}  // namespace field
