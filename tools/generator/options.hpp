#pragma once
// The command line: options, their check and the usage text.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "input/campaign_file.hpp"
#include "tools/generator/calendar.hpp"
#include "tools/generator/experiment.hpp"

namespace fieldgen {

struct Options {
    std::filesystem::path root;
    int days = 3;
    int rateHz = 10;
    std::uint64_t seed = 1;
    CivilDate firstDay{};
    int casesPerDay = 3;
    int windowShare = 0;        // % of each day inside the cases' windows; 0: lengths of 30 to 120 minutes
    bool dataProblems = true;   // the deliberate faults of the logger data
    bool listProblems = false;  // print where they were put
    field::CampaignPtr campaign = field::builtInCampaign();  // --campaign FILE, else the 2014 one
    bool firstDayGiven = false;
    // The campaign's fields and materials with the generator's models; filled by parseOptions.
    std::vector<FieldModel> fields;
    std::vector<MaterialModel> materials;

    /// The campaign's day index of `date`.
    int dayIndex(CivilDate date) const {
        return static_cast<int>(campaign->calendar.dayIndex(date.year, date.month, date.day));
    }
};

/// The usage text (also printed with --help).
extern const std::string_view kUsage;

/// Reads the command line into `options`; on failure puts the reason into `error`.
bool parseOptions(int argc, char** argv, Options& options, std::string& error);

/// The calendar dates of the run, first day first.
std::vector<CivilDate> runDates(const Options& options);

}  // namespace fieldgen
