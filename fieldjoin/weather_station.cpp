#include "fieldjoin/weather_station.hpp"

#include <string>
#include <utility>

#include "input/day_index.hpp"
#include "platform/c_numbers.hpp"
#include "platform/fields.hpp"
#include "text/messages.hpp"

namespace field {
namespace {

std::int32_t wrap(std::int64_t value) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(value)));
}

bool isBlankLine(std::string_view line) {
    for (char c : line)
        if (c != ' ' && c != '\t' && c != '\r') return false;
    return true;
}

float numberOf(std::string_view text) { return static_cast<float>(cAtof(text)); }

// Running sums become means; with no record counted that is 0/0, not a number.
void toMeans(WeatherSummary& summary, std::int32_t count) {
    const float n = static_cast<float>(count);
    summary.SolarRad = summary.SolarRad / n;
    summary.RainFall = summary.RainFall / n;
    summary.Humi = summary.Humi / n;
}

}  // namespace

std::int32_t parseStationDate(std::string_view text, const DayCalendar& calendar) {
    FieldSplitter pieces(text, '/');
    std::string_view p;
    const std::int32_t a = pieces.next(p) ? cAtoi(p) : 0;
    const std::int32_t b = pieces.next(p) ? cAtoi(p) : 0;
    const std::int32_t c = pieces.next(p) ? cAtoi(p) : 0;
    const bool yearFirst = a > 12;
    const std::int32_t month = yearFirst ? b : a;
    const std::int32_t day = yearFirst ? c : b;
    const std::int32_t year = yearFirst ? a : c;
    return wrap(calendar.dayIndex(year, month, day));
}

std::int32_t parseStationTime(std::string_view text) {
    FieldSplitter pieces(text, ' ');
    std::string_view clock, letter;
    pieces.next(clock);
    const bool hasLetter = pieces.next(letter);
    FieldSplitter parts(clock, ':');
    std::string_view h, m;
    parts.next(h);
    std::int64_t hour = cAtoi(h);
    const std::int32_t minutes = parts.next(m) ? cAtoi(m) : 0;  // no ':' means minute 0
    if (hasLetter && letter == "a" && hour >= 12) hour -= 12;
    if (hasLetter && letter == "p" && hour < 12) hour += 12;
    return wrap(60 * hour + minutes);
}

void StationCursor::openCurrentFile(const CaseRef& forCase) {
    const std::string path = paths_.toLocal(directory_ + search_.entry().name);
    if (file_.open(path)) {
        std::string_view ignored;
        file_.next(ignored);
        file_.next(ignored);
    } else {
        diagnostics_.aboutCase(forCase, fileProblem("station file cannot be opened", path, file_.error()));
    }
    reopen_ = false;  // a file that cannot be opened reads as an empty file
}

std::int32_t StationCursor::summariseWeather(const MeasurementCase& windowCase, std::int32_t windowSampleCount,
                                             WeatherSummary& summary, const CaseRef& forCase) {
    // A later-day record closes the window whatever the sample count, so the
    // count of wind samples no longer decides anything here.
    (void)windowSampleCount;
    if (!search_.isOpen() && !search_.start(directory_ + "*.txt")) {
        say(console_, kNoFileFound);
        diagnostics_.aboutCase(forCase, fileProblem("no station file found", paths_.toLocal(directory_ + "*.txt")));
        return 0;
    }
    const std::int32_t day = windowCase.DayIndex;
    const std::int64_t begin = windowCase.BeginMinute;
    const std::int32_t end = windowCase.EndMinute;
    for (;;) {
        if (reopen_) openCurrentFile(forCase);
        std::string_view line;
        while (file_.next(line)) {
            if (isBlankLine(line)) continue;
            FieldSplitter fields(line, '\t');
            std::string_view dateText, timeText;
            fields.next(dateText);
            fields.next(timeText);  // stays empty when missing
            const std::int32_t d = parseStationDate(dateText, calendar_);
            const std::int32_t t = parseStationTime(timeText);
            if (d < day || (d == day && t + std::int64_t{10} <= begin)) continue;  // too early
            if (d > day || t >= end) {
                // The window closes on this record; it counts for no case.
                toMeans(summary, count_);
                return std::exchange(count_, 0);
            }
            // Inside the window: d == day, begin - 10 < t < end.
            std::string_view humidity, rain, solar;
            if (!fieldAt(line, '\t', 6, humidity) || !fieldAt(line, '\t', 18, rain) || !fieldAt(line, '\t', 20, solar))
                continue;  // a record without its values is not counted
            summary.Humi += numberOf(humidity);
            summary.RainFall += numberOf(rain);
            summary.SolarRad += numberOf(solar);
            ++count_;
        }
        // End of a station file: the window's sums carry over into the next file.
        if (file_.failed())
            diagnostics_.readError(forCase, "station file", paths_.toLocal(directory_ + search_.entry().name),
                                   file_.error());
        file_.close();
        reopen_ = true;
        if (!search_.next()) {
            search_.close();
            if (count_ > 0)
                toMeans(summary, count_);
            else
                summary = WeatherSummary{};
            return std::exchange(count_, 0);
        }
    }
}

}  // namespace field
