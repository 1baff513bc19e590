// Micro-benchmarks of the logger hot path and the window statistics, on
// realistic multi-megabyte inputs; throughput is reported in bytes/s.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "input/logger_record.hpp"
#include "input/sonic_layouts.hpp"
#include "platform/c_numbers.hpp"
#include "platform/line_reader.hpp"
#include "quality/source_interval.hpp"
#include "quality/window_quality.hpp"
#include "tests/campaign_2014.hpp"
#include "tests/logger_text.hpp"
#include "wind/wind_statistics.hpp"

namespace {

using namespace field;

// About 16 MB of logger lines at 10 Hz (no header lines), values varying like real turbulence.
const std::string& loggerText() {
    static const std::string text = [] {
        // Three decimals for u, v and w, two for Ts.
        testing::LoggerText t("", testing::ValueFormat{3, 2});
        unsigned state = 12345;
        for (int i = 0; i < 260000; ++i) {
            state = state * 1103515245u + 12345u;
            const int m = (i / 600) % 1440;
            t.line(testing::loggerStamp(15, m, (i % 600) / 10.0), i, 2.0 + (state % 1000) / 500.0,
                   -0.5 + (state % 777) / 800.0, -0.3 + (state % 333) / 555.0, 20.0 + (state % 97) / 10.0);
        }
        return t.text();
    }();
    return text;
}

std::vector<std::string_view> loggerLines() {
    std::vector<std::string_view> lines;
    std::string_view rest = loggerText();
    while (!rest.empty()) {
        const std::size_t lf = rest.find('\n');
        lines.push_back(rest.substr(0, lf));
        rest.remove_prefix(lf + 1);
    }
    return lines;
}

void BM_LineReader(benchmark::State& state) {
    const std::string path = (std::filesystem::temp_directory_path() / "micro_bench_logger.dat").string();
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(loggerText().data(), 1, loggerText().size(), f);
        std::fclose(f);
    }
    LineReader reader;
    for (auto _ : state) {
        reader.open(path);
        std::string_view line;
        std::size_t n = 0;
        while (reader.next(line)) n += line.size();
        benchmark::DoNotOptimize(n);
    }
    std::filesystem::remove(path);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * loggerText().size()));
}
BENCHMARK(BM_LineReader);

void BM_CanonicalTimestamp(benchmark::State& state) {
    const auto lines = loggerLines();
    for (auto _ : state) {
        long sum = 0;
        for (std::string_view line : lines) {
            LoggerTime t;
            parseCanonicalTimestamp(line, field::rule2014(true), t);
            sum += t.day + t.minute;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * loggerText().size()));
}
BENCHMARK(BM_CanonicalTimestamp);

void BM_GeneralTimestamp(benchmark::State& state) {
    const auto lines = loggerLines();
    for (auto _ : state) {
        long sum = 0;
        for (std::string_view line : lines) {
            std::string_view rest;
            const LoggerTime t = parseLoggerTimestamp(timestampField(line, rest), field::rule2014(true));
            sum += t.day + t.minute;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * loggerText().size()));
}
BENCHMARK(BM_GeneralTimestamp);

void BM_SonicValues(benchmark::State& state) {
    const auto lines = loggerLines();
    for (auto _ : state) {
        float sum = 0;
        for (std::string_view line : lines) {
            std::string_view rest;
            timestampField(line, rest);
            const SonicValues s = parseSonicValues(rest);
            sum += s.u + s.v + s.w + s.Ts;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * loggerText().size()));
}
BENCHMARK(BM_SonicValues);

void BM_SonicLayouts(benchmark::State& state) {
    const auto lines = loggerLines();
    SonicLayouts layouts;
    for (auto _ : state) {
        float sum = 0;
        for (std::string_view line : lines) {
            std::string_view rest;
            timestampField(line, rest);
            const SonicValues s = layouts.parse(rest);
            sum += s.u + s.v + s.w + s.Ts;
        }
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * loggerText().size()));
}
BENCHMARK(BM_SonicLayouts);

void BM_CAtof(benchmark::State& state) {
    const std::string_view fields[] = {"1.804", "-0.279", "24.31", "0.691", "2.5", "-12.375", "0.000015", "13"};
    for (auto _ : state) {
        double sum = 0;
        for (int r = 0; r < 1000; ++r)
            for (std::string_view f : fields) sum += cAtof(f);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * 8000);
}
BENCHMARK(BM_CAtof);

// Appends `n` samples varying like the logger lines above, from the seed `s`.
void appendTurbulentSamples(SampleBuffer& samples, int n, unsigned s) {
    for (int i = 0; i < n; ++i) {
        s = s * 1103515245u + 12345u;
        samples.append(2.0f + static_cast<float>(s % 1000) / 500.0f, -0.5f + static_cast<float>(s % 777) / 800.0f,
                       -0.3f + static_cast<float>(s % 333) / 555.0f, 20.0f + static_cast<float>(s % 97) / 10.0f);
    }
}

// One 30-minute window at 20 Hz, refilled before each computation (the rotation works in place).
void BM_WindSummary(benchmark::State& state) {
    const int n = 36000;
    SampleBuffer source(static_cast<std::size_t>(n));
    appendTurbulentSamples(source, n, 7);
    SampleBuffer buffer(static_cast<std::size_t>(n));
    MeasurementCase c = field::sizedCase2014();
    WindSummary summary;
    for (auto _ : state) {
        state.PauseTiming();
        buffer.clear();
        for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i)
            buffer.append(source.u[i], source.v[i], source.w[i], source.Ts[i]);
        state.ResumeTiming();
        summariseWindow(buffer, summary, c, kFieldjoinVariant, field::site2014());
        benchmark::DoNotOptimize(summary);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_WindSummary);

// The source strength's interval of one window: 1000 draws (the quality thread's cost per row).
void BM_SourceInterval(benchmark::State& state) {
    MeasurementCase c = field::sizedCase2014();
    c.Deposition = {1, 2, 4, 3, 1, 2, 5, 4, 10};
    c.SourceDeposition = 10;
    c.SourceProfile = {50, 80, 120, 150, 160};
    WindSummary table;
    table.UStar = frictionVelocity(-0.08f, 0.01f);
    table.covUW = -0.08f;
    table.covVW = 0.01f;
    table.covWTs = 0.05f;
    table.AvgTs = 20.0f;
    table.L = obukhovLength(table.UStar, table.AvgTs, table.covWTs);
    table.WindDirection = 250.0f;
    computeSourceStrength(c, table, kFieldjoinVariant, field::site2014());
    SourceIntervalEstimator estimator(kFieldjoinVariant, field::site2014(), QualityRules{});
    SamplingErrors errors;
    errors.uw = 0.005;
    errors.vw = 0.004;
    errors.wTs = 0.003;
    errors.directionDegrees = 2;
    for (auto _ : state) benchmark::DoNotOptimize(estimator.estimate(c, table, errors));
    state.SetItemsProcessed(state.iterations() * QualityRules{}.intervalDraws);
}
BENCHMARK(BM_SourceInterval);

// The quality of one 80-minute window at 10 Hz, the source strength's interval apart: what the
// quality thread does per fieldjoin row besides the draws (the copy refilled before each pass).
void BM_WindowQuality(benchmark::State& state) {
    const int n = 48000;
    SampleBuffer source(static_cast<std::size_t>(n));
    appendTurbulentSamples(source, n, 11);
    WindowRecord record(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) record.addTenthsSample(100, 600 + i / 600, static_cast<std::uint32_t>(i % 600) * 100u);
    const AskedWindow asked{100 * 86400.0 + 600 * 60.0, 100 * 86400.0 + 680 * 60.0};
    QualitySite site;
    site.sonicHeight = 3.0;
    site.latitude = 36.0;
    SampleBuffer buffer(static_cast<std::size_t>(n));
    WindSummary wind;
    wind.UStar = 0.3f;
    wind.L = -40.0f;
    for (auto _ : state) {
        state.PauseTiming();
        buffer.copyFrom(source);
        state.ResumeTiming();
        WindowQuality quality;
        assessRawSamples(buffer, record, asked, site, quality);
        rotateSamples(buffer);
        assessRotatedSamples(buffer, record, asked, wind, site, quality);
        benchmark::DoNotOptimize(quality);
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_WindowQuality);

}  // namespace
