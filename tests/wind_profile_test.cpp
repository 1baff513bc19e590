// Stability correction, wind profile and source strength: the worked example
// wind and samplers, the layer hand-over of missing mast samplers, the ring
// interpolation by direction and the -999 marker of both programs.

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>

#include "campaign_2014.hpp"
#include "input/program_variant.hpp"
#include "wind/source_strength.hpp"
#include "wind/wind_profile.hpp"
#include "wind/wind_statistics.hpp"

namespace {

using field::MeasurementCase;
using field::ProgramVariant;
using field::WindSummary;

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

/// The value as the tables print it ("%g", 6 significant digits); every NaN prints as "nan"
/// because the sign of a NaN carries no meaning here.
std::string printed(float x) {
    if (std::isnan(x)) return "nan";
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, static_cast<double>(x), std::chars_format::general, 6);
    return std::string(buf, result.ptr);
}

enum class Wind { Unstable, Stable, Custom };

/// The summary of a worked window, computed the way the programs compute it, so that
/// UStar, L and the direction carry all their bits rather than six printed digits.
WindSummary workedWind(Wind kind) {
    const float w[2][4] = {{0.3f, 0, 0.1f, 0}, {0.2f, -0.1f, 0, -0.1f}};
    const float ts[2][4] = {{21, 20, 20.5f, 20}, {20, 21, 20.5f, 20.5f}};
    const float u[4] = {2, 3, 2.5f, 2.5f};
    const float v[4] = {1, 0, 0.5f, 0.5f};
    const int k = kind == Wind::Stable ? 1 : 0;
    field::SampleBuffer buffer(4);
    for (int i = 0; i < 4; ++i) buffer.append(u[i], v[i], w[k][i], ts[k][i]);
    WindSummary s;
    field::summariseWindow(buffer, s, field::sizedCase2014(), field::kCasetableVariant, field::site2014());
    return s;
}

/// A summary with the given wind, or the worked one when `kind` names it.
WindSummary windOf(Wind kind, float uStar, float l, float direction) {
    if (kind != Wind::Custom) return workedWind(kind);
    WindSummary s;
    s.UStar = uStar;
    s.L = l;
    s.WindDirection = direction;
    return s;
}

MeasurementCase workedCase() {
    MeasurementCase c = field::sizedCase2014();
    c.SourceDeposition = 10;
    const float d[] = {2, 4, 3, 1, 2, 5, 4, 1};
    for (int i = 0; i < 8; ++i) c.Deposition[i] = d[i];
    c.SourceProfile = {50, 80, 120, 150, 160};
    return c;
}

struct PsiRow {
    const char* name;
    Wind wind;
    float l;
    float height;
    const char* expected;
};

const PsiRow kPsiRows[] = {
    {"unstable psi(h)", Wind::Unstable, 0, 1.3f, "0.174974"},
    {"unstable psi(z0)", Wind::Unstable, 0, 0.13f, "0.0211182"},
    {"unstable psi(5)", Wind::Unstable, 0, 5.0f, "0.473891"},
    {"stable -5 z / L", Wind::Custom, 10.0f, 2.0f, "-1"},
    {"stable at h", Wind::Custom, 10.0f, 1.3f, "-0.65"},
    {"no heat flux, L = +inf", Wind::Custom, kInf, 5.0f, "-0"},
    {"NaN L takes the stable branch", Wind::Custom, kNaN, 5.0f, "nan"},
};

TEST(WindProfile, StabilityCorrection) {
    for (const PsiRow& row : kPsiRows) {
        const WindSummary s = windOf(row.wind, 0.3f, row.l, 0);
        EXPECT_EQ(printed(field::stabilityCorrection(row.height, s)), row.expected) << row.name;
    }
}

TEST(WindProfile, StabilityCorrectionVanishesWithoutHeatFlux) {
    for (const float l : {kInf, -kInf}) {
        WindSummary s;
        s.L = l;
        for (const float z : {0.13f, 1.3f, 5.0f})
            EXPECT_NEAR(field::stabilityCorrection(z, s), 0.0f, 1e-6f) << "L " << l << ", z " << z;
    }
}

struct ProfileRow {
    const char* name;
    Wind wind;
    std::array<const char*, 5> uz;  // 5, 3.15, 2.225, 1.3, 0.5 m
};

const ProfileRow kProfileRows[] = {
    {"unstable window", Wind::Unstable, {"2.22379", "1.99127", "1.80378", "1.49468", "0.436549"}},
    {"stable window", Wind::Stable, {"3.00086", "2.47543", "2.13517", "1.66878", "0.487397"}},
};

TEST(WindProfile, WorkedProfiles) {
    for (const ProfileRow& row : kProfileRows) {
        WindSummary s = workedWind(row.wind);
        field::computeWindProfile(s, field::site2014());
        for (int k = 0; k < 5; ++k) {
            EXPECT_EQ(printed(s.UZ[k]), row.uz[k]) << row.name << ": UZ[" << k << "]";
            EXPECT_EQ(s.UZ[k], field::profileWindSpeed(field::site2014().mastHeights[k], s, field::site2014()))
                << row.name << ": UZ[" << k << "]";
        }
    }
}

TEST(WindProfile, BranchesMeetAtCanopyTop) {
    for (const Wind kind : {Wind::Unstable, Wind::Stable}) {
        const WindSummary s = workedWind(kind);
        const float atTop = field::profileWindSpeed(1.3f, s, field::site2014());
        // Inside the canopy the profile decays as exp(2 (z/h - 1)) from the canopy-top speed.
        for (const float z : {0.0f, 0.5f, 0.65f, 1.0f}) {
            const double expected = std::exp(2.0 * (z / 1.3 - 1.0)) * atTop;
            EXPECT_NEAR(field::profileWindSpeed(z, s, field::site2014()), expected, 1e-6 * expected) << "z " << z;
        }
        // Just above the canopy the logarithmic branch continues from the same speed.
        const float above = field::profileWindSpeed(std::nextafter(1.3f, 2.0f), s, field::site2014());
        EXPECT_NEAR(above, atTop, 1e-5f * atTop);
    }
}

TEST(WindProfile, NeutralProfileIsLogarithmic) {
    for (const float l : {kInf, -kInf}) {
        WindSummary s;
        s.UStar = 0.3f;
        s.L = l;
        const double scale = 0.3 / 0.4;
        for (const float z : {5.0f, 3.15f, 2.225f}) {
            const double expected = scale * std::log(z / 0.13);
            EXPECT_NEAR(field::profileWindSpeed(z, s, field::site2014()), expected, 2e-6 * expected)
                << "L " << l << ", z " << z;
        }
        const double below = std::exp(2.0 * (0.5 / 1.3 - 1.0)) * scale * std::log(10.0);
        EXPECT_NEAR(field::profileWindSpeed(0.5f, s, field::site2014()), below, 2e-6 * below) << "L " << l;
    }
}

TEST(WindProfile, NoTurbulenceGivesNaN) {
    // A window of fewer than two samples: UStar 0 and L NaN.
    WindSummary s;
    s.UStar = 0;
    s.L = kNaN;
    s.WindDirection = kNaN;
    field::computeWindProfile(s, field::site2014());
    for (int k = 0; k < 5; ++k) EXPECT_TRUE(std::isnan(s.UZ[k])) << "UZ[" << k << "]";
}

constexpr double kNotChecked = std::numeric_limits<double>::quiet_NaN();

struct ExactRow {
    const char* name;
    float uStar;
    float l;
    float z;
    double psi;
    double speed;
};

// Worked through the precision rules by hand in a separate calculation. The unstable psi
// values need atan(x) rounded to float before it is doubled, the stable ones -5 z / L in
// double; the speeds at 1 m and 0.5 m need the exponential factor kept in double until the
// final product, those above the canopy the bracket summed left to right in float and
// (at 1.35 m and 1.58 m) z / z0 divided in float.
const ExactRow kExactRows[] = {
    {"z0, L -1", 0.1f, -1, 0.13f, 0x1.4fed74p-2, kNotChecked},
    {"2.225 m, L -1", 0.1f, -1, 2.225f, 0x1.84f0bep+0, kNotChecked},
    {"h, L -2", 0.1f, -2, 1.3f, 0x1.c248bep-1, kNotChecked},
    {"5 m unstable", 0.1f, -50, 5.0f, kNotChecked, 0x1.b1cf6p-1},
    {"5 m stable", 0.1f, 10, 5.0f, kNotChecked, 0x1.856b0cp+0},
    {"3.15 m unstable", 0.1f, -50, 3.15f, kNotChecked, 0x1.813778p-1},
    {"3.15 m stable", 0.1f, 10, 3.15f, kNotChecked, 0x1.2ca5dcp+0},
    {"1 m unstable", 0.1f, -50, 1.0f, kNotChecked, 0x1.66fb38p-2},
    {"1 m stable", 0.1f, 10, 1.0f, kNotChecked, 0x1.d1f0f6p-2},
    {"0.5 m unstable", 0.1f, -50, 0.5f, kNotChecked, 0x1.4cae92p-3},
    {"0.5 m stable", 0.1f, 10, 0.5f, kNotChecked, 0x1.afce4ap-3},
    {"0.5 m, L -10", 0.1f, -10, 0.5f, kNotChecked, 0x1.2e2744p-3},
    {"h, L 10.1", 0.1f, 10.1f, 1.3f, -0x1.498142p-1, kNotChecked},
    {"2.225 m, L 10.1", 0.1f, 10.1f, 2.225f, -0x1.19faecp+0, kNotChecked},
    {"5 m, L -10", 0.1f, -10, 5.0f, kNotChecked, 0x1.76f4dap-1},
    {"3.15 m, L 20", 0.1f, 20, 3.15f, kNotChecked, 0x1.f8a7e2p-1},
    {"1.35 m unstable", 0.1f, -50, 1.35f, kNotChecked, 0x1.213512p-1},
    {"1.58 m stable", 0.1f, 10, 1.58f, kNotChecked, 0x1.9c7fa6p-1},
};

TEST(WindProfile, ProfileToTheBit) {
    for (const ExactRow& row : kExactRows) {
        const WindSummary s = windOf(Wind::Custom, row.uStar, row.l, 0);
        if (!std::isnan(row.psi)) {
            EXPECT_EQ(static_cast<double>(field::stabilityCorrection(row.z, s)), row.psi) << row.name;
        }
        if (!std::isnan(row.speed)) {
            EXPECT_EQ(static_cast<double>(field::profileWindSpeed(row.z, s, field::site2014())), row.speed) << row.name;
        }
    }
}

struct ThicknessRow {
    const char* name;
    std::array<float, 5> profile;  // c1..c5
    std::array<double, 5> expected;
};

constexpr double kT1 = 1.85f, kT2 = 1.3875f, kT3 = 0.925f, kT4 = 0.8625f, kT5 = 0.9f;

const ThicknessRow kThicknessRows[] = {
    {"all present", {1, 1, 1, 1, 1}, {kT1, kT2, kT3, kT4, kT5}},
    {"c3 missing", {1, 1, -1, 1, 1}, {kT1, kT2, 0, 1.787500023841858, kT5}},
    {"c1 to c4 missing", {-1, -1, -1, -1, 1}, {0, 0, 0, 0, 5.9250006675720215}},
    {"c4 missing hands down to 0.5 m", {1, 1, 1, -1, 1}, {kT1, kT2, kT3, 0, static_cast<double>(0.8625f + 0.9f)}},
    // the lowest level keeps its layer and borrows c4's reading instead
    {"c5 missing", {1, 1, 1, 1, -1}, {kT1, kT2, kT3, kT4, kT5}},
    {"NaN reading counts as present", {kNaN, 1, 1, 1, 1}, {kT1, kT2, kT3, kT4, kT5}},
    {"zero reading counts as present", {0, 0, 0, 0, 0}, {kT1, kT2, kT3, kT4, kT5}},
};

TEST(WindProfile, LayerHandOver) {
    for (const ThicknessRow& row : kThicknessRows) {
        const auto thickness = field::mastLayerThicknesses(std::vector<float>(row.profile.begin(), row.profile.end()),
                                                           field::site2014().mastLayers);
        for (int k = 0; k < 5; ++k)
            EXPECT_EQ(static_cast<double>(thickness[k]), row.expected[k]) << row.name << ": level " << k + 1;
    }
}

using Edit = void (*)(MeasurementCase&);

struct SourceRow {
    const char* name;
    Wind wind;
    float direction;  // Custom wind only; UStar and L stay those of the unstable window
    Edit edit;
    const ProgramVariant* variant;
    const char* expected;
};

void none(MeasurementCase&) {}
void c2Missing(MeasurementCase& c) { c.SourceProfile[1] = -1; }
void noSource(MeasurementCase& c) { c.SourceDeposition = -1; }
void nanSource(MeasurementCase& c) { c.SourceDeposition = kNaN; }
void negativeRings(MeasurementCase& c) {
    c.SourceDeposition = 0;
    for (int i = 0; i < 8; ++i) c.Deposition[i] = -100;
}
void negativeRingsTopMissing(MeasurementCase& c) {
    negativeRings(c);
    c.SourceProfile[0] = -1;
}
void negativeRingsStrongSecond(MeasurementCase& c) {
    negativeRings(c);
    c.SourceProfile[1] = 40000;
}
void noFlux(MeasurementCase& c) { c.SourceProfile = {0, 0, 0, 0, 0}; }
void c5Missing(MeasurementCase& c) { c.SourceProfile[4] = -1; }
void c4c5Missing(MeasurementCase& c) { c.SourceProfile[3] = c.SourceProfile[4] = -1; }

// By hand from the worked profile (2.22379, 1.99127, 1.80378, 1.49468, 0.436549) and the
// deposition term of -75 for rings of -100 around Dc = 0:
//   c5 missing: c5 takes c4 = 150                 -> 151.23
//   c4, c5 missing: -1 over 0.8625 + 0.9 at 0.5 m -> 109.051
//   c1 missing: the skipped level is not tested, so -75 + 85.96 + ... stays positive -> 87.0325
//   c2 = 40000: fieldjoin marks -999 at level 1, level 2 lifts it to 843 -> 17496.3,
//               casetable keeps -75 -> 18454.6
// With no flux every direction gives the deposition term alone, ((Dc + R1) + (R2 + R1)) * 1.5 / 6,
// with the ring values D1..D8 = 2, 4, 3, 1, 2, 5, 4, 1 read at the bearings 0, 90, 180, 270.
// clang-format off
const SourceRow kSourceRows[] = {
    {"worked example fieldjoin", Wind::Unstable, 0, none, &field::kFieldjoinVariant, "151.885"},
    {"worked example casetable", Wind::Unstable, 0, none, &field::kCasetableVariant, "151.885"},
    {"c2 missing fieldjoin", Wind::Unstable, 0, c2Missing, &field::kFieldjoinVariant, "165.102"},
    {"c2 missing casetable", Wind::Unstable, 0, c2Missing, &field::kCasetableVariant, "165.102"},
    {"deposition term alone", Wind::Unstable, 0, noFlux, &field::kCasetableVariant, "4.68717"},
    {"Dc missing fieldjoin", Wind::Unstable, 0, noSource, &field::kFieldjoinVariant, "-999"},
    {"Dc missing casetable", Wind::Unstable, 0, noSource, &field::kCasetableVariant, "-999"},
    {"Dc NaN is present", Wind::Unstable, 0, nanSource, &field::kCasetableVariant, "nan"},
    {"negative rings casetable", Wind::Unstable, 0, negativeRings, &field::kCasetableVariant, "72.1981"},
    {"negative rings fieldjoin", Wind::Unstable, 0, negativeRings, &field::kFieldjoinVariant, "-999"},
    {"negative rings, c1 missing, fieldjoin", Wind::Unstable, 0, negativeRingsTopMissing, &field::kFieldjoinVariant,
     "87.0325"},
    {"negative rings, c1 missing, casetable", Wind::Unstable, 0, negativeRingsTopMissing, &field::kCasetableVariant,
     "87.0325"},
    {"marker lifted by a large flux fieldjoin", Wind::Unstable, 0, negativeRingsStrongSecond,
     &field::kFieldjoinVariant, "17496.3"},
    {"marker lifted by a large flux casetable", Wind::Unstable, 0, negativeRingsStrongSecond,
     &field::kCasetableVariant, "18454.6"},
    {"c5 missing takes c4", Wind::Unstable, 0, c5Missing, &field::kCasetableVariant, "151.23"},
    {"c4 and c5 missing", Wind::Unstable, 0, c4c5Missing, &field::kCasetableVariant, "109.051"},
    {"direction 0", Wind::Custom, 0, noFlux, &field::kCasetableVariant, "5"},
    {"direction 360", Wind::Custom, 360, noFlux, &field::kCasetableVariant, "5"},
    {"direction 45", Wind::Custom, 45, noFlux, &field::kCasetableVariant, "5.25"},
    {"direction 90", Wind::Custom, 90, noFlux, &field::kCasetableVariant, "5.5"},
    {"direction 180", Wind::Custom, 180, noFlux, &field::kCasetableVariant, "4.25"},
    {"direction 270", Wind::Custom, 270, noFlux, &field::kCasetableVariant, "4.75"},
    // below 0 the last quadrant extrapolates: R2 = (1 - 2)/90 * 370 + 2
    {"direction -10", Wind::Custom, -10, noFlux, &field::kCasetableVariant, "3.97222"},
    {"direction NaN", Wind::Custom, kNaN, noFlux, &field::kCasetableVariant, "nan"},
};
// clang-format on

TEST(WindProfile, SourceStrength) {
    const WindSummary unstable = workedWind(Wind::Unstable);
    for (const SourceRow& row : kSourceRows) {
        WindSummary s = unstable;
        if (row.wind == Wind::Custom) s.WindDirection = row.direction;
        MeasurementCase c = workedCase();
        row.edit(c);
        field::computeSourceStrength(c, s, *row.variant, field::site2014());
        EXPECT_EQ(printed(s.SourceStrength), row.expected) << row.name;
    }
}

struct ExactSourceRow {
    const char* name;
    float uStar;
    float direction;
    Edit edit;
    double expected;
};

// L -50, worked samplers, worked through the precision rules by hand in a separate
// calculation. At 11 and 105 degrees the ring interpolation must divide and multiply in
// double; with the last row's readings the flux term must be divided by the float 6.
// Either done otherwise moves the result by one unit in the last place.
// clang-format off
const ExactSourceRow kExactSourceRows[] = {
    {"11 degrees, deposition only", 0.3f, 11, noFlux, 0x1.43e94p+2},
    {"105 degrees, deposition only", 0.3f, 105, noFlux, 0x1.52aaaap+2},
    {"11 degrees", 0.3f, 11, none, 0x1.5689aap+7},
    {"11 degrees, c2 missing", 0.3f, 11, c2Missing, 0x1.73cb66p+7},
    {"11 degrees, c1 to c4 missing",
     0.3f,
     11,
     [](MeasurementCase& c) {
         for (int k = 0; k < 4; ++k) c.SourceProfile[k] = -1;
     },
     0x1.483c34p+6},
    {"11 degrees, negative rings, casetable", 0.3f, 11, negativeRings, 0x1.6cd4cp+6},
    {"11 degrees, other readings",
     0.1f,
     11,
     [](MeasurementCase& c) { c.SourceProfile = {239, 181, 181, 143, 251}; },
     0x1.0ee0cep+7},
};
// clang-format on

TEST(WindProfile, SourceStrengthToTheBit) {
    for (const ExactSourceRow& row : kExactSourceRows) {
        WindSummary s = windOf(Wind::Custom, row.uStar, -50, row.direction);
        MeasurementCase c = workedCase();
        row.edit(c);
        field::computeSourceStrength(c, s, field::kCasetableVariant, field::site2014());
        EXPECT_EQ(static_cast<double>(s.SourceStrength), row.expected) << row.name;
    }
}

TEST(WindProfile, SourceStrengthWithoutTurbulence) {
    WindSummary s;
    s.UStar = 0;
    s.L = kNaN;
    s.WindDirection = kNaN;
    for (const ProgramVariant* variant : {&field::kFieldjoinVariant, &field::kCasetableVariant}) {
        MeasurementCase c = workedCase();
        field::computeSourceStrength(c, s, *variant, field::site2014());
        EXPECT_TRUE(std::isnan(s.SourceStrength));
        c.SourceDeposition = -1;
        field::computeSourceStrength(c, s, *variant, field::site2014());
        EXPECT_EQ(s.SourceStrength, -999.0f);
    }
}

TEST(WindProfile, FieldjoinMarkerHoldsWhileFluxTermsAreSmall) {
    // Each later level adds less than 999, so the running sum is marked again after every level.
    const WindSummary unstable = workedWind(Wind::Unstable);
    for (int lastLevel = 0; lastLevel < 5; ++lastLevel) {
        WindSummary s = unstable;
        MeasurementCase c = workedCase();
        negativeRings(c);
        for (int k = lastLevel + 1; k < 4; ++k) c.SourceProfile[k] = -1;  // levels after lastLevel hand down
        field::computeSourceStrength(c, s, field::kFieldjoinVariant, field::site2014());
        EXPECT_EQ(s.SourceStrength, -999.0f) << "levels down to " << lastLevel + 1;
    }
}

}  // namespace
