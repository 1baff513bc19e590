// Measurement-result blocks: the input as a measurement-result file, read by
// both programs' record forms on both fields. Every case read goes through the
// statistics and into a row of its program's table (written to /dev/null).
// Properties: a block is always SamplerCount lines (no resynchronising), and a
// row always has its program's field count and a single line end.
#include <algorithm>
#include <cstdint>
#include <string_view>

#include "casetable/test_case_table.hpp"
#include "fieldjoin/weather_station.hpp"
#include "fieldjoin/whole_data_table.hpp"
#include "fuzz_support.hpp"
#include "input/measurement_file.hpp"
#include "input/run_configuration.hpp"
#include "platform/line_reader.hpp"
#include "tests/campaign_2014.hpp"
#include "wind/wind_statistics.hpp"

namespace {

using namespace field;

std::size_t lineCount(std::string_view text) {
    const auto feeds = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    return feeds + (!text.empty() && text.back() != '\n' ? 1 : 0);
}

// The minute before, wrapping like 32-bit registers (the file may hold any number).
std::int32_t minuteBefore(std::int32_t minute) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(minute) - 1u);
}

void fillBuffer(SampleBuffer& buffer) {
    buffer.clear();
    buffer.append(2.0f, 0.5f, 0.1f, 20.0f);
    buffer.append(2.5f, -0.5f, -0.2f, 21.0f);
    buffer.append(1.5f, 0.25f, 0.05f, 20.5f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzing::MemoryFile file;
    static LineReader reader;
    static TableRows wholeData;
    static TableRows testCases;
    static SampleBuffer buffer(4);
    if (!wholeData.file.isOpen()) {
        FUZZ_CHECK(wholeData.file.create("/dev/null"));
        FUZZ_CHECK(testCases.file.create("/dev/null"));
    }
    const std::string_view text = fuzzing::asText(data, size);
    file.set(text);
    const std::size_t lines = lineCount(text);

    for (const Program program : {Program::Fieldjoin, Program::Casetable}) {
        const ProgramVariant& variant = program == Program::Fieldjoin ? kFieldjoinVariant : kCasetableVariant;
        for (const bool fence : {true, false}) {
            const RunConfiguration config = configFor(fence, true, program);
            FUZZ_CHECK(reader.open(file.path()));
            skipMeasurementHeader(reader);
            MeasurementCase record;
            std::size_t cases = 0;
            while (readMeasurementCase(reader, config, variant, record)) {
                ++cases;
                fillBuffer(buffer);
                WindSummary wind;
                summariseWindow(buffer, wind, record, variant, field::site2014());
                if (program == Program::Fieldjoin) {
                    const WeatherSummary weather{1.0f, 2.0f, 3.0f};
                    writeWholeDataRow(wholeData, record, minuteBefore(record.EndMinute), wind, weather, config);
                    const std::string& row = wholeData.row;
                    FUZZ_CHECK(std::count(row.begin(), row.end(), ',') == (fence ? 83 : 171));
                    FUZZ_CHECK(std::count(row.begin(), row.end(), '\n') == 1 && row.back() == '\n');
                } else {
                    writeTestCaseRow(testCases, static_cast<std::int32_t>(cases), record,
                                     minuteBefore(record.EndMinute), wind);
                    const std::string& row = testCases.row;
                    FUZZ_CHECK(std::count(row.begin(), row.end(), ',') == 12);
                    FUZZ_CHECK(std::count(row.begin(), row.end(), '\n') == 1 && row.back() == '\n');
                }
            }
            const std::size_t blockLines = static_cast<std::size_t>(config.SamplerCount);
            const std::size_t expected = lines <= 2 ? 0 : (lines - 2 + blockLines - 1) / blockLines;
            FUZZ_CHECK(cases == expected);
            reader.close();
        }
    }
    return 0;
}
