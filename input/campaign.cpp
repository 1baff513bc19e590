#include "input/campaign.hpp"

#include <string>

namespace field {

int FieldLayout::mastLevelOf(int blockIndex) const {
    for (std::size_t i = 0; i < mast.size(); ++i)
        if (mast[i].sampler == blockIndex) return static_cast<int>(i);
    return -1;
}

bool FieldLayout::isRingSampler(int blockIndex) const {
    for (const DepositionRing& ring : rings)
        for (const int sampler : ring.atBearing)
            if (sampler == blockIndex) return true;
    return false;
}

namespace {

struct RuleField {
    std::string_view name;
    double QualityRules::*number;
    int QualityRules::*count;
    double low, high;  // the range the value must lie in (inclusive)
};

// clang-format off
constexpr RuleField kRuleFields[] = {
    {"coverage_flag1",        &QualityRules::coverageFlag1,      nullptr, 0, 100},
    {"coverage_flag2",        &QualityRules::coverageFlag2,      nullptr, 0, 100},
    {"gap_flag1",             &QualityRules::gapFlag1,           nullptr, 0, 100},
    {"gap_flag2",             &QualityRules::gapFlag2,           nullptr, 0, 100},
    {"spike_share_flag1",     &QualityRules::spikeShareFlag1,    nullptr, 0, 100},
    {"spike_share_flag2",     &QualityRules::spikeShareFlag2,    nullptr, 0, 100},
    {"spike_window_minutes",  &QualityRules::spikeWindowMinutes, nullptr, 0.1, 1440},
    {"spike_threshold",       &QualityRules::spikeThreshold,     nullptr, 1, 100},
    {"spike_threshold_step",  &QualityRules::spikeThresholdStep, nullptr, 0, 10},
    {"spike_passes",          nullptr, &QualityRules::spikePasses,        1, 100},
    {"spike_max_run",         nullptr, &QualityRules::spikeMaxRun,        1, 1000},
    {"wind_limit",            &QualityRules::windLimit,          nullptr, 1, 1000},
    {"interval_draws",        nullptr, &QualityRules::intervalDraws,      0, 100000},
    {"interval_seed",         nullptr, &QualityRules::intervalSeed,       0, 2147483647},
    {"roughness_length_factor", &QualityRules::roughnessLengthFactor, nullptr, 1, 100},
    {"canopy_height_factor",  &QualityRules::canopyHeightFactor, nullptr, 1, 100},
    {"mast_reading_factor",   &QualityRules::mastReadingFactor,  nullptr, 1, 100},
    {"source_spread_flag1",   &QualityRules::sourceSpreadFlag1,  nullptr, 0, 100000},
};
// clang-format on

std::string numberText(double value) {
    std::string text = std::to_string(value);
    while (text.size() > 1 && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
    return text;
}

}  // namespace

bool setQualityRule(QualityRules& rules, std::string_view name, double value, std::string& error) {
    for (const RuleField& f : kRuleFields) {
        if (f.name != name) continue;
        if (!(value >= f.low && value <= f.high)) {
            error = "must lie between " + numberText(f.low) + " and " + numberText(f.high);
            return false;
        }
        if (f.count) {
            if (value != static_cast<double>(static_cast<int>(value))) {
                error = "must be a whole number";
                return false;
            }
            rules.*(f.count) = static_cast<int>(value);
        } else {
            rules.*(f.number) = value;
        }
        return true;
    }
    error = "unknown quality rule";
    return false;
}

std::string qualityRulesProblem(const QualityRules& r) {
    if (r.coverageFlag2 > r.coverageFlag1) return "coverage_flag2 must not lie above coverage_flag1";
    if (r.gapFlag1 > r.gapFlag2) return "gap_flag1 must not lie above gap_flag2";
    if (r.spikeShareFlag1 > r.spikeShareFlag2) return "spike_share_flag1 must not lie above spike_share_flag2";
    return {};
}

const std::vector<std::string_view>& qualityRuleNames() {
    static const std::vector<std::string_view> names = [] {
        std::vector<std::string_view> n;
        for (const RuleField& f : kRuleFields) n.push_back(f.name);
        return n;
    }();
    return names;
}

int Campaign::fieldIndex(std::string_view fieldName) const {
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == fieldName) return static_cast<int>(i);
    return -1;
}

int Campaign::materialIndex(std::string_view materialName) const {
    for (std::size_t i = 0; i < materials.size(); ++i)
        if (materials[i] == materialName) return static_cast<int>(i);
    return -1;
}

std::string capitalised(std::string_view name) {
    std::string text(name);
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

}  // namespace field
