#pragma once
// The two experiment fields as they were laid out: where their files lie, how
// their logger files are named, and every sampler's id and position, in the
// order of a measurement-result block. The programs, the tests and the data
// generator all read these tables; a moved sampler is one line here.

#include <algorithm>
#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace field {

/// A sampler's id (prefix of its column names) and position in metres from the source point.
struct SamplerSite {
    std::string_view id;
    double x, y, z;
};

/// Levels of the mast at the source point (concentration samplers, top first).
inline constexpr int kSourceMastLevels = 5;

/// The materials sampled; indexes FieldLayout::measurementResultPaths.
enum class Material { Seed = 0, Pollen = 1 };

struct FieldLayout {
    std::string_view name;              // "fence", "hill": ends the names of the field's files
    std::string_view windDirectory;     // Windows path text, ends with a backslash
    std::string_view loggerFileSuffix;  // a day folder's logger file name ends so (matched ignoring case)
    std::array<std::string_view, 2> measurementResultPaths;  // by Material (Windows path text)
    std::span<const SamplerSite> deposition;                 // readings in field 8, first in the block
    std::span<const SamplerSite> concentration;              // readings in field 9, after the deposition samplers
    int sourcePointSampler;  // block index of the deposition sampler at the source point
    int sourceMastTop;       // block index of the top source-mast sampler; the other levels follow

    /// Lines of one measurement-result block: one per sampler.
    constexpr int samplerCount() const { return static_cast<int>(deposition.size() + concentration.size()); }
    /// True when the sampler at `blockIndex` reads deposition (else concentration).
    constexpr bool isDeposition(int blockIndex) const { return blockIndex < static_cast<int>(deposition.size()); }
    /// The sampler on block line `blockIndex` (0 = the block's first line).
    constexpr const SamplerSite& sampler(int blockIndex) const {
        return isDeposition(blockIndex) ? deposition[static_cast<std::size_t>(blockIndex)]
                                        : concentration[static_cast<std::size_t>(blockIndex) - deposition.size()];
    }
    /// Measurement-result file of `material` (Windows path text).
    constexpr std::string_view measurementResultPath(Material material) const {
        return measurementResultPaths[static_cast<std::size_t>(material)];
    }
};

// clang-format off
inline constexpr std::array<SamplerSite, 9> kFenceDeposition{{
    {"FD1", -6, 0, 0.5}, {"FD2", -3, 0, 0.5}, {"FD3", 3, 0, 0.5}, {"FD4", 6, 0, 0.5}, {"FD5", 0, 6, 0.5},
    {"FD6", 0, 3, 0.5}, {"FD7", 0, -3, 0.5}, {"FD8", 0, -6, 0.5}, {"FD9", 0, 0, 0.5},
}};
// clang-format on
// clang-format off
inline constexpr std::array<SamplerSite, 5> kFenceConcentration{{
    {"FRA", 0, 0, 5}, {"FRB", 0, 0, 3.15}, {"FRC", 0, 0, 2.225}, {"FRD", 0, 0, 1.3}, {"FRE", 0, 0, 0.5},
}};
// clang-format on
inline constexpr std::array<SamplerSite, 17> kHillDeposition{{
    {"HD1", -6, 0, 0.5},
    {"HD2", -3, 0, 0.5},
    {"HD3", 3, 0, 0.5},
    {"HD4", 6, 0, 0.5},
    {"HD5", 0, 6, 0.5},
    {"HD6", 0, 3, 0.5},
    {"HD7", 0, -3, 0.5},
    {"HD8", 0, -6, 0.5},
    {"HD9", -4.24, 4.24, 0.5},
    {"HD10", -4.59, 4.59, 0.5},
    {"HD11", -4.95, 4.95, 0.5},
    {"HD12", -5.66, 5.66, 0.5},
    {"HD13", -7.07, 7.07, 0.5},
    {"HD14", -9.9, 9.9, 0.5},
    {"HD15", -15.56, 15.56, 0.5},
    {"HD16", -26.87, 26.87, 0.5},
    {"HD17", 0, 0, 0.5},
}};
inline constexpr std::array<SamplerSite, 19> kHillConcentration{{
    {"HR9", -4.24, 4.24, 0.5},
    {"HR10", -4.59, 4.59, 0.5},
    {"HR11", -4.95, 4.95, 0.5},
    {"HR12", -5.66, 5.66, 0.5},
    {"HR14", -9.9, 9.9, 0.5},
    {"HR16", -26.87, 26.87, 0.5},
    {"H1A", 0, 0, 5},
    {"H1B", 0, 0, 3.15},
    {"H1C", 0, 0, 2.225},
    {"H1D", 0, 0, 1.3},
    {"H1E", 0, 0, 0.5},
    {"H2A", -7.07, 7.07, 5},
    {"H2B", -7.07, 7.07, 3.15},
    {"H2C", -7.07, 7.07, 1.3},
    {"H2D", -7.07, 7.07, 0.5},
    {"H3A", -15.56, 15.56, 5},
    {"H3B", -15.56, 15.56, 3.15},
    {"H3C", -15.56, 15.56, 1.3},
    {"H3D", -15.56, 15.56, 0.5},
}};

inline constexpr FieldLayout kFenceLayout{
    .name = "fence",
    .windDirectory = "C:\\Vantrel\\2014 TN Seed Data\\Raw Data\\FenceFieldExperiment\\2014 Fence field wind Data\\",
    .loggerFileSuffix = "_data.DAT",
    .measurementResultPaths =
        {"C:\\Vantrel\\2014 TN Seed Data\\Measurement Result\\2014 TN Seed Concentration and Deposition "
         "Result_fence.txt",
         "C:\\Vantrel\\2014 TN Pollen Data\\Measurement Result\\2014 TN Pollen Concentration and Deposition "
         "Result_fence.txt"},
    .deposition = kFenceDeposition,
    .concentration = kFenceConcentration,
    .sourcePointSampler = 8,  // FD9
    .sourceMastTop = 9,       // FRA
};

inline constexpr FieldLayout kHillLayout{
    .name = "hill",
    .windDirectory = "C:\\Vantrel\\2014 TN Seed Data\\Raw Data\\HillExperiment\\2014 Hill field wind Data\\",
    .loggerFileSuffix = "_SONIC.DAT",
    .measurementResultPaths =
        {"C:\\Vantrel\\2014 TN Seed Data\\Measurement Result\\2014 TN Seed Concentration and Deposition "
         "Result_hill.txt",
         "C:\\Vantrel\\2014 TN Pollen Data\\Measurement Result\\2014 TN Pollen Concentration and Deposition "
         "Result_hill.txt"},
    .deposition = kHillDeposition,
    .concentration = kHillConcentration,
    .sourcePointSampler = 16,  // HD17
    .sourceMastTop = 23,       // H1A
};

/// Both fields, fence first.
inline constexpr std::array<const FieldLayout*, 2> kFieldLayouts{&kFenceLayout, &kHillLayout};

/// The layout of the fence field (true) or the hill field (false).
constexpr const FieldLayout& fieldLayout(bool fenceField) { return fenceField ? kFenceLayout : kHillLayout; }

/// Fixed directory of the weather-station files (one station serves both fields).
inline constexpr std::string_view kStationDirectoryPath =
    "C:\\Vantrel\\2014 TN Seed Data\\Raw Data\\HillExperiment\\2014 weather station\\2014 weather station\\";

/// The folder that holds every input above; a data root given on the command line stands for it.
inline constexpr std::string_view kDataRootFolder = "C:\\Vantrel";
static_assert(kStationDirectoryPath.starts_with(kDataRootFolder) &&
              kFenceLayout.windDirectory.starts_with(kDataRootFolder) &&
              kHillLayout.windDirectory.starts_with(kDataRootFolder) &&
              kFenceLayout.measurementResultPaths[1].starts_with(kDataRootFolder) &&
              kHillLayout.measurementResultPaths[1].starts_with(kDataRootFolder));

/// Heights (m) of the source-mast samplers of `layout`, top first.
constexpr std::array<double, kSourceMastLevels> sourceMastHeights(const FieldLayout& layout) {
    std::array<double, kSourceMastLevels> heights{};
    for (int i = 0; i < kSourceMastLevels; ++i)
        heights[static_cast<std::size_t>(i)] = layout.sampler(layout.sourceMastTop + i).z;
    return heights;
}

/// Most deposition samplers of any field: the size of a case's deposition readings.
constexpr int maxDepositionCount() {
    return static_cast<int>(std::max(kFenceDeposition.size(), kHillDeposition.size()));
}
/// Most concentration samplers of any field: the size of a case's concentration readings.
constexpr int maxConcentrationCount() {
    return static_cast<int>(std::max(kFenceConcentration.size(), kHillConcentration.size()));
}

namespace layout_checks {
// The source strength reads the source point and the mast by these indices: keep them honest.
constexpr bool consistent(const FieldLayout& f) {
    const SamplerSite& point = f.sampler(f.sourcePointSampler);
    if (!f.isDeposition(f.sourcePointSampler) || point.x != 0 || point.y != 0) return false;
    if (f.isDeposition(f.sourceMastTop) || f.sourceMastTop + kSourceMastLevels > f.samplerCount()) return false;
    for (int i = 0; i < kSourceMastLevels; ++i) {
        const SamplerSite& level = f.sampler(f.sourceMastTop + i);
        if (level.x != 0 || level.y != 0) return false;
        if (i > 0 && !(level.z < f.sampler(f.sourceMastTop + i - 1).z)) return false;
    }
    return true;
}
static_assert(consistent(kFenceLayout) && consistent(kHillLayout));
static_assert(sourceMastHeights(kFenceLayout) == sourceMastHeights(kHillLayout),
              "the wind profile takes one set of mast heights for both fields");
}  // namespace layout_checks

}  // namespace field
