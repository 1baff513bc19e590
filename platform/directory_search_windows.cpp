#include "platform/directory_search.hpp"

#include <io.h>
#include <cstdint>

#include "platform/utf8_windows.hpp"

namespace field {

std::vector<DirectoryEntry> listDirectory(const std::string& localDirectory, std::string_view pattern) {
    std::vector<DirectoryEntry> entries;
    std::string searchText = localDirectory;
    const char last = searchText.empty() ? '\\' : searchText.back();
    if (last != '\\' && last != '/' && last != ':') searchText += '\\';
    searchText += pattern;
    // The C runtime matches the pattern itself (letter case ignored; also
    // against 8.3 short names where a volume keeps them); its order is the file
    // system's, so the entries are sorted as on every platform.
    _wfinddata64i32_t found{};
    const std::intptr_t handle = _wfindfirst64i32(widen(searchText).c_str(), &found);
    if (handle == -1) return entries;
    do {
        DirectoryEntry e;
        e.name = narrow(found.name);
        e.isDirectory = (found.attrib & _A_SUBDIR) != 0;
        entries.push_back(std::move(e));
    } while (_wfindnext64i32(handle, &found) == 0);
    _findclose(handle);
    sortInSearchOrder(entries);
    return entries;
}

}  // namespace field
