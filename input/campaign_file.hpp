#pragma once
// The campaign file: TOML, every key checked (an unknown or misspelt key is an
// error, as is a wrong type or a fact that does not hold together), each error
// naming the file, line, column and key.

#include <stdexcept>
#include <string>
#include <string_view>

#include "input/campaign.hpp"

namespace field {

/// A campaign file that cannot be used; what() is "FILE:LINE:COLUMN: KEY: reason".
class CampaignError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The campaign of TOML `text`, read from `sourceName` (for messages); throws CampaignError.
CampaignPtr readCampaign(std::string_view text, const std::string& sourceName);

/// The campaign in the file at the local path `path`; throws CampaignError (also when it cannot be read).
CampaignPtr loadCampaignFile(const std::string& path);

/// The 2014 campaign, built into the programs (read once, shared by every run).
CampaignPtr builtInCampaign();

}  // namespace field
