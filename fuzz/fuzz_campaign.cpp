// The campaign file reader: any text gives a campaign whose indexes hold
// together, or a CampaignError; never another exception, a crash or a hang.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "fuzz_support.hpp"
#include "input/campaign_file.hpp"

namespace {

// The facts the readers index by: every one inside the field.
bool holdsTogether(const field::Campaign& c) {
    if (c.fields.empty() || c.materials.empty()) return false;
    for (const field::FieldLayout& f : c.fields) {
        const int count = f.samplerCount();
        const auto deposition = static_cast<int>(f.deposition.size());
        if (deposition < 1 || f.sourcePointSampler < 0 || f.sourcePointSampler >= deposition) return false;
        for (const field::DepositionRing& ring : f.rings)
            for (const int s : ring.atBearing)
                if (s < 0 || s >= deposition) return false;
        if (f.mast.size() < 2) return false;
        for (const field::MastLevel& level : f.mast)
            if (level.sampler < deposition || level.sampler >= count || !(level.height > 0)) return false;
        if (f.measurementResultPaths.size() != c.materials.size() || !f.windDirectory.ends_with('\\')) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const field::CampaignPtr campaign = field::readCampaign(field::fuzzing::asText(data, size), "fuzz.toml");
        if (!holdsTogether(*campaign)) {
            std::fprintf(stderr, "a campaign was read whose indexes do not hold together\n");
            std::abort();
        }
    } catch (const field::CampaignError&) {
        // a refused file: what every bad text must give
    } catch (const std::exception& e) {
        std::fprintf(stderr, "not a CampaignError: %s\n", e.what());
        std::abort();
    }
    return 0;
}
