#pragma once
// A run's field and material of the campaign, and what follows from them: the
// input paths, the output table's name and the sampler counts of the field.

#include <cstdint>
#include <string>

#include "input/campaign.hpp"
#include "input/program_variant.hpp"

namespace field {

struct RunConfiguration {
    CampaignPtr campaign;               // never null
    int Field = 0;                      // index of the campaign's field
    int Material = 0;                   // index of the campaign's material
    std::string WindDirectory;          // Windows path text, ends with a backslash
    std::string MeasurementResultPath;  // Windows path text
    std::string OutputFileName;         // bare name, created in the working directory
    std::int32_t SamplerCount = 0;
    std::int32_t DepositionCount = 0;     // fieldjoin only
    std::int32_t ConcentrationCount = 0;  // fieldjoin only

    const FieldLayout& layout() const { return campaign->fields[static_cast<std::size_t>(Field)]; }
    const std::string& fieldName() const { return layout().name; }
    const std::string& materialName() const { return campaign->materials[static_cast<std::size_t>(Material)]; }
};

/// The configuration of field `fieldIndex` and material `materialIndex` of `campaign` (both in range).
RunConfiguration makeRunConfiguration(CampaignPtr campaign, int fieldIndex, int materialIndex, Program program);

}  // namespace field
