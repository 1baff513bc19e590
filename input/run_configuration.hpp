#pragma once
// The two console answers and what follows from them: the input paths, the
// output table's name and the sampler counts of the field.

#include <cstdint>
#include <string>

#include "input/field_layout.hpp"
#include "input/program_variant.hpp"

namespace field {

struct RunConfiguration {
    bool FenceField = false;
    bool SeedData = false;
    std::string WindDirectory;          // Windows path text, ends with a backslash
    std::string MeasurementResultPath;  // Windows path text
    std::string OutputFileName;         // bare name, created in the working directory
    std::int32_t SamplerCount = 0;
    std::int32_t DepositionCount = 0;     // fieldjoin only
    std::int32_t ConcentrationCount = 0;  // fieldjoin only
};

/// Fixed directory of the weather-station files (fieldjoin, both fields).
inline constexpr const char* kStationDirectory = kStationDirectoryPath.data();

/// The configuration for given answers (no console involved).
RunConfiguration makeRunConfiguration(bool fenceField, bool seedData, Program program);

}  // namespace field
