// The source strength's interval: the table's own value when nothing moves, wider for a
// window with fewer samples, the flag for a wide one, and the draws' arithmetic.

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>
#include <vector>

#include "campaign_2014.hpp"
#include "quality/source_interval.hpp"
#include "quality/window_quality.hpp"
#include "wind/wind_statistics.hpp"

namespace field {
namespace {

// An hour of 10 Hz turbulence from the west-south-west with a downward momentum flux and an upward heat flux,
// every `step`-th sample kept.
struct Window {
    SampleBuffer buffer{36000};
    WindowRecord record;
    AskedWindow asked{0, 3600};
};

void fillWindow(Window& window, int step, unsigned seed = 3) {
    std::mt19937 random(seed);
    std::normal_distribution<float> noise(0.0f, 1.0f);
    for (int i = 0; i < 36000; ++i) {
        const float w = 0.3f * noise(random);
        const float u = 2.5f + 0.6f * noise(random) - 0.8f * w;
        const float v = 1.0f + 0.5f * noise(random);
        const float ts = 18.0f + 0.2f * noise(random) + 0.4f * w;
        if (i % step != 0) continue;
        window.buffer.append(u, v, w, ts);
        window.record.addSample(static_cast<double>(i) / 10.0);
    }
}

MeasurementCase fenceCase() {
    MeasurementCase c = sizedCase2014();
    c.Deposition = {1, 2, 4, 3, 1, 2, 5, 4, 10};
    c.SourceDeposition = 10;
    c.SourceProfile = {50, 80, 120, 150, 160};
    return c;
}

struct Assessed {
    WindSummary table;
    WindowQuality quality;
};

Assessed assess(int step, const QualityRules& rules, const ProgramVariant& variant = kFieldjoinVariant) {
    Window window;
    fillWindow(window, step);
    Assessed a;
    const MeasurementCase c = fenceCase();
    summariseWindow(window.buffer, a.table, c, variant, site2014());
    QualitySite site;
    site.rules = rules;
    assessRawSamples(window.buffer, window.record, window.asked, site, a.quality);
    rotateSamples(window.buffer);
    assessRotatedSamples(window.buffer, window.record, window.asked, a.table, site, a.quality);
    SourceIntervalEstimator estimator(variant, site2014(), rules);
    assessSourceInterval(estimator, c, a.table, rules, a.quality);
    return a;
}

TEST(SourceInterval, DrawsThatMoveNothingGiveTheTablesValueBitForBit) {
    struct Case {
        const char* name;
        float direction;  // the table's, moved to reach each quadrant and the wrap at 360
        int missingLevel;
    };
    const Case cases[] = {{"as measured", -1, -1},
                          {"first quadrant", 10, -1},
                          {"last quadrant", 359.9f, -1},
                          {"top level missing", -1, 0},
                          {"lowest level missing", 200, 4}};
    for (const ProgramVariant* variant : {&kFieldjoinVariant, &kCasetableVariant}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.name);
            Window window;
            fillWindow(window, 1);
            MeasurementCase m = fenceCase();
            if (c.missingLevel >= 0) m.SourceProfile[static_cast<std::size_t>(c.missingLevel)] = -1;
            WindSummary table;
            summariseWindow(window.buffer, table, m, *variant, site2014());
            if (c.direction >= 0) {
                table.WindDirection = c.direction;
                computeSourceStrength(m, table, *variant, site2014());
            }
            ASSERT_GT(table.SourceStrength, 0.0f);
            QualityRules rules;
            rules.intervalDraws = 50;
            SourceIntervalEstimator estimator(*variant, site2014(), rules);
            const SourceRanges still{SamplingErrors{0, 0, 0, 0, 12}, 1, 1, 1};
            const SourceInterval s = estimator.estimate(sourceReadingsOf(m, site2014()), table, still);
            ASSERT_TRUE(s.computed);
            EXPECT_EQ(50, s.validDraws);
            for (const double point : {s.median, s.low, s.high})
                EXPECT_EQ(std::bit_cast<std::uint32_t>(table.SourceStrength),
                          std::bit_cast<std::uint32_t>(static_cast<float>(point)));
            EXPECT_EQ(-1, s.driver);  // nothing moved, nothing drives
        }
    }
}

TEST(SourceInterval, ThinnedWindowHasLargerErrorsAndAWiderInterval) {
    QualityRules rules;  // only what the window's samples tell moves
    rules.roughnessLengthFactor = rules.canopyHeightFactor = rules.mastReadingFactor = 1;
    const Assessed full = assess(1, rules);
    const Assessed thinned = assess(16, rules);
    ASSERT_TRUE(full.quality.errors.known());
    ASSERT_TRUE(full.quality.source.computed && thinned.quality.source.computed);
    EXPECT_EQ(12u, full.quality.errors.subRecords);
    EXPECT_GT(thinned.quality.errors.uw, 2 * full.quality.errors.uw);
    EXPECT_GT(thinned.quality.errors.wTs, 2 * full.quality.errors.wTs);
    const auto width = [](const SourceInterval& s) { return s.high - s.low; };
    EXPECT_GT(width(thinned.quality.source), width(full.quality.source));
    EXPECT_LT(full.quality.source.low, full.table.SourceStrength);
    EXPECT_GT(full.quality.source.high, full.table.SourceStrength);
    double shares = 0;
    for (const double s : full.quality.source.share) shares += s;
    EXPECT_NEAR(100.0, shares, 1e-9);
}

TEST(SourceInterval, DriverAndFlagFollowTheRanges) {
    struct Case {
        const char* name;
        double z0, canopy, mast;
        SourceInput driver;
        bool uncertain;
    };
    const Case cases[] = {{"roughness length", 3, 1, 1, SourceInput::RoughnessLength, true},
                          {"canopy height", 1, 3, 1, SourceInput::CanopyHeight, false},
                          {"mast readings", 1, 1, 3, SourceInput::Mast, true},
                          {"the window's own errors", 1, 1, 1, SourceInput::UStar, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QualityRules rules;
        rules.roughnessLengthFactor = c.z0;
        rules.canopyHeightFactor = c.canopy;
        rules.mastReadingFactor = c.mast;
        const Assessed a = assess(1, rules);
        ASSERT_TRUE(a.quality.source.computed);
        EXPECT_EQ(static_cast<int>(c.driver), a.quality.source.driver);
        EXPECT_EQ(c.uncertain, a.quality.source.spreadPercent > rules.sourceSpreadFlag1);
        EXPECT_EQ(c.uncertain, (a.quality.reasons & kReasonSourceUncertain) != 0);
        EXPECT_EQ(c.uncertain, a.quality.flag >= 1);
    }
}

TEST(SourceInterval, NoIntervalForMissingValuesOrWithoutDraws) {
    QualityRules none;
    none.intervalDraws = 0;
    EXPECT_FALSE(assess(1, none).quality.source.computed);
    // Too short for two sub-records: no sampling error, no interval, no flag of its own.
    Window window;
    fillWindow(window, 1);
    window.asked = {0, 500};
    WindSummary table;
    MeasurementCase c = fenceCase();
    c.SourceDeposition = -1;  // the table's -999
    summariseWindow(window.buffer, table, c, kFieldjoinVariant, site2014());
    SourceIntervalEstimator estimator(kFieldjoinVariant, site2014(), QualityRules{});
    EXPECT_FALSE(
        estimator.estimate(sourceReadingsOf(c, site2014()), table, {SamplingErrors{0, 0, 0, 0, 12}, 2, 2, 2}).computed);
    WindowQuality q;
    rotateSamples(window.buffer);
    assessRotatedSamples(window.buffer, window.record, window.asked, table, QualitySite{}, q);
    EXPECT_FALSE(q.errors.known());
}

TEST(SourceInterval, QuantilesAndNormalDraws) {
    const std::vector<double> sorted = {1, 2, 3, 4, 5};
    struct Case {
        double p, expected;
    };
    for (const Case& c : {Case{0, 1}, Case{0.5, 3}, Case{0.025, 1.1}, Case{0.975, 4.9}, Case{1, 5}})
        EXPECT_DOUBLE_EQ(c.expected, quantileOfSorted(sorted, c.p)) << c.p;

    const NormalDraws a(1000, 7, 2014), b(1000, 7, 2014), other(1000, 7, 2015);
    double sum = 0, squares = 0;
    for (int d = 0; d < a.draws(); ++d)
        for (std::size_t k = 0; k < a.width(); ++k) {
            EXPECT_EQ(a.of(d)[k], b.of(d)[k]);
            sum += a.of(d)[k];
            squares += a.of(d)[k] * a.of(d)[k];
        }
    const double n = 7000;
    EXPECT_NEAR(0.0, sum / n, 0.05);
    EXPECT_NEAR(1.0, squares / n, 0.05);
    EXPECT_NE(a.of(0)[0], other.of(0)[0]);
}

}  // namespace
}  // namespace field
