#include "platform/directory_search.hpp"

#include <dirent.h>
#include <sys/stat.h>
#include <algorithm>

#include "platform/wildcard.hpp"

namespace field {
namespace {

// readdir gives no particular order; the programs need the order a Windows
// search gives on NTFS: "." and ".." first, then names folded to upper case.
bool searchOrder(const DirectoryEntry& a, const DirectoryEntry& b) {
    const auto rank = [](const std::string& n) { return n == "." ? 0 : n == ".." ? 1 : 2; };
    const int ra = rank(a.name), rb = rank(b.name);
    if (ra != rb) return ra < rb;
    const std::size_t n = std::min(a.name.size(), b.name.size());
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(foldUpper(a.name[i]));
        const auto cb = static_cast<unsigned char>(foldUpper(b.name[i]));
        if (ca != cb) return ca < cb;
    }
    if (a.name.size() != b.name.size()) return a.name.size() < b.name.size();
    return a.name < b.name;
}

}  // namespace

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
    std::sort(entries.begin(), entries.end(), searchOrder);
    return entries;
}

}  // namespace field
