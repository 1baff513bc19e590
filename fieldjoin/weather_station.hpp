#pragma once
// Weather-station means of a case window: tab-separated station files read
// by a forward-only cursor shared by all cases of the run.

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "input/day_index.hpp"
#include "input/measurement_case.hpp"
#include "platform/directory_search.hpp"
#include "platform/line_reader.hpp"
#include "platform/windows_path.hpp"
#include "text/diagnostics.hpp"

namespace field {

/// Means of the station records of one window (running sums while it is open).
struct WeatherSummary {
    float SolarRad = 0.0f;
    float RainFall = 0.0f;
    float Humi = 0.0f;
};

/// Day index of a station date in `calendar`: month/day/year, or year/month/day when the first
/// number exceeds 12.
std::int32_t parseStationDate(std::string_view text, const DayCalendar& calendar);

/// Minute of day of a station time "H:MM a" / "H:MM p" (12-hour clock); without a letter the hour stands.
std::int32_t parseStationTime(std::string_view text);

class StationCursor {
public:
    /// Reads the station files of `directory` (Windows path text, ends with a backslash), their
    /// dates numbered by `calendar`.
    StationCursor(const PathMapper& paths, std::ostream& console, Diagnostics& diagnostics, std::string directory,
                  const DayCalendar& calendar)
        : paths_(paths), console_(console), diagnostics_(diagnostics), directory_(std::move(directory)),
          calendar_(calendar), search_(paths) {}

    /// Adds the records of the case window to `summary` (which starts at 0) and makes them
    /// means; gives the number of records. The sums carry over from one station file to the
    /// next; past the last file the search closes and the next call starts again from the
    /// first file. `forCase` names the case in the diagnostics.
    std::int32_t summariseWeather(const MeasurementCase& windowCase, std::int32_t windowSampleCount,
                                  WeatherSummary& summary, const CaseRef& forCase = {});

    /// Closes the station file search (end of the run).
    void close() { search_.close(); }

private:
    void openCurrentFile(const CaseRef& forCase);

    const PathMapper& paths_;
    std::ostream& console_;
    Diagnostics& diagnostics_;
    const std::string directory_;
    const DayCalendar calendar_;
    DirectorySearch search_;
    LineReader file_;
    bool reopen_ = true;
    std::int32_t count_ = 0;
};

}  // namespace field
