#include "input/run_configuration.hpp"

#include <utility>

namespace field {

RunConfiguration makeRunConfiguration(CampaignPtr campaign, int fieldIndex, int materialIndex, Program program) {
    RunConfiguration c;
    c.campaign = std::move(campaign);
    c.Field = fieldIndex;
    c.Material = materialIndex;
    const FieldLayout& layout = c.layout();
    const auto material = static_cast<std::size_t>(materialIndex);
    c.WindDirectory = layout.windDirectory;
    c.SamplerCount = layout.samplerCount();
    c.DepositionCount = static_cast<std::int32_t>(layout.deposition.size());
    c.ConcentrationCount = static_cast<std::int32_t>(layout.concentration.size());
    if (program == Program::Casetable) {
        // The test-case program knows only the sampler count.
        c.DepositionCount = 0;
        c.ConcentrationCount = 0;
    }
    c.MeasurementResultPath = layout.measurementResultPaths[material];
    c.OutputFileName =
        program == Program::Fieldjoin ? layout.wholeDataTables[material] : layout.testCaseTables[material];
    return c;
}

}  // namespace field
