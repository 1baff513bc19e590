#pragma once
// What a run is asked to do and where it talks: the answers, the output
// folder, the quality table and the site facts, and the run's streams.

#include <istream>
#include <optional>
#include <ostream>
#include <string>

#include "quality/window_quality.hpp"

namespace field {

/// Facts of the site that the data do not hold; the ITC test runs only with both of a field.
struct SiteFacts {
    std::optional<double> sonicHeightFence;  // m above the displacement height
    std::optional<double> sonicHeightHill;   // m above the displacement height
    std::optional<double> latitude;          // degrees north (south negative)

    /// What the ITC test gets for the field.
    ItcSite forField(bool fenceField) const { return {fenceField ? sonicHeightFence : sonicHeightHill, latitude}; }
};

/// The two answers of the console dialogue.
struct Answers {
    bool fenceField = false;
    bool seedData = false;
};

/// What a run is asked to do beyond the defaults of the console dialogue.
struct RunOptions {
    std::optional<Answers> answers;  // none: the two questions are asked on the console
    std::string outputDirectory = ".";
    bool qualityTable = true;
    bool strict = false;  // exit status 3 for a run without rows or with data problems
    SiteFacts site;
};

/// Where a run reads its answers and writes its messages.
struct RunStreams {
    std::istream& in;
    std::ostream& console;      // the programs' own messages (standard output)
    std::ostream& diagnostics;  // problems and the closing summary (standard error)
};

}  // namespace field
