#include "platform/windows_path.hpp"

#include <utility>

namespace field {

PathMapper::PathMapper(std::string mountRoot) : mountRoot_(std::move(mountRoot)) {
    while (mountRoot_.size() > 1 && (mountRoot_.back() == '\\' || mountRoot_.back() == '/')) mountRoot_.pop_back();
}

PathMapper PathMapper::fromEnvironment() {
    // The programs read the drives themselves: no environment setting moves them.
    return PathMapper();
}

std::string PathMapper::toLocal(std::string_view windowsPath) const {
    std::string_view below;
    if (belowDataRoot(windowsPath, below)) {
        std::string path = dataRoot_;
        while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
        if (!below.empty() && below[0] != '\\' && below[0] != '/') path += '\\';
        path += below;
        return path;
    }
    const bool drive =
        windowsPath.size() >= 2 && windowsPath[1] == ':' &&
        ((windowsPath[0] >= 'A' && windowsPath[0] <= 'Z') || (windowsPath[0] >= 'a' && windowsPath[0] <= 'z'));
    if (mountRoot_.empty() || !drive) return std::string(windowsPath);
    // The file system ignores letter case itself, so no component needs looking up.
    std::string path = mountRoot_;
    path += '\\';
    path += static_cast<char>(windowsPath[0] | 0x20);
    const std::string_view rest = windowsPath.substr(2);
    if (!rest.empty() && rest[0] != '\\' && rest[0] != '/') path += '\\';
    path += rest;
    return path;
}

}  // namespace field
