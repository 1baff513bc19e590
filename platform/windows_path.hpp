#pragma once
// The programs keep Windows path texts ("C:\dir\file"). On Windows these are
// the local paths as they are. On POSIX a drive path maps below a mount root:
// "X:\a\b" -> "<root>/x/a/b". Windows paths are not case-sensitive, so there a
// component missing with its exact spelling is looked up ignoring ASCII case
// (the first match in listing order wins). A mapper given a root moves drive
// paths below it on Windows too ("<root>\x\a\b"), so a data tree can live in
// any folder (the tests keep theirs in temporary ones).

#include <string>
#include <string_view>

namespace field {

class PathMapper {
public:
    /// Mount root under which drive letters appear as lower-case folders; empty gives the
    /// platform's own drives ("/mnt" on POSIX, the paths as they are on Windows).
    explicit PathMapper(std::string mountRoot = {});

    /// The mapper of this process: on POSIX DRIVE_MOUNT_ROOT ("/mnt" when unset or empty),
    /// on Windows the paths as they are.
    static PathMapper fromEnvironment();

    /// Puts the local folder `dataRoot` where the Windows folder `replacedFolder` (such as
    /// "C:\Data") stands: paths below it map below `dataRoot`, components found as above.
    void setDataRoot(std::string dataRoot, std::string replacedFolder);

    /// Local path of a Windows path text; relative texts stay relative.
    std::string toLocal(std::string_view windowsPath) const;

private:
    /// The rest of `windowsPath` behind the replaced folder, or false when it does not lie below it.
    bool belowDataRoot(std::string_view windowsPath, std::string_view& rest) const;

    std::string mountRoot_;
    std::string dataRoot_;
    std::string replacedFolder_;
};

}  // namespace field
