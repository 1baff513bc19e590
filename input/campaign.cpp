#include "input/campaign.hpp"

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
