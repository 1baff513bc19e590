// Weather-station files: every line's date and time fields through
// parseStationDate and parseStationTime (well-formed ones checked against
// their plain reading), then the input, cut in two, as two station files read
// by a StationCursor over up to four case windows chosen by the leading bytes.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "fieldjoin/weather_station.hpp"
#include "fuzz_support.hpp"
#include "input/measurement_case.hpp"
#include "input/run_configuration.hpp"
#include "platform/fields.hpp"
#include "platform/windows_path.hpp"
#include "tests/campaign_2014.hpp"

namespace {

using namespace field;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// "H:MM a" or "HH:MM p": the 12-hour clock read plainly.
void checkWellFormedTime(std::string_view text, std::int32_t minute) {
    const std::size_t colon = text.find(':');
    if (colon < 1 || colon > 2 || text.size() != colon + 5) return;
    for (std::size_t i = 0; i < colon; ++i)
        if (!isDigit(text[i])) return;
    if (!isDigit(text[colon + 1]) || !isDigit(text[colon + 2]) || text[colon + 3] != ' ') return;
    const char letter = text[colon + 4];
    if (letter != 'a' && letter != 'p') return;
    int hour = 0;
    for (std::size_t i = 0; i < colon; ++i) hour = hour * 10 + (text[i] - '0');
    const int minutes = (text[colon + 1] - '0') * 10 + (text[colon + 2] - '0');
    if (letter == 'a' && hour >= 12) hour -= 12;
    if (letter == 'p' && hour < 12) hour += 12;
    FUZZ_CHECK(minute == 60 * hour + minutes);
}

// "M/D/YYYY" with one- or two-digit month and day, month 1 to 12.
void checkWellFormedDate(std::string_view text, std::int32_t day) {
    int parts[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int part = 0;
    for (char c : text) {
        if (c == '/') {
            if (++part > 2) return;
        } else if (isDigit(c)) {
            if (++digits[part] > 4) return;
            parts[part] = parts[part] * 10 + (c - '0');
        } else {
            return;
        }
    }
    if (part != 2 || digits[0] < 1 || digits[0] > 2 || digits[1] < 1 || digits[1] > 2 || digits[2] != 4) return;
    if (parts[0] > 12) return;
    const int month = parts[0], dayOfMonth = parts[1];
    FUZZ_CHECK(day == (month == 8 ? dayOfMonth : dayOfMonth + (month == 9 ? 31 : 61)));
}

void writeBytes(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    FUZZ_CHECK(out.good());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::filesystem::path root = fuzzing::scratchDirectory();
    static const std::filesystem::path stationDir = [] {
        const std::filesystem::path dir = root / "c" / "Vantrel" / "2014 TN Seed Data" / "Raw Data" / "HillExperiment" /
                                          "2014 weather station" / "2014 weather station";
        std::filesystem::create_directories(dir);
        return dir;
    }();

    fuzzing::Choices choose(data, size);
    const std::uint8_t mode = choose.byte();
    const int caseCount = 1 + mode % 4;
    MeasurementCase cases[4];
    for (int i = 0; i < caseCount; ++i) {
        cases[i].DayIndex = choose.byte() % 40 - 1;
        cases[i].BeginMinute = choose.byte() * 6 - 30;
        cases[i].EndMinute = cases[i].BeginMinute + choose.byte();
    }
    const std::size_t cutAt = size * choose.byte() / 256;
    const std::string_view text = fuzzing::asText(data, size);

    // Field by field.
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        FieldSplitter fields(line, '\t');
        std::string_view date, time;
        fields.next(date);
        fields.next(time);
        checkWellFormedDate(date, parseStationDate(date, campaign2014().calendar));
        checkWellFormedTime(time, parseStationTime(time));
        start = end + 1;
    }

    // As two station files, read over the cases.
    writeBytes(stationDir / "a.txt", text.substr(0, cutAt));
    writeBytes(stationDir / "b.txt", text.substr(cutAt));
    const PathMapper paths(root.string());
    std::ostringstream console;
    NoDiagnostics diagnostics;
    StationCursor station(paths, console, diagnostics, stationDirectory2014(), campaign2014().calendar);
    for (int i = 0; i < caseCount; ++i) {
        WeatherSummary summary;
        station.summariseWeather(cases[i], 1, summary);
    }
    station.close();
    FUZZ_CHECK(console.str().empty());  // the station files are always found
    return 0;
}
