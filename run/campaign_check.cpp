#include "run/campaign_check.hpp"

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/directory_search.hpp"
#include "platform/file_open.hpp"
#include "platform/line_reader.hpp"

namespace field {
namespace {

struct Tally {
    int found = 0;
    int missing = 0;
};

void report(std::ostream& out, Tally& tally, bool found, std::string_view what, const std::string& path,
            const std::string& detail) {
    ++(found ? tally.found : tally.missing);
    out << "  " << (found ? "found  " : "MISSING") << "  " << what << ": " << path;
    if (!detail.empty()) out << " (" << detail << ")";
    out << '\n';
}

// The folders of `windDirectory` and how many of them hold a file matching `pattern`.
std::string windFolders(const std::string& localDirectory, const std::string& pattern, bool& any) {
    int folders = 0, withLogger = 0;
    for (const DirectoryEntry& e : listDirectory(localDirectory, "*")) {
        if (!e.isDirectory || e.name == "." || e.name == "..") continue;
        ++folders;
        if (!listDirectory(localDirectory + "/" + e.name, pattern).empty()) ++withLogger;
    }
    any = withLogger > 0;
    return std::to_string(folders) + " day folders, " + std::to_string(withLogger) + " with a logger file " + pattern;
}

// The cases of a measurement-result file: its lines after the two header lines, in blocks.
std::string caseCount(LineReader& file, int samplerCount) {
    std::int64_t lines = 0;
    std::string_view line;
    while (file.next(line)) ++lines;
    lines = lines >= 2 ? lines - 2 : 0;
    std::string text = std::to_string(lines / samplerCount) + " cases of " + std::to_string(samplerCount) + " lines";
    if (lines % samplerCount != 0)
        text += "; " + std::to_string(lines % samplerCount) + " lines left over: the blocks do not fit the field";
    return text;
}

}  // namespace

int checkCampaign(const Campaign& campaign, const PathMapper& paths, std::ostream& out) {
    out << "campaign: " << campaign.name << " (" << campaign.sourceName << ")\n";
    out << "data root: " << campaign.paths.dataRoot << " is " << paths.toLocal(campaign.paths.dataRoot) << '\n';
    Tally tally;
    for (const FieldLayout& f : campaign.fields) {
        out << "field " << f.name << " (" << f.samplerCount() << " samplers)\n";
        const std::string wind = paths.toLocal(f.windDirectory);
        bool anyLogger = false;
        const bool windFound = isExistingDirectory(wind);
        const std::string windDetail = windFound ? windFolders(wind, f.loggerFilePattern, anyLogger) : "not found";
        report(out, tally, windFound && anyLogger, "wind-data folder", wind, windDetail);
        for (std::size_t m = 0; m < campaign.materials.size(); ++m) {
            const std::string path = paths.toLocal(f.measurementResultPaths[m]);
            LineReader file;
            const bool opened = file.open(path);
            const std::string detail = opened ? caseCount(file, f.samplerCount()) : file.error();
            report(out, tally, opened, campaign.materials[m] + " measurement-result file", path, detail);
        }
    }
    out << "weather station\n";
    const std::string station = paths.toLocal(campaign.stationDirectory);
    const std::size_t files = isExistingDirectory(station) ? listDirectory(station, "*.txt").size() : 0;
    report(out, tally, files > 0, "station folder", station,
           files > 0 ? std::to_string(files) + " station files *.txt" : "no station file *.txt");
    if (tally.missing == 0)
        out << "everything is there: " << tally.found << " inputs\n";
    else
        out << "something is missing: " << tally.missing << " of " << tally.found + tally.missing << " inputs\n";
    out << std::flush;
    return tally.missing == 0 ? 0 : 1;
}

}  // namespace field
