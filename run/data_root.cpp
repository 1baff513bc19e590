#include "run/data_root.hpp"

#include "platform/file_open.hpp"

namespace field {
namespace {

// True when any input of the campaign lies where `paths` puts it.
bool holdsInputs(const PathMapper& paths, const Campaign& campaign) {
    if (isExistingDirectory(paths.toLocal(campaign.stationDirectory))) return true;
    for (const FieldLayout& f : campaign.fields) {
        if (isExistingDirectory(paths.toLocal(f.windDirectory))) return true;
        for (const std::string& m : f.measurementResultPaths)
            if (fileSize(paths.toLocal(m)) >= 0) return true;
    }
    return false;
}

}  // namespace

PathMapper mapDataRoot(const PathMapper& environment, const std::string& given, const Campaign& campaign,
                       std::string& note) {
    note.clear();
    const std::string& root = campaign.paths.dataRoot;  // "C:\Vantrel"
    const std::string drive = root.substr(0, 2);        // "C:"
    const std::string folder = root.size() > 3 ? root.substr(3) : std::string();
    PathMapper asRoot = environment;  // given stands for C:\Vantrel
    asRoot.setDataRoot(given, root);
    PathMapper holdingIt = environment;  // given holds Vantrel
    holdingIt.setDataRoot(given, drive);
    const PathMapper aboveDrive(given);  // given holds c/Vantrel
    const PathMapper* const levels[] = {&asRoot, &holdingIt, &aboveDrive};
    for (const PathMapper* level : levels)
        if (holdsInputs(*level, campaign)) return *level;
    const char letter = static_cast<char>(root[0] >= 'A' && root[0] <= 'Z' ? root[0] - 'A' + 'a' : root[0]);
    note = "the data root " + given + " holds none of the campaign's inputs (such as " +
           asRoot.toLocal(campaign.fields.front().windDirectory) + "); looked for them in " + given + ", " + given +
           "/" + folder + " and " + given + "/" + std::string(1, letter) + "/" + folder;
    return asRoot;
}

}  // namespace field
