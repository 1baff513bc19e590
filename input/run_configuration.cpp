#include "input/run_configuration.hpp"

namespace field {

RunConfiguration makeRunConfiguration(bool fenceField, bool seedData, Program program) {
    RunConfiguration c;
    c.FenceField = fenceField;
    c.SeedData = seedData;
    const FieldLayout& layout = fieldLayout(fenceField);
    c.WindDirectory = layout.windDirectory;
    c.SamplerCount = layout.samplerCount();
    c.DepositionCount = static_cast<std::int32_t>(layout.deposition.size());
    c.ConcentrationCount = static_cast<std::int32_t>(layout.concentration.size());
    if (program == Program::Casetable) {
        // The test-case program knows only the sampler count.
        c.DepositionCount = 0;
        c.ConcentrationCount = 0;
    }
    const std::string material = seedData ? "Seed" : "Pollen";
    c.MeasurementResultPath = layout.measurementResultPath(seedData ? Material::Seed : Material::Pollen);
    c.OutputFileName = "2014 TN " + material + (program == Program::Fieldjoin ? " Whole Data_" : " Test Cases_") +
                       std::string(layout.name) + ".txt";
    return c;
}

}  // namespace field
