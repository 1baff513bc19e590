#pragma once
// What the generator adds to the campaign's fields (its own wind model of each field and the
// names of its logger files) and what distinguishes the materials in the readings.

#include <array>
#include <string>
#include <vector>

#include "input/campaign.hpp"

namespace fieldgen {

inline constexpr double kPi = 3.14159265358979323846;

struct FieldModel {
    int number;                        // the campaign's field index (0 fence, 1 hill): selects random streams
    const field::FieldLayout* layout;  // paths, logger file pattern, samplers in block order
    std::string loggerFilePrefix;
    double speedFactor;      // field wind relative to the regional wind
    double directionOffset;  // degrees, field wind direction relative to the regional one
    double tiltDegrees;      // sonic not quite level: w holds a share of the along-wind flow,
                             // which the programs' double rotation removes
};

/// The wind models of the first two fields; a third field and later take them in turn.
struct WindModel {
    double speedFactor, directionOffset, tiltDegrees;
};
inline constexpr std::array<WindModel, 2> kWindModels{{{0.95, 0.0, 0.8}, {1.1, 12.0, -2.5}}};

/// The most fields and materials the generator's random streams keep apart.
inline constexpr std::size_t kMaxFields = 10;
inline constexpr std::size_t kMaxMaterials = 8;

/// What distinguishes seed from pollen in the readings.
struct MaterialModel {
    int number;  // the campaign's material index (0 seed, 1 pollen)
    std::string name;
    double medianConcentration;  // grains/m3 at 0.5 m over the source point, at 2.5 m/s
    double settlingVelocity;     // m/s: deposition = settling velocity x concentration near ground
    double reach;                // m: e-folding distance of the plume along the ground
    double plumeDepth;           // m: e-folding height of the concentration over the source
    int decimals;                // printed decimals of a reading
};

/// The models of the first two materials (seed-like, pollen-like); later ones take them in turn.
// clang-format off
inline const std::array<MaterialModel, 2> kMaterialModels{{
    {.number = 0, .name = "seed", .medianConcentration = 3.0, .settlingVelocity = 0.5,
     .reach = 3.5, .plumeDepth = 1.2, .decimals = 3},
    {.number = 1, .name = "pollen", .medianConcentration = 1500.0, .settlingVelocity = 0.025,
     .reach = 12.0, .plumeDepth = 2.0, .decimals = 1},
}};
// clang-format on

/// The models of the campaign's fields, in its order.
std::vector<FieldModel> fieldModels(const field::Campaign& campaign);
/// The models of the campaign's materials, in its order.
std::vector<MaterialModel> materialModels(const field::Campaign& campaign);

}  // namespace fieldgen
