#pragma once
// What the generator adds to the two fields' layouts (its own wind model of each field and the
// names of its logger files) and what distinguishes seed from pollen in the readings.

#include <array>

#include "input/field_layout.hpp"

namespace fieldgen {

inline constexpr double kPi = 3.14159265358979323846;

struct FieldModel {
    int number;                        // 0 fence, 1 hill: selects random streams
    const field::FieldLayout* layout;  // paths, logger file suffix, samplers in block order
    const char* loggerFilePrefix;
    double speedFactor;      // field wind relative to the regional wind
    double directionOffset;  // degrees, field wind direction relative to the regional one
    double tiltDegrees;      // sonic not quite level: w holds a share of the along-wind flow,
                             // which the programs' double rotation removes
};

// clang-format off
inline constexpr std::array<FieldModel, 2> kFields{{
    {.number = 0, .layout = &field::kFenceLayout, .loggerFilePrefix = "fence_sonic_", .speedFactor = 0.95,
     .directionOffset = 0.0, .tiltDegrees = 0.8},
    {.number = 1, .layout = &field::kHillLayout, .loggerFilePrefix = "hill_", .speedFactor = 1.1,
     .directionOffset = 12.0, .tiltDegrees = -2.5},
}};
// clang-format on

/// What distinguishes seed from pollen in the readings.
struct MaterialModel {
    int number;  // 0 seed, 1 pollen
    field::Material material;
    double medianConcentration;  // grains/m3 at 0.5 m over the source point, at 2.5 m/s
    double settlingVelocity;     // m/s: deposition = settling velocity x concentration near ground
    double reach;                // m: e-folding distance of the plume along the ground
    double plumeDepth;           // m: e-folding height of the concentration over the source
    int decimals;                // printed decimals of a reading
};

// clang-format off
inline constexpr std::array<MaterialModel, 2> kMaterials{{
    {.number = 0, .material = field::Material::Seed, .medianConcentration = 3.0, .settlingVelocity = 0.5,
     .reach = 3.5, .plumeDepth = 1.2, .decimals = 3},
    {.number = 1, .material = field::Material::Pollen, .medianConcentration = 1500.0, .settlingVelocity = 0.025,
     .reach = 12.0, .plumeDepth = 2.0, .decimals = 1},
}};
// clang-format on

}  // namespace fieldgen
