// The field plan every reader shares: sampler sites, block roles and the
// names of a field's files.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "input/field_layout.hpp"
#include "input/measurement_case.hpp"
#include "wind/wind_profile.hpp"

namespace field {
namespace {

struct LayoutCase {
    const FieldLayout* layout;
    int samplers, deposition, concentration;
    const char* sourcePoint;
    const char* mastTop;
    const char* loggerSuffix;
};

const LayoutCase kLayoutCases[] = {
    {&kFenceLayout, 14, 9, 5, "FD9", "FRA", "_data.DAT"},
    {&kHillLayout, 36, 17, 19, "HD17", "H1A", "_SONIC.DAT"},
};

TEST(FieldLayout, CountsAndBlockRolesOfEachField) {
    for (const LayoutCase& c : kLayoutCases) {
        const FieldLayout& f = *c.layout;
        SCOPED_TRACE(std::string(f.name));
        EXPECT_EQ(c.samplers, f.samplerCount());
        EXPECT_EQ(c.deposition, static_cast<int>(f.deposition.size()));
        EXPECT_EQ(c.concentration, static_cast<int>(f.concentration.size()));
        EXPECT_EQ(c.sourcePoint, f.sampler(f.sourcePointSampler).id);
        EXPECT_EQ(c.mastTop, f.sampler(f.sourceMastTop).id);
        EXPECT_EQ(c.loggerSuffix, f.loggerFileSuffix);
        EXPECT_LE(static_cast<int>(f.deposition.size()), kMaxDeposition);
        EXPECT_LE(static_cast<int>(f.concentration.size()), kMaxConcentration);
    }
}

TEST(FieldLayout, BlockOrderRunsThroughDepositionThenConcentration) {
    for (const FieldLayout* f : kFieldLayouts) {
        SCOPED_TRACE(std::string(f->name));
        std::set<std::string_view> ids;
        for (int i = 0; i < f->samplerCount(); ++i) {
            const SamplerSite& s = f->sampler(i);
            EXPECT_EQ(i < static_cast<int>(f->deposition.size()), f->isDeposition(i)) << s.id;
            EXPECT_TRUE(ids.insert(s.id).second) << "sampler id twice: " << s.id;
            EXPECT_GT(s.z, 0.0) << s.id;
        }
        EXPECT_EQ(&f->deposition.back(), &f->sampler(static_cast<int>(f->deposition.size()) - 1));
        EXPECT_EQ(&f->concentration.front(), &f->sampler(static_cast<int>(f->deposition.size())));
    }
}

// The source strength interpolates between the first eight deposition samplers as two rings of
// 3 m and 6 m at 0, 90, 180 and 270 degrees (D1..D8 = -6, -3 on x; +3, +6 on x; +6, +3 on y; -3, -6 on y).
TEST(FieldLayout, RingSamplersLieWhereTheSourceStrengthTakesThem) {
    const double expected[8][2] = {{-6, 0}, {-3, 0}, {3, 0}, {6, 0}, {0, 6}, {0, 3}, {0, -3}, {0, -6}};
    for (const FieldLayout* f : kFieldLayouts) {
        SCOPED_TRACE(std::string(f->name));
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(expected[i][0], f->deposition[static_cast<std::size_t>(i)].x) << i;
            EXPECT_EQ(expected[i][1], f->deposition[static_cast<std::size_t>(i)].y) << i;
        }
    }
}

TEST(FieldLayout, MastHeightsOfTheProfileAreTheSourceMast) {
    for (const FieldLayout* f : kFieldLayouts) {
        SCOPED_TRACE(std::string(f->name));
        for (int i = 0; i < kSourceMastLevels; ++i) {
            const SamplerSite& level = f->sampler(f->sourceMastTop + i);
            EXPECT_EQ(static_cast<float>(level.z), kMastHeights[static_cast<std::size_t>(i)]) << level.id;
        }
    }
    // The printed profile columns (UZ_5 ... UZ_0.5) name these heights.
    EXPECT_EQ(5.0f, kMastHeights[0]);
    EXPECT_EQ(0.5f, kMastHeights[4]);
}

TEST(FieldLayout, FileNamesEndInTheFieldName) {
    for (const FieldLayout* f : kFieldLayouts) {
        std::string suffix = "_";  // appended, not "_" + string: GCC 12 sees a false -Wrestrict in that at -O3
        suffix += f->name;
        suffix += ".txt";
        for (const Material m : {Material::Seed, Material::Pollen}) {
            const std::string path(f->measurementResultPath(m));
            SCOPED_TRACE(path);
            EXPECT_TRUE(path.ends_with(suffix));
            EXPECT_NE(std::string::npos, path.find(m == Material::Seed ? "Seed" : "Pollen"));
        }
        EXPECT_TRUE(f->windDirectory.ends_with("\\"));
    }
    EXPECT_TRUE(kStationDirectoryPath.ends_with("\\"));
}

}  // namespace
}  // namespace field
