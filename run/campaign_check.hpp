#pragma once
// --check-campaign: the campaign's input files and folders looked up under the
// data root, field by field and material by material, without writing a table.

#include <ostream>

#include "input/campaign.hpp"
#include "platform/windows_path.hpp"

namespace field {

/// Writes what is found of `campaign`'s inputs through `paths` to `out`: per field its
/// wind-data folder (with its day folders that hold a logger file) and each material's
/// measurement-result file (with its cases), then the station folder. 0 when everything is
/// there, 1 when something is missing.
int checkCampaign(const Campaign& campaign, const PathMapper& paths, std::ostream& out);

}  // namespace field
