// The quality of a window: classes, spikes, the steady-state and ITC tests,
// coverage and gap, the flag, and the seconds of a logger timestamp.
#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <iterator>
#include <limits>
#include <string>

#include <random>

#include <cctype>
#include <cstring>

#include <cmath>
#include <vector>

#include "input/logger_record.hpp"
#include "quality/sub_record_moments.hpp"
#include "quality/window_quality.hpp"

namespace field {
namespace {

TEST(DeviationClass, BoundsOfTheNineClasses) {
    struct Case {
        double percent;
        int expected;
    };
    const Case cases[] = {{0, 1},     {15, 1},  {15.01, 2}, {30, 2},   {50, 3},     {75, 4},       {100, 5},
                          {100.1, 6}, {250, 6}, {500, 7},   {1000, 8}, {1000.5, 9}, {INFINITY, 9}, {NAN, 9}};
    for (const Case& c : cases) EXPECT_EQ(c.expected, deviationClass(c.percent)) << c.percent;
}

// A calm series (period-4 pattern, sd about 0.7) with spikes put in at known places.
std::vector<float> calmSeries(std::size_t n) {
    std::vector<float> x(n);
    for (std::size_t i = 0; i < n; ++i) x[i] = static_cast<float>(static_cast<int>(i % 4) - 1) * 0.5f;
    return x;
}

// The ITC test's site facts and the default rules.
QualitySite siteWith(std::optional<double> sonicHeight, std::optional<double> latitude) {
    QualitySite site;
    site.sonicHeight = sonicHeight;
    site.latitude = latitude;
    return site;
}

// The screening with the default rules and a 5-minute window at 10 Hz.
std::int32_t spikesOf(const std::vector<float>& x, const std::vector<std::uint8_t>& invalid = {}) {
    std::vector<std::uint8_t> state;
    return screenSpikes(x.data(), static_cast<std::int32_t>(x.size()), 3000, QualityRules{}, invalid, state).spikes;
}

TEST(ScreenSpikes, RunsOfAtMostThreeCountLongerRunsDoNot) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::size_t, float>> values;  // sample, value (the calm series elsewhere)
        std::size_t length;                                 // of the series
        std::int32_t expected;
    };
    const auto run = [](std::size_t first, std::size_t length, float value) {
        std::vector<std::pair<std::size_t, float>> v;
        for (std::size_t i = first; i < first + length; ++i) v.push_back({i, value});
        return v;
    };
    const auto join = [](std::vector<std::vector<std::pair<std::size_t, float>>> parts) {
        std::vector<std::pair<std::size_t, float>> v;
        for (const auto& p : parts) v.insert(v.end(), p.begin(), p.end());
        return v;
    };
    const Case cases[] = {
        {"clean", {}, 8000, 0},
        {"one single spike", run(1000, 1, 9), 8000, 1},
        {"singles, a pair and a triple", join({run(500, 1, 9), run(2000, 2, 9), run(4000, 3, 9), run(6000, 1, 9)}),
         8000, 7},
        {"a run of four is a real change", run(3000, 4, 9), 8000, 0},
        {"spike at the very start and end", join({run(0, 1, 9), run(7999, 1, 9)}), 8000, 2},
        // The huge spike widens the first pass's deviation past the small one; the second finds it.
        {"a spike hidden by a bigger one", join({run(1000, 1, 1000), run(1100, 1, 6)}), 8000, 2},
        {"shorter than the window", run(100, 1, 9), 400, 1},
        {"two samples", {}, 2, 0},
    };
    for (const Case& c : cases) {
        std::vector<float> x = calmSeries(c.length);
        for (const auto& [at, value] : c.values) x[at] = value;
        EXPECT_EQ(c.expected, spikesOf(x)) << c.name;
    }
    EXPECT_EQ(0, spikesOf(std::vector<float>(100, 3.0f))) << "constant";
}

TEST(ScreenSpikes, PassesStopAtTheFirstThatFindsNone) {
    std::vector<float> x = calmSeries(8000);
    x[1000] = 1000;
    x[1100] = 6;
    std::vector<std::uint8_t> state;
    const SpikeScreen found = screenSpikes(x.data(), 8000, 3000, QualityRules{}, {}, state);
    EXPECT_EQ(2, found.spikes);
    EXPECT_EQ(3, found.passes);
    QualityRules onePass;
    onePass.spikePasses = 1;
    EXPECT_EQ(1, screenSpikes(x.data(), 8000, 3000, onePass, {}, state).spikes);
}

// A not-a-number early in a window took every later spike of its series out of the running sums.
TEST(ScreenSpikes, InvalidSampleEarlyDoesNotHideTheSpikesAfterIt) {
    const std::size_t n = 20000;
    SampleBuffer buffer(n);
    WindowRecord record;
    std::mt19937 random(11);
    std::normal_distribution<float> noise(0.0f, 0.3f);
    for (std::size_t i = 0; i < n; ++i) {
        float u = 2.0f + noise(random), w = noise(random);
        if (i == 50) u = std::numeric_limits<float>::quiet_NaN();
        if (i == 60) w = std::numeric_limits<float>::infinity();
        if (i > 1000 && i % 1500 == 0) {
            u += 15.0f;  // ten planted spikes after the invalid samples
            w += 15.0f;
        }
        buffer.append(u, noise(random), w, 20.0f + noise(random));
        record.addSample(static_cast<double>(i) / 10.0);
    }
    WindowQuality q;
    assessRawSamples(buffer, record, AskedWindow{0, 2000}, QualitySite{}, q);
    EXPECT_EQ(10.0, q.rateHz);
    EXPECT_EQ(2, q.invalidSamples);
    EXPECT_GE(q.spikes[0], 12);  // the planted ones and a few tails
    EXPECT_GE(q.spikes[2], 12);
    EXPECT_LT(q.spikeShare[0], 0.2);
}

// The four series' first pass runs together (two to an SSE2 register where there is one); each
// count must be that of the series' own first pass, whatever the window, threshold and run.
TEST(ScreenSpikes, FourFirstPassesTogetherCountAsEachAlone) {
    std::mt19937 random(11);
    std::normal_distribution<float> noise(0.0f, 1.0f);
    for (const std::size_t n :
         {std::size_t{0}, std::size_t{2}, std::size_t{3}, std::size_t{2999}, std::size_t{3001}, std::size_t{20000}}) {
        std::vector<float> series[4];
        for (auto& s : series) s.resize(n);
        for (std::size_t i = 0; i < n; ++i) {
            for (auto& s : series) s[i] = noise(random);
            const auto roll = random() % 1000;
            if (roll < 6) series[roll % 4][i] = 12.0f * (roll % 2 ? 1.0f : -1.0f);  // spikes, now and then in runs
        }
        const float* x[4] = {series[0].data(), series[1].data(), series[2].data(), series[3].data()};
        for (const std::int64_t width : {std::int64_t{1}, std::int64_t{600}, std::int64_t{3000}}) {
            QualityRules onePass;
            onePass.spikePasses = 1;
            onePass.spikeThreshold = width == 600 ? 3.5 : 5.0;
            std::int32_t together[4];
            firstPassSpikesOfFour(x, static_cast<std::int32_t>(n), width, onePass.spikeThreshold, onePass.spikeMaxRun,
                                  together);
            std::vector<std::uint8_t> state;
            for (int k = 0; k < 4; ++k)
                EXPECT_EQ(screenSpikes(x[k], static_cast<std::int32_t>(n), width, onePass, {}, state).spikes,
                          together[k])
                    << "n " << n << ", width " << width << ", series " << k;
        }
    }
}

TEST(WindowRate, NominalOrTheMedianStep) {
    struct Case {
        const char* name;
        double step;  // s between samples
        std::optional<double> nominal;
        double expected;
    };
    const Case cases[] = {
        {"10 Hz found", 0.1, std::nullopt, 10},
        {"0.5 Hz found", 2.0, std::nullopt, 0.5},
        {"20 Hz found", 0.05, std::nullopt, 20},
        {"nominal wins", 0.1, 12.5, 12.5},
    };
    for (const Case& c : cases) {
        WindowRecord record;
        for (int i = 0; i < 100; ++i) record.addSample(i * c.step + (i % 10 == 0 ? 5 * c.step : 0.0));  // a few gaps
        EXPECT_DOUBLE_EQ(c.expected, windowRateHz(record, 100, AskedWindow{0, 100 * c.step}, c.nominal)) << c.name;
    }
}

WindowRecord timesOf(const std::vector<double>& times) {
    WindowRecord record;
    for (const double t : times) record.addSample(t);
    return record;
}

TEST(SteadyState, HandComputedWindowOfTwoSubIntervals) {
    // Sub-interval 1: a = w = 0, 2 (covariance 2); sub-interval 2: a = w = 10, 12 (2).
    // Whole window: mean 6, sum of squares 104 over 3: 34.667. |2 - 34.667| / 34.667 = 94.23 %.
    const std::vector<float> a{0, 2, 10, 12};
    const std::vector<double> t{10, 20, 310, 320};
    const auto deviation = steadyStateDeviation(a.data(), a.data(), timesOf(t), 4, AskedWindow{0, 600});
    ASSERT_TRUE(deviation.has_value());
    EXPECT_NEAR(100.0 * (104.0 / 3 - 2) / (104.0 / 3), *deviation, 1e-9);
    EXPECT_EQ(5, deviationClass(*deviation));
}

TEST(SteadyState, StationarySeriesAndTheCasesWithoutATest) {
    // The same pattern in every sub-interval: the mean of the parts equals the whole.
    std::vector<float> a, w;
    std::vector<double> t;
    for (int i = 0; i < 1200; ++i) {
        a.push_back(static_cast<float>(i % 3));
        w.push_back(static_cast<float>((i + 1) % 3));
        t.push_back(i * 0.5);  // 600 s: two sub-intervals of 600 samples
    }
    const auto stationary = steadyStateDeviation(a.data(), w.data(), timesOf(t), 1200, AskedWindow{0, 600});
    ASSERT_TRUE(stationary.has_value());
    EXPECT_LT(*stationary, 0.2);
    // Nine minutes hold one sub-interval only; all samples in one sub-interval give one covariance.
    EXPECT_FALSE(steadyStateDeviation(a.data(), w.data(), timesOf(t), 1200, AskedWindow{0, 540}));
    EXPECT_FALSE(steadyStateDeviation(a.data(), w.data(), timesOf(t), 500, AskedWindow{0, 900}));
    // A remainder shorter than five minutes joins the last sub-interval instead of standing alone.
    EXPECT_TRUE(steadyStateDeviation(a.data(), w.data(), timesOf(t), 1200, AskedWindow{0, 840}));
}

TEST(WindowRecord, EveryTimeComesBackAsTheVeryDoubleGiven) {
    struct Time {
        std::int32_t day, minute;
        double seconds;
    };
    // clang-format off
    const Time times[] = {
        {15, 600, 0.0},  {15, 600, 3.4},  {15, 600, 59.9},    // 10 Hz
        {15, 601, 0.05}, {15, 601, 59.95},                    // 20 Hz
        {15, 602, 12.345}, {15, 603, 12.3456789}, {15, 603, 59.9999},
        {-1, 10, 5.5},   {15, 1500, 1.2}, {15, 604, 60.5},    // a negative day, a minute past the day, second 60
        {15, 590, 1.0},  {14, 1439, 59.9},                    // going back
        {16, 0, 0.1},    {16, 5, 30.0},   {70, 0, 0.0},       // the next day, 55 days on
    };
    // clang-format on
    std::vector<Time> all(std::begin(times), std::end(times));
    // A minute of canonical stamps with 1 to 3 decimals, as the reader computes their seconds.
    for (int whole = 0; whole < 60; ++whole)
        for (const double scale : {10.0, 100.0, 1000.0})
            for (int fraction = 0; fraction<scale; fraction += scale> 100 ? 7 : 1)
                all.push_back({15, 605, whole + fraction / scale});
    for (const bool reversed : {false, true}) {
        std::vector<Time> order = all;
        if (reversed) std::reverse(order.begin(), order.end());
        WindowRecord parts, whole;
        for (const Time& t : order) {
            parts.addSample(t.day, t.minute, t.seconds);
            whole.addSample(static_cast<double>(t.day) * 86400.0 + static_cast<double>(t.minute) * 60.0 + t.seconds);
        }
        ASSERT_EQ(order.size(), parts.size());
        ASSERT_EQ(order.size(), whole.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            const Time& t = order[i];
            SCOPED_TRACE("day " + std::to_string(t.day) + ", minute " + std::to_string(t.minute) + ", second " +
                         std::to_string(t.seconds) + (reversed ? ", reversed" : ""));
            const double given =
                static_cast<double>(t.day) * 86400.0 + static_cast<double>(t.minute) * 60.0 + t.seconds;
            const double a = parts.time(i), b = whole.time(i);
            EXPECT_EQ(0, std::memcmp(&given, &a, sizeof a)) << a << " for " << given;
            EXPECT_EQ(0, std::memcmp(&given, &b, sizeof b)) << b << " for " << given;
        }
    }
}

TEST(ItcModel, RangesOfStability) {
    struct Case {
        double zeta;
        std::optional<double> expected;
    };
    const double f = 1e-4, uStar = 0.5;
    // clang-format off
    const Case cases[] = {
        {-1.0, 2.0},                                        // 2.0 |zeta|^(1/8)
        {-2.5, 2.0 * std::pow(2.5, 0.125)},                 //
        {-0.2, 0.21 * std::log(f / uStar) + 3.1},           // neutral from -0.2 on
        {0.0, 0.21 * std::log(f / uStar) + 3.1},            // 1.311
        {0.39, 0.21 * std::log(f / uStar) + 3.1},           //
        {0.4, std::nullopt},                                // stable: no parameterisation
        {-3.0, std::nullopt},                               // strongly unstable: none
    };
    // clang-format on
    for (const Case& c : cases) {
        const auto model = modelledSigmaWOverUStar(c.zeta, f, uStar);
        ASSERT_EQ(c.expected.has_value(), model.has_value()) << c.zeta;
        if (model) {
            EXPECT_DOUBLE_EQ(*c.expected, *model) << c.zeta;
        }
    }
}

// A rotated-frame window of `seconds` at 10 Hz starting at second 0 of day 0, with
// the samples in [holeFrom, holeTo) left out.
struct TestWindow {
    SampleBuffer buffer{16};
    WindowRecord record;
    TestWindow(int seconds, double holeFrom = 0, double holeTo = 0) {
        for (int i = 0; i < seconds * 10; ++i) {
            const double t = i / 10.0;
            if (t >= holeFrom && t < holeTo) continue;
            const float w = static_cast<float>((i % 5) - 2) * 0.1f;
            buffer.append(2.0f + 0.5f * w, 0.0f, w, 20.0f - w);
            record.addSample(t);
        }
    }
};

TEST(Coverage, WindowWithAKnownHole) {
    TestWindow window(600, 100, 220);  // 120 s missing of 600
    WindowQuality q;
    assessRotatedSamples(window.buffer, window.record, AskedWindow{0, 600}, WindSummary{}, QualitySite{}, q);
    EXPECT_DOUBLE_EQ(80.0, q.coveragePercent);
    EXPECT_NEAR(120.1, q.longestGapSeconds, 1e-9);
    // The printed window can be shorter than the one asked for: coverage is over the one asked for.
    assessRotatedSamples(window.buffer, window.record, AskedWindow{0, 1200}, WindSummary{}, QualitySite{}, q);
    EXPECT_DOUBLE_EQ(40.0, q.coveragePercent);
}

TEST(QualityFlag, SchemeAndWhatNoTestMends) {
    struct Case {
        const char* name;
        int seconds;
        std::int32_t foreign;
        std::optional<double> height;
        float uStar;
        int expected;
        ItcStatus itc;
    };
    const Case cases[] = {
        {"stationary, no site facts", 600, 0, std::nullopt, 0.3f, 0, ItcStatus::NoSiteFacts},
        {"samples of another case", 600, 10, std::nullopt, 0.3f, 2, ItcStatus::NoSiteFacts},
        {"no samples", 0, 0, std::nullopt, 0.3f, 2, ItcStatus::NoSiteFacts},
        {"too short for the steady-state test", 200, 0, std::nullopt, 0.3f, 2, ItcStatus::NoSiteFacts},
        // sigma_w = 0.1414: with u* = 1 the ratio is 88 % below the neutral model 1.19 (class 5),
        // with u* = 0.01 it is 553 % above 2.16 (class 8)
        {"ITC class 5", 600, 0, 2.0, 1.0f, 1, ItcStatus::Run},
        {"ITC class 8", 600, 0, 2.0, 0.01f, 2, ItcStatus::Run},
        {"no turbulence", 600, 0, 2.0, 0.0f, 0, ItcStatus::NoTurbulence},
    };
    for (const Case& c : cases) {
        TestWindow window(c.seconds);
        window.record.foreignSamples = c.foreign;
        WindSummary wind;
        wind.UStar = c.uStar;
        wind.L = 1e6f;  // neutral
        WindowQuality q;
        assessRotatedSamples(window.buffer, window.record, AskedWindow{0, static_cast<double>(c.seconds)}, wind,
                             siteWith(c.height, 50.0), q);
        EXPECT_EQ(c.expected, q.flag) << c.name;
        EXPECT_EQ(c.itc, q.itcStatus) << c.name;
    }
}

TEST(ItcTest, NearNeutralWindowAtTheEquatorIsNearEquator) {
    // The neutral model needs |f| / u* well above 1e-7: within about 0.02 degrees of the
    // equator it has no positive value; the unstable one needs no f.
    struct Case {
        double latitude;
        float L;  // with the sonic at 2 m: zeta 2 / L
        ItcStatus expected;
    };
    const Case cases[] = {{0.0, 1e6f, ItcStatus::NearEquator},
                          {-0.01, 1e6f, ItcStatus::NearEquator},
                          {0.1, 1e6f, ItcStatus::Run},
                          {0.0, -2.0f, ItcStatus::Run},
                          {0.0, 2.0f, ItcStatus::OutOfRange}};
    for (const Case& c : cases) {
        SCOPED_TRACE("latitude " + std::to_string(c.latitude) + ", L " + std::to_string(c.L));
        TestWindow window(600);
        WindSummary wind;
        wind.UStar = 0.3f;
        wind.L = c.L;
        WindowQuality q;
        assessRotatedSamples(window.buffer, window.record, AskedWindow{0, 600}, wind, siteWith(2.0, c.latitude), q);
        EXPECT_EQ(c.expected, q.itcStatus);
        EXPECT_DOUBLE_EQ(2.0 / static_cast<double>(c.L), q.zeta);
    }
}

TEST(TimestampSeconds, EveryFractionTheLoggerWrites) {
    struct Case {
        const char* line;
        double expected;
    };
    const Case cases[] = {
        {"\"2014-08-15 10:00:03.4\",1,2,3", 3.4},
        {"\"2014-08-15 10:00:03.45\",1,2,3", 3.45},
        {"\"2014-08-15 10:00:59\",1,2,3", 59},
        {"\"2014-08-15 10:00\",1,2,3", 0},
        {"\"2014-08-15\",1", 0},
        {"", 0},
        {"\"2014-8-5 9:7:05.25\",1", 5.25},
    };
    for (const Case& c : cases) EXPECT_DOUBLE_EQ(c.expected, timestampSeconds(c.line)) << c.line;
}

// The short route for "SS.f" must give the bits of the general rule: whole + fraction / 10^digits.
TEST(SecondsText, ShortFormsGiveTheGeneralRulesBits) {
    const auto byDefinition = [](std::string_view text) {
        std::size_t i = 0;
        double whole = 0, fraction = 0, scale = 1;
        for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
            whole = whole * 10 + (text[i] - '0');
        if (i < text.size() && text[i] == '.')
            for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i, scale *= 10)
                fraction = fraction * 10 + (text[i] - '0');
        return whole + fraction / scale;
    };
    for (const char* text :
         {"03.4", "59.9\"", "00.0\",1", "03.45", "03.4x", "3.4", "03.", "03", "7", ".5", "12.3456"}) {
        const double got = secondsText(text), expected = byDefinition(text);
        EXPECT_EQ(0, std::memcmp(&got, &expected, sizeof got)) << text << ": " << got << " against " << expected;
    }
}

TEST(SubRecordMoments, SameBitsAsTheSeparatePasses) {
    // The quality takes the steady-state test, the sampling errors and the spread of w from two
    // shared passes; each must be what its own routine gives, to the bit, also where sub-records
    // hold one sample or none and where a time runs back.
    struct Case {
        int seconds;
        int gapFrom, gapTo;  // samples left out (a sub-record emptied or thinned)
        bool backwards;      // one time out of order
    };
    const Case cases[] = {{600, 0, 0, false},        {1799, 0, 0, false},       {3600, 0, 0, true},
                          {1800, 3000, 5999, false}, {1800, 3001, 5999, false}, {900, 0, 2999, true}};
    const auto bits = [](double x) { return std::bit_cast<std::uint64_t>(x); };
    std::mt19937 random(7);
    std::normal_distribution<float> noise(0.0f, 1.0f);
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.seconds << " s, gap " << c.gapFrom << "-" << c.gapTo);
        SampleBuffer buffer(16);
        WindowRecord record;
        for (int i = 0; i < c.seconds * 10; ++i) {
            if (i >= c.gapFrom && i < c.gapTo) continue;
            const float drift = static_cast<float>(i) / static_cast<float>(c.seconds * 10);
            buffer.append(2.0f + noise(random) + drift, 0.5f * noise(random), 0.3f * noise(random),
                          20.0f + noise(random) - drift);
            const int at = c.backwards && i == 4000 ? 100 : i;
            record.addSample(15, 600 + at / 600, (at % 600) / 10.0);
        }
        const AskedWindow window = askedWindow(15, 600, 600 + c.seconds / 60);
        const SubIntervals parts(record, buffer.count, window);
        ASSERT_GE(parts.intervals, 2u);
        const SubRecordMoments m = subRecordMoments(buffer, parts);
        const auto uw = steadyStateDeviation(buffer.u.data(), buffer.w.data(), parts);
        const auto wt = steadyStateDeviation(buffer.Ts.data(), buffer.w.data(), parts);
        ASSERT_EQ(uw.has_value() && wt.has_value(), m.steadyUW.has_value());
        if (uw && wt) {
            EXPECT_EQ(bits(*uw), bits(*m.steadyUW));
            EXPECT_EQ(bits(*wt), bits(*m.steadyWTs));
        }
        const SamplingErrors e = samplingErrors(buffer, parts);
        EXPECT_EQ(e.subRecords, m.errors.subRecords);
        EXPECT_EQ(bits(e.uw), bits(m.errors.uw));
        EXPECT_EQ(bits(e.vw), bits(m.errors.vw));
        EXPECT_EQ(bits(e.wTs), bits(m.errors.wTs));
        EXPECT_EQ(bits(e.directionDegrees), bits(m.errors.directionDegrees));
        double sum = 0, squares = 0;
        for (std::int32_t i = 0; i < buffer.count; ++i) sum += buffer.w[static_cast<std::size_t>(i)];
        const double mean = sum / buffer.count;
        for (std::int32_t i = 0; i < buffer.count; ++i)
            squares += (buffer.w[static_cast<std::size_t>(i)] - mean) * (buffer.w[static_cast<std::size_t>(i)] - mean);
        EXPECT_EQ(bits(std::sqrt(squares / buffer.count)), bits(m.sigmaW));
        // And the quality of the window takes them.
        WindowQuality q;
        assessRotatedSamples(buffer, record, window, WindSummary{}, QualitySite{}, q);
        EXPECT_EQ(q.steadyRun, m.steadyUW.has_value());
    }
}

TEST(WindowRecord, TenthsOfTheReaderGiveTheDigitLoopsTime) {
    // 10 Hz lines hand their milliseconds over without a double: the time must be the one the
    // digit loop's seconds give, for every "SS.f" text.
    WindowRecord record;
    std::vector<double> expected;
    for (int tenths = 0; tenths < 600; ++tenths) {
        const std::string text = std::string(1, static_cast<char>('0' + tenths / 100)) +
                                 static_cast<char>('0' + tenths / 10 % 10) + "." + static_cast<char>('0' + tenths % 10);
        ASSERT_TRUE(isTenthsText(text)) << text;
        record.addTenthsSample(15, 600, tenthsMilliseconds(text));
        expected.push_back(15.0 * 86400.0 + 600.0 * 60.0 + secondsText(text));
    }
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(expected[i], record.time(i)) << i;
}

TEST(WindowRecord, TenthsOfTheMinuteBeforeGiveTheTimesOfTheirOwn) {
    // The minute coded last is kept for the lines that follow in it: across new minutes and
    // days, a cleared record, minutes too far from the first to be coded and times kept whole,
    // every time must be the one the general route gives.
    struct Sample {
        std::int32_t day, minute;
        std::uint32_t ms;
        bool clearFirst = false;
    };
    const Sample samples[] = {
        {15, 600, 0},         {15, 600, 100},       {15, 600, 59900},  {15, 601, 0},    {15, 601, 60000},
        {15, 601, 200},       {16, 601, 300},       {16, 601, 400},    {15, 601, 500},  {15, 601, 600},
        {15, 600, 700},       {-1, 600, 800, true}, {15, 600, 900},    {70, 0, 100},    {70, 0, 200},
        {15, 600, 1000},      {-1, 600, 100},       {-1, 600, 200},    {15, 1440, 300}, {15, 1440, 400},
        {14, 600, 500, true}, {14, 600, 600},       {14, 1439, 59900}, {15, 0, 0},      {15, 0, 100},
    };
    WindowRecord tenths, general;
    for (const Sample& s : samples) {
        if (s.clearFirst) {
            tenths.clear();
            general.clear();
        }
        tenths.addTenthsSample(s.day, s.minute, s.ms);
        general.addSample(s.day, s.minute,
                          static_cast<double>(s.ms / 1000) + static_cast<double>(s.ms % 1000) / 1000.0);
        ASSERT_EQ(general.size(), tenths.size());
        const std::size_t i = tenths.size() - 1;
        EXPECT_EQ(general.time(i), tenths.time(i))
            << "day " << s.day << ", minute " << s.minute << ", " << s.ms << " ms";
    }
}

TEST(LoggerRecord, TenthsTextByWordIsTheCharacterRule) {
    // Every text of up to six characters from an alphabet around the digits and the point.
    const std::string alphabet = std::string("0159./:, \"a") + '\x80' + '\xff' + '\xb9' + '\x09';
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto rule = [&](std::string_view t) {
        return t.size() >= 4 && isDigit(t[0]) && isDigit(t[1]) && t[2] == '.' && isDigit(t[3]) &&
               (t.size() == 4 || !isDigit(t[4]));
    };
    std::size_t accepted = 0;
    std::string text;
    const std::size_t k = alphabet.size();
    for (std::size_t length = 0; length <= 6; ++length) {
        std::size_t combinations = 1;
        for (std::size_t j = 0; j < length; ++j) combinations *= k;
        for (std::size_t c = 0; c < combinations; ++c) {
            text.clear();
            for (std::size_t j = 0, rest = c; j < length; ++j, rest /= k) text += alphabet[rest % k];
            const bool expected = rule(text);
            accepted += expected;
            ASSERT_EQ(expected, isTenthsText(text)) << "[" << text << "]";
        }
    }
    EXPECT_GT(accepted, 1000u);
}

TEST(SteadyState, SubIntervalsFromWholeMinutesAreThoseOfTheTimes) {
    // The sub-intervals are found in integers where a time is a code; they must be those of
    // the floating-point rule on the times themselves, seconds close to the next minute included.
    struct Case {
        std::int32_t day, minute;
        double seconds;
    };
    const Case times[] = {{15, 595, 0.0}, {15, 599, 59.999}, {15, 600, 0.0},      {15, 604, 59.9},
                          {15, 605, 0.1}, {15, 609, 59.95},  {15, 610, 12.5},     {15, 655, 59.999},
                          {15, 700, 0.0}, {16, 3, 30.0},     {15, 602, 7.123456}, {14, 1439, 59.9}};
    for (const std::int32_t begin : {600, 601, 0, 1437}) {
        WindowRecord record;
        for (const Case& t : times) record.addSample(t.day, t.minute, t.seconds);
        const AskedWindow window = askedWindow(15, begin, begin + 60);
        const auto count = static_cast<std::int32_t>(record.size());
        const SubIntervals parts(record, count, window);
        ASSERT_EQ(12u, parts.intervals);
        for (std::size_t i = 0; i < record.size(); ++i) {
            const double k = std::floor((record.time(i) - window.begin) / kSubIntervalSeconds);
            const std::uint32_t expected = !(k > 0) ? 0u : static_cast<std::uint32_t>(std::min(k, 11.0));
            EXPECT_EQ(expected, parts.of(i)) << "begin " << begin << ", sample " << i;
        }
    }
}

}  // namespace
}  // namespace field
