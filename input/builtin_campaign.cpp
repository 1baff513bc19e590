// The 2014 campaign, compiled in from input/campaign_2014.toml (the build writes it into
// builtin_campaign_text.hpp as a string).

#include "builtin_campaign_text.hpp"
#include "input/campaign_file.hpp"

namespace field {

CampaignPtr builtInCampaign() {
    // Read once, on first use, and never changed: every run shares it.
    static const CampaignPtr campaign = readCampaign(kBuiltInCampaignText, "built in");
    return campaign;
}

}  // namespace field
