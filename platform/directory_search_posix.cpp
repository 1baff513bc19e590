#include "platform/directory_search.hpp"

#include <dirent.h>
#include <sys/stat.h>

#include "platform/wildcard.hpp"

namespace field {
std::vector<DirectoryEntry> listDirectory(const std::string& localDirectory, std::string_view pattern) {
    std::vector<DirectoryEntry> entries;
    std::string directory = localDirectory;
    while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
    DIR* dir = opendir(directory.empty() ? "." : directory.c_str());
    if (dir == nullptr) return entries;
    while (const dirent* d = readdir(dir)) {
        std::string_view name(d->d_name);
        if (!wildcardMatch(pattern, name)) continue;
        DirectoryEntry e;
        e.name = std::string(name);
        std::string full = directory.empty() ? e.name : directory + "/" + e.name;
        struct stat st {};
        e.isDirectory = stat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        entries.push_back(std::move(e));
    }
    closedir(dir);
    sortInSearchOrder(entries);
    return entries;
}

}  // namespace field
