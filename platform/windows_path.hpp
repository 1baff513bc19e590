#pragma once
// The programs keep Windows path texts ("C:\dir\file"). On POSIX a drive
// path maps below a mount root: "X:\a\b" -> "<root>/x/a/b". Windows paths are
// not case-sensitive, so a component missing with its exact spelling is looked
// up ignoring ASCII case (the first match in listing order wins).

#include <string>
#include <string_view>

namespace field {

class PathMapper {
public:
    /// Mount root under which drive letters appear as lower-case folders.
    explicit PathMapper(std::string mountRoot = "/mnt");

    /// The mapper of this process: DRIVE_MOUNT_ROOT, or "/mnt" when unset or empty.
    static PathMapper fromEnvironment();

    /// Local path of a Windows path text; relative texts stay relative.
    std::string toLocal(std::string_view windowsPath) const;

    const std::string& mountRoot() const { return mountRoot_; }

private:
    std::string mountRoot_;
};

}  // namespace field
