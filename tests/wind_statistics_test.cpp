// Wind statistics of a window: the worked four-sample windows, the direction
// convention, degenerate windows, the two program variants and buffer growth.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>
#include <vector>

#include "campaign_2014.hpp"
#include "input/program_variant.hpp"
#include "wind/wind_profile.hpp"
#include "wind/wind_statistics.hpp"

namespace {

using field::summariseWindow;
using field::covarianceFromSum;
using field::rotatedMoments;
using field::MeasurementCase;
using field::ProgramVariant;
using field::SampleBuffer;
using field::WindSummary;

/// The value as the tables print it ("%g", 6 significant digits); every NaN prints as "nan"
/// because the sign of a NaN carries no meaning here.
std::string printed(float x) {
    if (std::isnan(x)) return "nan";
    char buf[64];
    const auto result = std::to_chars(buf, buf + sizeof buf, static_cast<double>(x), std::chars_format::general, 6);
    return std::string(buf, result.ptr);
}

struct Window {
    std::vector<float> u, v, w, ts;
};

// The two worked windows: same horizontal wind, unstable and stable heat flux.
const Window kUnstable{{2, 3, 2.5f, 2.5f}, {1, 0, 0.5f, 0.5f}, {0.3f, 0, 0.1f, 0}, {21, 20, 20.5f, 20}};
const Window kStable{{2, 3, 2.5f, 2.5f}, {1, 0, 0.5f, 0.5f}, {0.2f, -0.1f, 0, -0.1f}, {20, 21, 20.5f, 20.5f}};
// The unstable window mirrored across the v axis: the mean u is negative.
const Window kMirrored{{-2, -3, -2.5f, -2.5f}, {1, 0, 0.5f, 0.5f}, {0.3f, 0, 0.1f, 0}, {21, 20, 20.5f, 20}};
// Mean wind exactly zero in all three components: the rotation must be skipped,
// else atan(0/0) spreads NaN over the whole window.
const Window kCalm{{1, -1}, {1, -1}, {1, -1}, {20, 22}};
const Window kSingle{{2}, {1}, {0.3f}, {21}};
const Window kEmpty{};
const Window kConstantTs{{2, 3, 2.5f, 2.5f}, {1, 0, 0.5f, 0.5f}, {0.3f, 0, 0.1f, 0}, {20, 20, 20, 20}};

void fill(SampleBuffer& buffer, const Window& window) {
    for (std::size_t i = 0; i < window.u.size(); ++i)
        buffer.append(window.u[i], window.v[i], window.w[i], window.ts[i]);
}

MeasurementCase workedCase() {
    MeasurementCase c = field::sizedCase2014();
    c.SourceDeposition = 10;
    const float d[] = {2, 4, 3, 1, 2, 5, 4, 1};
    for (int i = 0; i < 8; ++i) c.Deposition[i] = d[i];
    c.SourceProfile = {50, 80, 120, 150, 160};
    return c;
}

// Fields a variant must leave alone start from this value.
constexpr float kUnset = 12345.0f;

WindSummary presetSummary() {
    WindSummary s;
    s.UStd = s.VStd = s.WStd = s.TsStd = kUnset;
    s.UZ.assign(5, kUnset);
    return s;
}

struct WorkedRow {
    const char* name;
    const Window* window;
    const ProgramVariant* variant;
    const char* windSpeed;
    const char* windDirection;
    const char* avgU;
    const char* avgTs;
    const char* uStar;
    const char* l;
    const char* cuw;
    const char* cvw;
    const char* cTw;
    // nullptr: the variant leaves the field unset
    const char* uStd;
    const char* vStd;
    const char* wStd;
    const char* tsStd;
};

// The stable and mirrored rows follow by hand from the worked window: with w-mean 0 the
// pitch is 0, so the rotated u is the along-wind component (AvgU = WindSpeed), and
// mirroring u negates the rotated u only, so UStar, L and the spreads stay.
const WorkedRow kWorkedRows[] = {
    {"unstable fieldjoin", &kUnstable, &field::kFieldjoinVariant, "2.54951", "258.69", "2.55147", "20.375", "0.278245",
     "-22.4844", "-0.0423362", "0.0648193", "0.0717397", "0.27299", "0.416025", "0.131906", "0.414578"},
    {"unstable casetable", &kUnstable, &field::kCasetableVariant, "2.54951", "258.69", "2.55147", "20.375", "0.278245",
     "-22.4844", "-0.0423362", "0.0648193", "0.0717397", nullptr, nullptr, nullptr, nullptr},
    {"stable fieldjoin", &kStable, &field::kFieldjoinVariant, "2.54951", "258.69", "2.54951", "20.5", "0.265915",
     "28.1709", "-0.0392232", "0.0588348", "-0.05", "0.27735", "0.416025", "0.122474", "0.353553"},
    {"stable casetable", &kStable, &field::kCasetableVariant, "2.54951", "258.69", "2.54951", "20.5", "0.265915",
     "28.1709", "-0.0392232", "0.0588348", "-0.05", nullptr, nullptr, nullptr, nullptr},
    {"negative mean u", &kMirrored, &field::kFieldjoinVariant, "2.54951", "101.31", "-2.55147", "20.375", "0.278245",
     "-22.4844", "0.0423362", "0.0648193", "0.0717397", "0.27299", "0.416025", "0.131906", "0.414578"},
};

void expectPrinted(const char* row, const char* field, float actual, const char* expected) {
    if (expected == nullptr) {
        EXPECT_EQ(actual, kUnset) << row << ": " << field << " must stay unset";
        return;
    }
    EXPECT_EQ(printed(actual), expected) << row << ": " << field;
}

TEST(WindStatistics, WorkedWindows) {
    for (const WorkedRow& row : kWorkedRows) {
        SampleBuffer buffer(row.variant->sampleCapacity);
        fill(buffer, *row.window);
        WindSummary s = presetSummary();
        summariseWindow(buffer, s, workedCase(), *row.variant, field::site2014());

        expectPrinted(row.name, "WindSpeed", s.WindSpeed, row.windSpeed);
        expectPrinted(row.name, "WindDirection", s.WindDirection, row.windDirection);
        expectPrinted(row.name, "AvgU", s.AvgU, row.avgU);
        expectPrinted(row.name, "AvgTs", s.AvgTs, row.avgTs);
        expectPrinted(row.name, "UStar", s.UStar, row.uStar);
        expectPrinted(row.name, "L", s.L, row.l);
        expectPrinted(row.name, "UStd", s.UStd, row.uStd);
        expectPrinted(row.name, "VStd", s.VStd, row.vStd);
        expectPrinted(row.name, "WStd", s.WStd, row.wStd);
        expectPrinted(row.name, "TsStd", s.TsStd, row.tsStd);
        EXPECT_LE(std::fabs(s.AvgV), 1e-7f) << row.name << ": AvgV";
        EXPECT_LE(std::fabs(s.AvgW), 1e-7f) << row.name << ": AvgW";

        // The statistics leave the samples as read: the moments again give the row's.
        const field::RotatedMoments m = rotatedMoments(buffer, s.AvgTs);
        EXPECT_EQ(m.avgU, s.AvgU) << row.name;
        expectPrinted(row.name, "c_uw", m.uw, row.cuw);
        expectPrinted(row.name, "c_vw", m.vw, row.cvw);
        expectPrinted(row.name, "c_Tw", m.tw, row.cTw);
    }
}

TEST(WindStatistics, NegativeMeanUKeepsMagnitudeOfThreeDimensionalMean) {
    SampleBuffer buffer(4);
    fill(buffer, kMirrored);
    const float n = 4.0f;
    const double u = buffer.sumU / n, v = buffer.sumV / n, w = buffer.sumW / n;
    WindSummary s;
    summariseWindow(buffer, s, workedCase(), field::kCasetableVariant, field::site2014());
    EXPECT_LT(s.AvgU, 0.0f);
    EXPECT_NEAR(-s.AvgU, std::sqrt(u * u + v * v + w * w), 1e-6);
}

struct DirectionRow {
    float meanU;
    float meanV;
    const char* expected;
    double exact;
};

// Meteorological convention: the direction the wind comes from, 0..360.
const DirectionRow kDirectionRows[] = {
    {1, 0, "270", 270.0},
    {0, 1, "180", 180.0},
    {0, -1, "360", 360.0},
    {1, 1, "225", 225.0},
    // pi in single precision is below pi, so the quarter turn comes out just short of 90
    {-1, 0, "90", 89.99999237060547},
};

TEST(WindStatistics, DirectionFromRawMeans) {
    for (const DirectionRow& row : kDirectionRows) {
        // Two samples with the same mean make N a real divisor.
        SampleBuffer buffer(2);
        buffer.append(row.meanU + 0.5f, row.meanV - 0.25f, 0.0f, 20.0f);
        buffer.append(row.meanU - 0.5f, row.meanV + 0.25f, 0.0f, 20.0f);
        WindSummary s;
        summariseWindow(buffer, s, workedCase(), field::kCasetableVariant, field::site2014());
        EXPECT_EQ(printed(s.WindDirection), row.expected) << "(u, v) = (" << row.meanU << ", " << row.meanV << ")";
        EXPECT_EQ(static_cast<double>(s.WindDirection), row.exact)
            << "(u, v) = (" << row.meanU << ", " << row.meanV << ")";
    }
}

struct DegenerateRow {
    const char* name;
    const Window* window;
    // nullptr: not checked
    const char* windSpeed;
    const char* windDirection;
    const char* avgU;
    const char* avgV;
    const char* avgW;
    const char* avgTs;
    const char* uStar;
    const char* l;
    const char* uStd;
    const char* vStd;
    const char* wStd;
    const char* tsStd;
    const char* sourceStrength;
};

// The calm row by hand: no rotation; covariances 2, 2, -2 over N - 1 = 1; UStar = 8^0.25;
// L = -(8^0.75 * 294.15) / (-2 * 3.92); every spread is 1.
const DegenerateRow kDegenerateRows[] = {
    {"empty window", &kEmpty, "nan", "nan", "nan", "nan", "nan", "nan", "0", "nan", "nan", "nan", "nan", "nan", "nan"},
    {"single sample", &kSingle, "2.23607", "243.435", "2.2561", nullptr, nullptr, "21", "0", "nan", "0", "0", "0", "0",
     "nan"},
    {"zero mean wind", &kCalm, "0", "180", "0", "0", "0", "21", "1.68179", "178.472", "1", "1", "1", "1", nullptr},
    {"constant Ts", &kConstantTs, nullptr, nullptr, nullptr, nullptr, nullptr, "20", "0.278245", "-inf", nullptr,
     nullptr, nullptr, "0", nullptr},
};

void expectIfGiven(const char* row, const char* field, float actual, const char* expected) {
    if (expected != nullptr) {
        EXPECT_EQ(printed(actual), expected) << row << ": " << field;
    }
}

TEST(WindStatistics, DegenerateWindowsFollowIeeeResults) {
    for (const DegenerateRow& row : kDegenerateRows) {
        SampleBuffer buffer(4);
        fill(buffer, *row.window);
        WindSummary s;
        summariseWindow(buffer, s, workedCase(), field::kFieldjoinVariant, field::site2014());
        expectIfGiven(row.name, "WindSpeed", s.WindSpeed, row.windSpeed);
        expectIfGiven(row.name, "WindDirection", s.WindDirection, row.windDirection);
        expectIfGiven(row.name, "AvgU", s.AvgU, row.avgU);
        expectIfGiven(row.name, "AvgV", s.AvgV, row.avgV);
        expectIfGiven(row.name, "AvgW", s.AvgW, row.avgW);
        expectIfGiven(row.name, "AvgTs", s.AvgTs, row.avgTs);
        expectIfGiven(row.name, "UStar", s.UStar, row.uStar);
        expectIfGiven(row.name, "L", s.L, row.l);
        expectIfGiven(row.name, "UStd", s.UStd, row.uStd);
        expectIfGiven(row.name, "VStd", s.VStd, row.vStd);
        expectIfGiven(row.name, "WStd", s.WStd, row.wStd);
        expectIfGiven(row.name, "TsStd", s.TsStd, row.tsStd);
        expectIfGiven(row.name, "SourceStrength", s.SourceStrength, row.sourceStrength);
    }
}

TEST(WindStatistics, ZeroMeanWindLeavesSamplesInPlace) {
    SampleBuffer buffer(2);
    fill(buffer, kCalm);
    WindSummary s;
    summariseWindow(buffer, s, workedCase(), field::kCasetableVariant, field::site2014());
    for (std::size_t i = 0; i < kCalm.u.size(); ++i) {
        EXPECT_EQ(buffer.u[i], kCalm.u[i]) << "sample " << i;
        EXPECT_EQ(buffer.v[i], kCalm.v[i]) << "sample " << i;
        EXPECT_EQ(buffer.w[i], kCalm.w[i]) << "sample " << i;
    }
}

struct ExactRow {
    const char* name;
    Window window;
    double uStar;
    double l;
};

// Windows with zero mean v and w (no rotation), worked through the precision rules by hand
// in a separate calculation: 273.15 and 3.92 must enter as doubles, a float 273.15f or
// 3.92f moves L by one unit in the last place.
const ExactRow kExactRows[] = {
    {"stable pin", {{3.5f, 1.5f}, {0.5f, -0.5f}, {0.1f, -0.1f}, {20, 21}}, 0x1.e4384p-2, 0x1.3cd574p+6},
    {"unstable pin", {{2.75f, 2.25f}, {0.5f, -0.5f}, {0.1f, -0.1f}, {20, 19}}, 0x1.566522p-2, -0x1.be8b76p+4},
};

TEST(WindStatistics, ObukhovLengthToTheBit) {
    for (const ExactRow& row : kExactRows) {
        SampleBuffer buffer(2);
        fill(buffer, row.window);
        WindSummary s;
        summariseWindow(buffer, s, workedCase(), field::kCasetableVariant, field::site2014());
        EXPECT_EQ(static_cast<double>(s.UStar), row.uStar) << row.name;
        EXPECT_EQ(static_cast<double>(s.L), row.l) << row.name;
    }
}

// Regression: the divisor is 0.4 * 9.8 as doubles (3.9200000000000004); the
// literal 3.92 is one unit lower and prints -52.2495 for this window.
TEST(WindStatistics, ObukhovLengthDividesByTheProductNotTheLiteral392) {
    SampleBuffer buffer(2);
    buffer.append(2.0f, 0.0f, 0.5f, 35.6152344f);
    buffer.append(8.09f, 0.0f, -0.5f, 20.0f);  // v and w means are 0: no rotation
    WindSummary s;
    summariseWindow(buffer, s, workedCase(), field::kCasetableVariant, field::site2014());
    EXPECT_EQ(-52.2494469f, s.L);
    EXPECT_EQ("-52.2494", printed(s.L));
}

// A window that needs the full rotation, worked through the same rules by hand. Each
// shortcut moves at least one field by a unit in the last place: the speed's sum of squares
// taken in double, the yaw or the pitch angle kept in double, the pitch denominator formed
// in double, UStar cubed kept in double.
TEST(WindStatistics, RotatedWindowToTheBit) {
    const Window window{{3.6f, 3.3f, 3.2f, 3.7f},
                        {-1.4f, 1.3f, -1.4f, 0.6f},
                        {-0.2f, -0.1f, -0.2f, -0.4f},
                        {21.2f, 23.2f, 20.1f, 19.1f}};
    SampleBuffer buffer(4);
    fill(buffer, window);
    WindSummary s;
    summariseWindow(buffer, s, workedCase(), field::kFieldjoinVariant, field::site2014());
    const struct {
        const char* field;
        float actual;
        double expected;
    } rows[] = {
        {"WindSpeed", s.WindSpeed, 0x1.ba89cp+1},
        {"WindDirection", s.WindDirection, 0x1.11bb3ep+8},
        {"AvgU", s.AvgU, 0x1.bb7968p+1},
        {"AvgV", s.AvgV, -0x1p-25},
        {"AvgW", s.AvgW, 0x1.6p-25},
        {"AvgTs", s.AvgTs, 0x1.4e6666p+4},
        {"UStar", s.UStar, 0x1.2c889ap-3},
        {"L", s.L, -0x1.4fd4c4p+0},
        {"UStd", s.UStd, 0x1.bd4c64p-3},
        {"VStd", s.VStd, 0x1.3318cap+0},
        {"WStd", s.WStd, 0x1.9862d8p-4},
        {"TsStd", s.TsStd, 0x1.8581dap+0},
    };
    for (const auto& row : rows) EXPECT_EQ(static_cast<double>(row.actual), row.expected) << row.field;
}

TEST(WindStatistics, CovarianceFromItsSumOfProducts) {
    struct Case {
        const char* name;
        float sum;
        std::int32_t count;
        const char* expected;
    };
    const Case cases[] = {
        {"two samples divide by N - 1", 2, 2, "2"},
        {"three samples", 4, 3, "2"},
        {"one sample is not divided", 8, 1, "8"},
        {"no samples", 0, 0, "0"},
    };
    for (const Case& c : cases) EXPECT_EQ(printed(covarianceFromSum(c.sum, c.count)), c.expected) << c.name;
}

TEST(WindStatistics, ZeroCovarianceIsPositiveZero) {
    // Products 0 and -0: a sum started from +0 stays +0, which makes L -inf, not +inf.
    SampleBuffer buffer(4);
    buffer.append(0.0f, 0.0f, 1.0f, 1.0f);
    buffer.append(0.0f, 0.0f, -1.0f, 1.0f);
    const float c = rotatedMoments(buffer, 1.0f).tw;
    EXPECT_EQ(0.0f, c);
    EXPECT_FALSE(std::signbit(c));
}

TEST(WindStatistics, VariantsFillTheirOwnFields) {
    struct Row {
        const ProgramVariant* variant;
        bool spreads;
        bool profile;
    };
    const Row rows[] = {{&field::kFieldjoinVariant, true, true}, {&field::kCasetableVariant, false, false}};
    const char* uz[] = {"2.22379", "1.99127", "1.80378", "1.49468", "0.436549"};
    for (const Row& row : rows) {
        const char* name = row.variant == &field::kFieldjoinVariant ? "fieldjoin" : "casetable";
        SampleBuffer buffer(row.variant->sampleCapacity);
        fill(buffer, kUnstable);
        WindSummary s = presetSummary();
        summariseWindow(buffer, s, workedCase(), *row.variant, field::site2014());
        // Both programs derive the source strength from the same summary.
        EXPECT_EQ(printed(s.SourceStrength), "151.885") << name;
        EXPECT_EQ(s.UStd != kUnset, row.spreads) << name;
        EXPECT_EQ(s.TsStd != kUnset, row.spreads) << name;
        for (int k = 0; k < 5; ++k) {
            if (row.profile) {
                EXPECT_EQ(printed(s.UZ[k]), uz[k]) << name << ": UZ[" << k << "]";
            } else {
                EXPECT_EQ(s.UZ[k], kUnset) << name << ": UZ[" << k << "]";
            }
        }
    }
}

TEST(WindStatistics, MissingSourceDepositionStillFillsProfile) {
    SampleBuffer buffer(4);
    fill(buffer, kUnstable);
    MeasurementCase c = workedCase();
    c.SourceDeposition = -1;
    WindSummary s = presetSummary();
    summariseWindow(buffer, s, c, field::kFieldjoinVariant, field::site2014());
    EXPECT_EQ(s.SourceStrength, -999.0f);
    EXPECT_EQ(printed(s.UZ[0]), "2.22379");
    EXPECT_EQ(printed(s.UZ[4]), "0.436549");
}

TEST(SampleBuffer, StartsWithTheVariantCapacity) {
    for (const ProgramVariant* variant : {&field::kFieldjoinVariant, &field::kCasetableVariant}) {
        const SampleBuffer buffer(variant->sampleCapacity);
        EXPECT_EQ(buffer.capacity(), variant->sampleCapacity);
        for (const auto* array : {&buffer.u, &buffer.v, &buffer.w, &buffer.Ts})
            EXPECT_EQ(array->size(), variant->sampleCapacity);
        EXPECT_EQ(buffer.count, 0);
        EXPECT_EQ(buffer.sumU, 0.0f);
        EXPECT_EQ(buffer.sumTs, 0.0f);
    }
}

struct GrowthRow {
    std::size_t initialCapacity;
    int samples;
    std::size_t grownCapacity;
};

// clang-format off
const GrowthRow kGrowthRows[] = {
    {4, 4, 4},  // exactly full: no growth
    {3, 10, 12},
    {1, 5, 8},
    {0, 3, 4},
    {18000, 18001, 36000},  // one sample past the casetable window size
};
// clang-format on

TEST(SampleBuffer, GrowsWithoutLosingSamples) {
    for (const GrowthRow& row : kGrowthRows) {
        SampleBuffer buffer(row.initialCapacity);
        for (int i = 0; i < row.samples; ++i) buffer.append(static_cast<float>(i % 1000), -1.0f, 0.5f, 2.0f);
        const std::string name = std::to_string(row.initialCapacity) + " -> " + std::to_string(row.samples);
        ASSERT_EQ(buffer.count, row.samples) << name;
        EXPECT_EQ(buffer.capacity(), row.grownCapacity) << name;
        for (const auto* array : {&buffer.u, &buffer.v, &buffer.w, &buffer.Ts})
            EXPECT_EQ(array->size(), row.grownCapacity) << name;
        int misplaced = 0;
        for (int i = 0; i < row.samples; ++i) {
            const auto k = static_cast<std::size_t>(i);
            if (buffer.u[k] != static_cast<float>(i % 1000) || buffer.v[k] != -1.0f || buffer.w[k] != 0.5f ||
                buffer.Ts[k] != 2.0f)
                ++misplaced;
        }
        EXPECT_EQ(misplaced, 0) << name;
        // Every partial sum is an integer or half-integer below 2^24, so the float sums are exact.
        double expectedU = 0;
        for (int i = 0; i < row.samples; ++i) expectedU += i % 1000;
        EXPECT_EQ(static_cast<double>(buffer.sumU), expectedU) << name;
        EXPECT_EQ(static_cast<double>(buffer.sumV), -row.samples) << name;
        EXPECT_EQ(static_cast<double>(buffer.sumW), 0.5 * row.samples) << name;
        EXPECT_EQ(static_cast<double>(buffer.sumTs), 2.0 * row.samples) << name;
    }
}

TEST(SampleBuffer, GrownWindowGivesTheSameSummary) {
    SampleBuffer roomy(4);
    SampleBuffer tight(1);
    fill(roomy, kUnstable);
    fill(tight, kUnstable);
    WindSummary a;
    WindSummary b;
    summariseWindow(roomy, a, workedCase(), field::kFieldjoinVariant, field::site2014());
    summariseWindow(tight, b, workedCase(), field::kFieldjoinVariant, field::site2014());
    EXPECT_EQ(a.UStar, b.UStar);
    EXPECT_EQ(a.L, b.L);
    EXPECT_EQ(a.AvgU, b.AvgU);
    EXPECT_EQ(a.UStd, b.UStd);
    EXPECT_EQ(a.SourceStrength, b.SourceStrength);
}

TEST(SampleBuffer, WindowsReuseTheStorage) {
    SampleBuffer buffer(2);
    fill(buffer, kUnstable);  // grows to 4
    const float* storage = buffer.u.data();
    WindSummary s;
    summariseWindow(buffer, s, workedCase(), field::kFieldjoinVariant, field::site2014());
    buffer.clear();
    EXPECT_EQ(buffer.count, 0);
    EXPECT_EQ(buffer.sumU, 0.0f);
    EXPECT_EQ(buffer.sumV, 0.0f);
    EXPECT_EQ(buffer.sumW, 0.0f);
    EXPECT_EQ(buffer.sumTs, 0.0f);
    fill(buffer, kStable);
    summariseWindow(buffer, s, workedCase(), field::kFieldjoinVariant, field::site2014());
    EXPECT_EQ(buffer.u.data(), storage);
    EXPECT_EQ(buffer.capacity(), 4u);
    EXPECT_EQ(printed(s.UStar), "0.265915");
    EXPECT_EQ(printed(s.L), "28.1709");
}

}  // namespace
