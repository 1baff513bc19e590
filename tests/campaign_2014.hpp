#pragma once
// The built-in 2014 campaign as the older tests speak of it: the fence field
// (true) or the hill field, seed (true) or pollen.

#include <stdexcept>
#include <string>

#include "input/campaign_file.hpp"
#include "input/case_window.hpp"
#include "input/measurement_case.hpp"
#include "input/run_configuration.hpp"
#include "wind/source_site.hpp"

namespace field {

/// The built-in campaign.
inline const Campaign& campaign2014() { return *builtInCampaign(); }

/// Its fence (true) or hill field.
inline const FieldLayout& fieldLayout(bool fence) { return campaign2014().fields[fence ? 0 : 1]; }

/// The run configuration of a field and material of the built-in campaign.
inline RunConfiguration configFor(bool fence, bool seed, Program program) {
    return makeRunConfiguration(builtInCampaign(), fence ? 0 : 1, seed ? 0 : 1, program);
}

/// What the logger files of its fence (true) or hill field end with ("_data.DAT").
inline std::string loggerSuffix(bool fence) { return fieldLayout(fence).loggerFilePattern.substr(1); }

/// The built-in campaign's text with the first `from` replaced by `to` (`from` must be there).
inline std::string builtInWith(const std::string& from, const std::string& to) {
    std::string text = campaign2014().sourceText;
    const std::size_t at = text.find(from);
    if (at == std::string::npos) throw std::logic_error("not in the built-in campaign: " + from);
    text.replace(at, from.size(), to);
    return text;
}

/// A case with room for the readings of either built-in field, all 0.
inline MeasurementCase sizedCase2014() {
    MeasurementCase c;
    c.Deposition.assign(17, 0.0f);
    c.Concentration.assign(19, 0.0f);
    c.SourceProfile.assign(5, 0.0f);
    return c;
}

/// The built-in campaign's station folder (Windows path text, ends with a backslash).
inline const std::string& stationDirectory2014() { return campaign2014().stationDirectory; }

/// The source site of the built-in fields (the same for both).
inline const SourceSite& site2014() {
    static const SourceSite site = sourceSiteOf(campaign2014(), fieldLayout(true));
    return site;
}

/// The timestamp rule of the built-in campaign, with or without casetable's year check.
inline TimestampRule rule2014(bool yearCheck) { return {yearCheck, 2014, campaign2014().calendar}; }

}  // namespace field
