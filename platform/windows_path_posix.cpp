#include "platform/windows_path.hpp"

#include <sys/stat.h>
#include <cstdlib>

#include "platform/directory_search.hpp"
#include "platform/wildcard.hpp"

namespace field {
namespace {

bool exists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// Appends one component, taking the directory's spelling of it when the exact
// one does not exist.
void appendComponent(std::string& path, std::string_view component) {
    std::string candidate = path;
    if (!candidate.empty() && candidate.back() != '/') candidate += '/';
    const std::size_t base = candidate.size();
    candidate += component;
    if (component != "." && component != ".." && !exists(candidate)) {
        const std::string dir = path.empty() ? std::string(".") : path;
        for (const DirectoryEntry& e : listDirectory(dir, "*")) {
            if (equalsIgnoringCase(e.name, component)) {
                candidate.replace(base, std::string::npos, e.name);
                break;
            }
        }
    }
    path = std::move(candidate);
}

}  // namespace

PathMapper::PathMapper(std::string mountRoot) : mountRoot_(std::move(mountRoot)) {
    if (mountRoot_.empty()) mountRoot_ = "/mnt";
}

PathMapper PathMapper::fromEnvironment() {
    const char* root = std::getenv("DRIVE_MOUNT_ROOT");
    return PathMapper(root != nullptr ? root : "");
}

std::string PathMapper::toLocal(std::string_view windowsPath) const {
    std::string path;
    std::string_view rest = windowsPath;
    std::string_view below;
    if (belowDataRoot(windowsPath, below)) {
        path = dataRoot_;
        while (path.size() > 1 && path.back() == '/') path.pop_back();
        rest = below;
    }
    const bool drive = path.empty() && rest.size() >= 2 && rest[1] == ':' &&
                       ((rest[0] >= 'A' && rest[0] <= 'Z') || (rest[0] >= 'a' && rest[0] <= 'z'));
    if (drive) {
        path = mountRoot_;
        while (path.size() > 1 && path.back() == '/') path.pop_back();
        appendComponent(path, std::string(1, static_cast<char>(rest[0] | 0x20)));
        rest.remove_prefix(2);
    } else if (path.empty() && !rest.empty() && (rest[0] == '\\' || rest[0] == '/')) {
        path.assign(1, '/');  // assign(1, c) sidesteps a false -Wrestrict of GCC 12 at -O3
    }
    bool trailing = false;
    while (!rest.empty()) {
        const std::size_t sep = rest.find_first_of("\\/");
        const std::string_view component = rest.substr(0, sep);
        if (!component.empty()) appendComponent(path, component);
        if (sep == std::string_view::npos) break;
        rest.remove_prefix(sep + 1);
        trailing = rest.empty();
    }
    if (trailing && !path.empty() && path.back() != '/') path += '/';
    return path;
}

}  // namespace field
