// Logger files: the input's leading bytes choose a program and up to four
// cases, the rest is a logger file. Every line's timestamp goes through the
// general conversion and the canonical fast path (which must agree), its
// values through parseSonicValues (which must equal atof of the fields), and
// the file through CaseWindowReader::readCaseWindow case after case, each
// closed window through the statistics into a table row (to /dev/null).
#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "casetable/test_case_table.hpp"
#include "fieldjoin/weather_station.hpp"
#include "fieldjoin/whole_data_table.hpp"
#include "fuzz_support.hpp"
#include "input/case_window.hpp"
#include "input/logger_record.hpp"
#include "input/run_configuration.hpp"
#include "input/sonic_layouts.hpp"
#include "platform/directory_search.hpp"
#include "platform/fields.hpp"
#include "platform/line_reader.hpp"
#include "quality/quality_table.hpp"
#include "quality/window_quality.hpp"
#include "tests/campaign_2014.hpp"
#include "wind/wind_statistics.hpp"

namespace {

using namespace field;

float referenceValue(const std::vector<std::string_view>& fields, std::size_t index) {
    if (index >= fields.size()) return 0.0f;
    const std::string copy(fields[index]);
    return static_cast<float>(std::atof(copy.c_str()));
}

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void checkLine(std::string_view line, TimestampCache (&caches)[2]) {
    std::string_view rest;
    const std::string_view stamp = timestampField(line, rest);
    for (const bool yearCheck : {false, true}) {
        const LoggerTime general = parseLoggerTimestamp(stamp, rule2014(yearCheck));
        LoggerTime fast;
        if (caches[yearCheck ? 1 : 0].convert(line, rule2014(yearCheck), fast)) {
            FUZZ_CHECK(fast.day == general.day);
            FUZZ_CHECK(fast.minute == general.minute);
        }
    }
    // Fields 3 to 6 of the line are fields 2 to 5 of the rest (field 2 of the line is rest's first).
    std::vector<std::string_view> fields;
    FieldSplitter splitter(rest, ',');
    std::string_view f;
    while (fields.size() < 6 && splitter.next(f)) fields.push_back(f);
    const SonicValues s = parseSonicValues(rest);
    FUZZ_CHECK(sameBits(s.u, referenceValue(fields, 1)));
    FUZZ_CHECK(sameBits(s.v, referenceValue(fields, 2)));
    FUZZ_CHECK(sameBits(s.w, referenceValue(fields, 3)));
    FUZZ_CHECK(sameBits(s.Ts, referenceValue(fields, 4)));
    // By a layout kept from the same text: the first parse keeps it, the second reads by it.
    SonicLayouts layouts;
    for (int pass = 0; pass < 2; ++pass) {
        const SonicValues byLayout = layouts.parse(rest);
        FUZZ_CHECK(sameBits(byLayout.u, s.u) && sameBits(byLayout.v, s.v));
        FUZZ_CHECK(sameBits(byLayout.w, s.w) && sameBits(byLayout.Ts, s.Ts));
    }
}

// The end-of-window actions of either program, writing into /dev/null tables.
class RowSink {
public:
    RowSink(const ProgramVariant& variant, SampleBuffer& buffer) : variant_(variant), buffer_(buffer) {
        config_ = configFor(true, true, variant.program);
        FUZZ_CHECK(wholeData_.file.create("/dev/null"));
        FUZZ_CHECK(testCases_.file.create("/dev/null"));
        FUZZ_CHECK(quality_.file.create("/dev/null"));
    }
    void closeWindow(const ClosedWindow& w) {
        const MeasurementCase& windowCase = w.windowCase;
        const std::int32_t lastWindowMinute = w.lastWindowMinute;
        FUZZ_CHECK(buffer_.count >= 0 && static_cast<std::size_t>(buffer_.count) <= buffer_.capacity());
        FUZZ_CHECK(w.record.size() == static_cast<std::size_t>(buffer_.count));
        // The quality of any window, with the site facts of the ITC test.
        const AskedWindow asked = askedWindow(windowCase.DayIndex, windowCase.BeginMinute, w.askedEndMinute);
        QualitySite site;
        site.sonicHeight = 2.5;
        site.latitude = 52.0;
        WindowQuality quality;
        assessRawSamples(buffer_, w.record, asked, site, quality);
        FUZZ_CHECK(quality.rateHz > 0 && quality.invalidSamples >= 0 && quality.invalidSamples <= buffer_.count);
        WindSummary wind;
        summariseWindow(buffer_, wind, windowCase, variant_, field::site2014());
        rotateSamples(buffer_);  // as the quality thread does with its copy
        assessRotatedSamples(buffer_, w.record, asked, wind, site, quality);
        FUZZ_CHECK(quality.flag >= 0 && quality.flag <= 2);
        FUZZ_CHECK((quality.flag == 0) == (quality.reasons == 0));
        QualityRules fewDraws;
        fewDraws.intervalDraws = 20;
        SourceIntervalEstimator interval(variant_, field::site2014(), fewDraws);
        assessSourceInterval(interval, windowCase, wind, fewDraws, quality);
        const SourceInterval& s = quality.source;
        FUZZ_CHECK(!s.computed || (s.low <= s.median && s.median <= s.high && s.validDraws > 0));
        FUZZ_CHECK((quality.flag == 0) == (quality.reasons == 0));
        writeQualityRow(quality_, variant_.program, QualityRowKeys{}, w.record, quality);
        // 45 columns in either program's quality table.
        FUZZ_CHECK(std::count(quality_.row.begin(), quality_.row.end(), ',') == 44);
        if (variant_.program == Program::Fieldjoin) {
            WeatherSummary weather;
            writeWholeDataRow(wholeData_, windowCase, lastWindowMinute, wind, weather, config_);
            FUZZ_CHECK(std::count(wholeData_.row.begin(), wholeData_.row.end(), ',') == 83);
        } else {
            writeTestCaseRow(testCases_, 1, windowCase, lastWindowMinute, wind);
            FUZZ_CHECK(std::count(testCases_.row.begin(), testCases_.row.end(), ',') == 12);
        }
        ++closed;
    }
    int closed = 0;

private:
    const ProgramVariant& variant_;
    SampleBuffer& buffer_;
    RunConfiguration config_;
    TableRows wholeData_;
    TableRows testCases_;
    TableRows quality_;
};

MeasurementCase chooseCase(fuzzing::Choices& choose, bool extreme) {
    MeasurementCase c = sizedCase2014();
    c.Date = "8/15/2014";
    c.DayIndex = choose.byte() % 40 - 1;
    if (extreme) {
        // Minutes near the ends of the 32-bit range: nothing may overflow.
        c.BeginMinute = (choose.byte() & 1) ? INT32_MAX - choose.byte() : INT32_MIN + choose.byte();
        c.EndMinute = (choose.byte() & 1) ? INT32_MAX : INT32_MIN + choose.byte();
    } else {
        c.BeginMinute = choose.byte() * 6;
        c.EndMinute = c.BeginMinute + choose.byte() - 16;
    }
    c.Deposition.assign(c.Deposition.size(), 1.0f);
    c.SourceDeposition = 2.0f;
    c.SourceProfile = {5.0f, 4.0f, 3.0f, 2.0f, 1.0f};
    return c;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzzing::MemoryFile file;
    static LineReader lines;
    fuzzing::Choices choose(data, size);
    const std::uint8_t mode = choose.byte();
    const ProgramVariant& variant = (mode & 1) ? kCasetableVariant : kFieldjoinVariant;
    const int caseCount = 1 + (mode >> 1) % 4;
    std::vector<MeasurementCase> cases;
    for (int i = 0; i < caseCount; ++i) cases.push_back(chooseCase(choose, (mode & 0x80) != 0));
    const std::string_view text = fuzzing::asText(data, size);
    file.set(text);

    FUZZ_CHECK(lines.open(file.path()));
    TimestampCache caches[2];
    std::string_view line;
    while (lines.next(line)) checkLine(line, caches);
    lines.close();

    const PathMapper paths("/nonexistent-mount-root");
    std::ostringstream console;
    SampleBuffer buffer(4);  // small, so that windows make it grow
    RowSink sink(variant, buffer);
    WindowRecord record;
    std::ostringstream diagnosticText;
    RunDiagnostics diagnostics(diagnosticText, "fuzz");
    CaseWindowReader reader(paths, console, variant, timestampRule(variant, campaign2014()), buffer, record,
                            diagnostics);
    std::int32_t number = 0;
    for (const MeasurementCase& c : cases) {
        MeasurementCase walkCase = c;
        reader.beginCase(walkCase, ++number);
        while (reader.readCaseWindow(walkCase, file.path()) == WindowRead::Closed)
            sink.closeWindow(reader.closedWindow());
    }
    reader.endRun();
    // Only line-count messages: the file always opens.
    std::istringstream messages(console.str());
    std::string message;
    while (std::getline(messages, message)) {
        FUZZ_CHECK(message.rfind("The line number is ", 0) == 0);
        FUZZ_CHECK(message.size() > 19 &&
                   std::all_of(message.begin() + 19, message.end(), [](char ch) { return ch >= '0' && ch <= '9'; }));
    }
    return 0;
}
