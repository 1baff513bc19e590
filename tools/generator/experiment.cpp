#include "tools/generator/experiment.hpp"

namespace fieldgen {

std::vector<FieldModel> fieldModels(const field::Campaign& campaign) {
    std::vector<FieldModel> models;
    for (std::size_t i = 0; i < campaign.fields.size(); ++i) {
        const field::FieldLayout& layout = campaign.fields[i];
        const WindModel& wind = kWindModels[i % kWindModels.size()];
        // The 2014 fields' loggers named their files so; another field's files carry its name.
        const std::string prefix = layout.name == "fence" ? "fence_sonic_" : layout.name + "_";
        models.push_back(
            {static_cast<int>(i), &layout, prefix, wind.speedFactor, wind.directionOffset, wind.tiltDegrees});
    }
    return models;
}

std::vector<MaterialModel> materialModels(const field::Campaign& campaign) {
    std::vector<MaterialModel> models;
    for (std::size_t i = 0; i < campaign.materials.size(); ++i) {
        MaterialModel m = kMaterialModels[i % kMaterialModels.size()];
        m.number = static_cast<int>(i);
        m.name = campaign.materials[i];
        models.push_back(m);
    }
    return models;
}

}  // namespace fieldgen
