#pragma once
// What a run is asked to do and where it talks: the answers, the output
// folder, the quality table and the site facts, and the run's streams.

#include <array>
#include <cstdint>
#include <istream>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "input/campaign_file.hpp"
#include "quality/window_quality.hpp"
#include "text/diagnostics.hpp"

namespace field {

/// Facts of the site given on the command line; they win over the campaign's. The ITC test
/// runs only with both for a field.
struct SiteFacts {
    std::map<std::string, double> sonicHeights;  // by field name: m above the displacement height
    std::optional<double> latitude;              // degrees north (south negative)
    std::map<std::string, double> qualityRules;  // --qc NAME=VALUE, checked by setQualityRule

    /// What the quality gets for `field` of `campaign`.
    QualitySite forField(const FieldLayout& field, const Campaign& campaign) const {
        QualitySite site;
        const auto given = sonicHeights.find(field.name);
        site.sonicHeight = given != sonicHeights.end() ? std::optional<double>(given->second) : field.sonicHeight;
        site.latitude = latitude ? latitude : campaign.latitude;
        site.rateHz = field.sampleRateHz;
        site.rules = campaign.quality;
        std::string ignored;  // checked on the command line
        for (const auto& [name, value] : qualityRules) setQualityRule(site.rules, name, value, ignored);
        return site;
    }
};

/// The two answers of the console dialogue, or the --field and --material of the command
/// line: indexes of the campaign's fields and materials.
struct Answers {
    int field = 0;
    int material = 0;
};

/// What a run is asked to do beyond the defaults of the console dialogue.
struct RunOptions {
    CampaignPtr campaign = builtInCampaign();  // never null
    std::optional<Answers> answers;            // none: the two questions are asked on the console
    std::string outputDirectory = ".";
    bool qualityTable = true;
    bool samplerTable = true;  // fieldjoin's sampler table beside its table
    bool strict = false;       // exit status 3 for a run without rows or with data problems
    // The progress line on standard error, drawn from this many seconds into the run; none: no line.
    std::optional<double> progressDelay;
    SiteFacts site;
};

/// What a run did, for the summary of --summary-json.
struct RunReport {
    struct File {
        std::string kind;        // "measurement-result file", "table", "quality table", ...
        std::string path;        // local path
        std::int64_t size = -1;  // inputs: bytes (-1: not found); outputs: data rows
    };
    std::string field, material;
    int status = 0;
    std::vector<File> inputs, outputs;
    std::int32_t casesRead = 0, rowsWritten = 0, windowsWithoutSamples = 0;
    std::optional<std::array<std::int32_t, 3>> rowsByFlag;  // with a quality table
    std::vector<DiagnosticRecord> diagnostics;
};

/// Where a run reads its answers and writes its messages.
struct RunStreams {
    std::istream& in;
    std::ostream& console;        // the programs' own messages (standard output)
    std::ostream& diagnostics;    // problems and the closing summary (standard error)
    RunReport* report = nullptr;  // where the run tells what it did; none: not kept
};

}  // namespace field
