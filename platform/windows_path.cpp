#include "platform/windows_path.hpp"

#include <utility>

#include "platform/wildcard.hpp"

namespace field {

void PathMapper::setDataRoot(std::string dataRoot, std::string replacedFolder) {
    while (!replacedFolder.empty() && (replacedFolder.back() == '\\' || replacedFolder.back() == '/'))
        replacedFolder.pop_back();
    dataRoot_ = std::move(dataRoot);
    replacedFolder_ = std::move(replacedFolder);
}

bool PathMapper::belowDataRoot(std::string_view windowsPath, std::string_view& rest) const {
    if (dataRoot_.empty() || replacedFolder_.empty() || windowsPath.size() < replacedFolder_.size()) return false;
    // Windows paths ignore letter case, and "C:\DATA2" does not lie below "C:\Data".
    if (!equalsIgnoringCase(windowsPath.substr(0, replacedFolder_.size()), replacedFolder_)) return false;
    rest = windowsPath.substr(replacedFolder_.size());
    return rest.empty() || rest[0] == '\\' || rest[0] == '/';
}

}  // namespace field
