#pragma once
// A campaign: one season of the experiment at one site. Where its files lie,
// its fields with every sampler in the order of a measurement-result block,
// the source strength's rings and mast, the wind profile's facts and the
// calendar of its day indexes. Read from a campaign file (campaign_file.hpp)
// or built in (the 2014 campaign); never changed once read.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "input/day_index.hpp"

namespace field {

/// A sampler's id (prefix of its column names) and position in metres from the source point.
struct SamplerSite {
    std::string id;
    double x = 0, y = 0, z = 0;
};

/// One level of the source mast: its sampler (block index), height and the layer of air it stands for.
struct MastLevel {
    int sampler = 0;
    double height = 0;
    double layer = 0;
};

/// A deposition ring of the mass balance: its radius and the deposition sampler at 0, 90, 180
/// and 270 degrees (indexes of the case's deposition readings).
struct DepositionRing {
    double radius = 0;
    std::array<int, 4> atBearing{};
};

/// The rules of the quality table's flag and spike screening (defaults from the literature; see
/// the README). Shares in % of a window's samples, gaps in % of the window's length.
struct QualityRules {
    double coverageFlag1 = 80;  // coverage below this: flag 1 at least
    double coverageFlag2 = 50;  // below this: flag 2
    double gapFlag1 = 10;       // a gap longer than this share of the window: flag 1 at least
    double gapFlag2 = 100.0 / 3.0;
    double spikeShareFlag1 = 0.01;    // spikes of a series above this share: flag 1 at least
    double spikeShareFlag2 = 1;       // above this: flag 2
    double spikeWindowMinutes = 5;    // the moving window of the screening
    double spikeThreshold = 5;        // standard deviations, first pass
    double spikeThresholdStep = 0.1;  // added after each pass
    int spikePasses = 10;             // at most
    int spikeMaxRun = 3;              // longer runs beyond are taken as real changes
    double windLimit = 50;            // m/s: |u|, |v|, |w| beyond it is no measurement

    // The source strength's uncertainty interval: draws of its inputs, log-normal factors as
    // one geometric standard deviation, and the relative half-width that raises the flag.
    int intervalDraws = 1000;            // 0: no interval
    int intervalSeed = 2014;             // the draws are the same for every window of every run
    double roughnessLengthFactor = 1.5;  // z0
    double canopyHeightFactor = 1.5;     // h
    double mastReadingFactor = 1.2;      // each mast level's concentration
    double sourceSpreadFlag1 = 50;       // %: a wider interval gives flag 1 at least
};

/// Sets the rule named `name` (as the campaign file's [quality] table names it) to `value`;
/// false with the reason in `error` for an unknown name or a value out of its range.
bool setQualityRule(QualityRules& rules, std::string_view name, double value, std::string& error);

/// Why the rules do not hold together (a flag-1 limit beyond its flag-2 limit); empty when they do.
std::string qualityRulesProblem(const QualityRules& rules);

/// The names setQualityRule knows, in the order of the campaign file.
const std::vector<std::string_view>& qualityRuleNames();

struct FieldLayout {
    std::string name;               // used by --field; ends the names of the field's files
    std::string windDirectory;      // Windows path text, ends with a backslash
    std::string loggerFilePattern;  // the logger file of a day folder ("*_data.DAT", matched ignoring case)
    std::vector<std::string> measurementResultPaths;  // by material (Windows path text)
    std::vector<std::string> wholeDataTables;         // by material: fieldjoin's table names
    std::vector<std::string> testCaseTables;          // by material: casetable's table names
    std::vector<SamplerSite> deposition;              // readings in field 8, first in the block
    std::vector<SamplerSite> concentration;           // readings in field 9, after the deposition samplers
    int sourcePointSampler = 0;                       // block index of the deposition sampler at the source point
    std::vector<MastLevel> mast;                      // top first, in block order
    std::array<DepositionRing, 2> rings{};            // inner first
    double balanceLength = 0;
    std::optional<double> sonicHeight;   // m above the displacement height (ITC test)
    std::optional<double> sampleRateHz;  // the logger's nominal rate; none: found from the time steps

    /// Lines of one measurement-result block: one per sampler.
    int samplerCount() const { return static_cast<int>(deposition.size() + concentration.size()); }
    /// True when the sampler at `blockIndex` reads deposition (else concentration).
    bool isDeposition(int blockIndex) const { return blockIndex < static_cast<int>(deposition.size()); }
    /// The sampler on block line `blockIndex` (0 = the block's first line).
    const SamplerSite& sampler(int blockIndex) const {
        return isDeposition(blockIndex) ? deposition[static_cast<std::size_t>(blockIndex)]
                                        : concentration[static_cast<std::size_t>(blockIndex) - deposition.size()];
    }
    /// The mast level of the sampler at `blockIndex`, or -1.
    int mastLevelOf(int blockIndex) const;
    /// True when the sampler at `blockIndex` stands on a deposition ring.
    bool isRingSampler(int blockIndex) const;
};

/// Path templates of a campaign, below its data root.
struct CampaignPaths {
    std::string dataRoot;           // "C:\Vantrel": the folder a --data-root stands for
    std::string measurementResult;  // per field and material
    std::string weatherStation;     // the station's folder
    std::string wholeDataTable;     // fieldjoin's table, per field and material (a bare name)
    std::string testCaseTable;      // casetable's table, per field and material (a bare name)
};

/// The facts of the wind profile over the canopy.
struct ProfileSite {
    double canopyHeight = 0;     // h, m
    double roughnessLength = 0;  // z0, m
};

struct Campaign {
    std::string name;
    int year = 0;  // the year casetable accepts in logger timestamps
    DayCalendar calendar;
    std::vector<std::string> materials;  // used by --material
    CampaignPaths paths;
    ProfileSite profile;
    std::optional<double> latitude;  // degrees north (ITC test)
    QualityRules quality;
    std::vector<FieldLayout> fields;
    std::string stationDirectory;  // Windows path text, ends with a backslash
    std::string sourceText;        // the TOML it was read from
    std::string sourceName;        // the file it was read from ("built in" for the 2014 campaign)

    /// The index of the field or material named `name`, or -1.
    int fieldIndex(std::string_view name) const;
    int materialIndex(std::string_view name) const;
};

using CampaignPtr = std::shared_ptr<const Campaign>;

/// `name` with its first letter capitalised (ASCII): "seed" gives "Seed".
std::string capitalised(std::string_view name);

}  // namespace field
