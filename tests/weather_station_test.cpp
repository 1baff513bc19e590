// The weather-station reader: date and time rules of the station files, and
// the forward-only cursor over real station directories.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "campaign_2014.hpp"
#include "console_lines.hpp"
#include "fieldjoin/weather_station.hpp"
#include "input/measurement_case.hpp"
#include "input/run_configuration.hpp"
#include "platform/windows_path.hpp"
#include "test_support.hpp"

namespace field {
namespace {

using testing::TempDir;
using testing::underRoot;
using testing::writeFile;

// ---------------------------------------------------------------- dates

TEST(ParseStationDate, DayIndexOfEachDateForm) {
    struct Case {
        const char* text;
        std::int32_t day;
    };
    const Case cases[] = {
        {"8/15/2014", 15},     // August: the day itself
        {"8/1/2014", 1},       //
        {"9/1/2014", 32},      // September: day + 31
        {"9/30/2014", 61},     //
        {"10/3/2014", 64},     // any other month: day + 61
        {"2014/10/3", 64},     // year first when the first number exceeds 12
        {"2014/8/15", 15},     //
        {"2014/9/1", 32},      //
        {"12/3/2014", 64},     // 12 is still a month
        {"13/8/15", 15},       // 13 is a year
        {"7/31/2014", 92},     // July counts like October
        {"08/05/2014", 5},     // leading zeros
        {"8/15", 15},          // the year is never needed month first
        {"8/15/2014/99", 15},  // further pieces ignored
        {"", 61},              // empty: month 0, day 0
        {"garbage", 61},       // no numbers: month 0, day 0
        {"8", 0},              // month 8, missing day 0
        {"2014/8", 0},         // year first, missing day
        {"9/x/2014", 31},      // day that is no number reads 0
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        EXPECT_EQ(c.day, parseStationDate(c.text, campaign2014().calendar));
    }
}

// ---------------------------------------------------------------- times

TEST(ParseStationTime, MinuteOfDayOfTwelveAndTwentyFourHourForms) {
    struct Case {
        const char* text;
        std::int32_t minute;
    };
    // clang-format off
    const Case cases[] = {
        {"12:00 a", 0},       // midnight
        {"12:59 a", 59},      //
        {"1:00 a", 60},       //
        {"11:59 a", 719},     //
        {"12:00 p", 720},     // noon
        {"12:15 p", 735},     //
        {"1:05 p", 785},      //
        {"11:59 p", 1439},    //
        {"13:05", 785},       // no letter: the hour as written
        {"0:30", 30},         //
        {"13:05 a", 65},      // "a" takes 12 off any hour of 12 or more
        {"13:05 p", 785},     // "p" leaves an hour of 12 or more alone
        {"1:05 P", 65},       // only the exact lower-case letters count
        {"12:00 A", 720},     //
        {"1:05 pm", 65},      //
        {"1:05 x", 65},       //
        {"1:05 p extra", 785},  // further pieces ignored
        {"7", 420},           // no ':' -> minutes 0
        {"7 p", 1140},        //
        {"", 0},              //
        {"x:y", 0},           //
        {"10:05:30 a", 605},  // seconds ignored
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("\"") + c.text + "\"");
        EXPECT_EQ(c.minute, parseStationTime(c.text));
    }
}

// ---------------------------------------------------------------- cursor

// A minute of the day as the station writes it: "h:mm a" / "h:mm p".
std::string stationClock(int minuteOfDay) {
    const int hour24 = minuteOfDay / 60;
    const int minute = minuteOfDay % 60;
    int hour12 = hour24 % 12;
    if (hour12 == 0) hour12 = 12;
    std::string text = std::to_string(hour12) + ":" + (minute < 10 ? "0" : "") + std::to_string(minute);
    return text + (hour24 < 12 ? " a" : " p");
}

// The date text of a day index of August or September 2014.
std::string stationDate(int day) {
    return day <= 31 ? "8/" + std::to_string(day) + "/2014" : "9/" + std::to_string(day - 31) + "/2014";
}

// Values of one station record: humidity (field 6), rainfall (18), solar radiation (20).
struct Values {
    std::string humi, rain, solar;
};

// The values we give a record stamped at minute t: distinct for every record,
// so a mean tells which records were counted.
Values valuesAt(int t) { return {std::to_string(t / 10), "0.0" + std::to_string(t % 7 + 1), std::to_string(t)}; }

// One tab-separated record with exactly `fieldCount` fields (20 is complete).
std::string recordText(const std::string& date, const std::string& time, const Values& v, int fieldCount = 20) {
    std::vector<std::string> f(static_cast<std::size_t>(fieldCount), "9");
    auto put = [&](int number, const std::string& text) {
        if (number <= fieldCount) f[static_cast<std::size_t>(number - 1)] = text;
    };
    put(1, date);
    put(2, time);
    put(6, v.humi);
    put(18, v.rain);
    put(20, v.solar);
    std::string line;
    for (std::size_t i = 0; i < f.size(); ++i) line += (i ? "\t" : "") + f[i];
    return line;
}
std::string record(int day, int minute, const Values& v, int fieldCount = 20) {
    return recordText(stationDate(day), stationClock(minute), v, fieldCount);
}
std::string record(int day, int minute) { return record(day, minute, valuesAt(minute)); }

// Means computed the way the reader must: single-precision sums in file order.
struct Expected {
    float solar = 0, rain = 0, humi = 0;
};
Expected meansOf(const std::vector<Values>& counted) {
    Expected e;
    for (const Values& v : counted) {
        e.solar += std::stof(v.solar);
        e.rain += std::stof(v.rain);
        e.humi += std::stof(v.humi);
    }
    const float n = static_cast<float>(counted.size());
    e.solar /= n;
    e.rain /= n;
    e.humi /= n;
    return e;
}
std::vector<int> minutes(int first, int last, int step) {
    std::vector<int> out;
    for (int t = first; t <= last; t += step) out.push_back(t);
    return out;
}

Expected meansAt(const std::vector<int>& minutes) {
    std::vector<Values> v;
    for (int t : minutes) v.push_back(valuesAt(t));
    return meansOf(v);
}

void expectSummary(const Expected& e, const WeatherSummary& s) {
    EXPECT_EQ(e.solar, s.SolarRad);
    EXPECT_EQ(e.rain, s.RainFall);
    EXPECT_EQ(e.humi, s.Humi);
}
void expectZero(const WeatherSummary& s) {
    EXPECT_EQ(0.0f, s.SolarRad);
    EXPECT_EQ(0.0f, s.RainFall);
    EXPECT_EQ(0.0f, s.Humi);
}
void expectNotANumber(const WeatherSummary& s) {
    EXPECT_TRUE(std::isnan(s.SolarRad)) << s.SolarRad;
    EXPECT_TRUE(std::isnan(s.RainFall)) << s.RainFall;
    EXPECT_TRUE(std::isnan(s.Humi)) << s.Humi;
}

MeasurementCase caseOf(std::int32_t day, std::int32_t begin, std::int32_t end) {
    MeasurementCase c;
    c.DayIndex = day;
    c.BeginMinute = begin;
    c.EndMinute = end;
    return c;
}

// A station directory below a temporary mount root, and the cursor over it.
struct StationDirectory {
    std::filesystem::path path() const { return underRoot(root.path(), stationDirectory2014()); }

    // A station file: two header lines, then the given lines, each ended by a line feed.
    void addFile(const std::string& name, const std::vector<std::string>& lines,
                 const std::string& header = "Date\tTime\tOut\n\t\tTemp\n") const {
        std::string text = header;
        for (const std::string& l : lines) text += l + "\n";
        writeFile(path() / name, text);
    }

    // One call as a case's window close makes it; the row writer then clears the summary.
    WeatherSummary summarise(const MeasurementCase& c, std::int32_t samples = 100) {
        WeatherSummary s;
        cursor.summariseWeather(c, samples, s);
        return s;
    }

    TempDir root;
    PathMapper paths{root.str()};
    std::ostringstream console;
    NoDiagnostics diagnostics;
    StationCursor cursor{paths, console, diagnostics, stationDirectory2014(), campaign2014().calendar};
};

class StationTest : public ::testing::Test {
protected:
    std::filesystem::path stationDir() const { return station_.path(); }
    void addFile(const std::string& name, const std::vector<std::string>& lines,
                 const std::string& header = "Date\tTime\tOut\n\t\tTemp\n") {
        station_.addFile(name, lines, header);
    }
    WeatherSummary summarise(const MeasurementCase& c, std::int32_t samples = 100) {
        return station_.summarise(c, samples);
    }

    StationDirectory station_;
    std::ostringstream& console_ = station_.console;
    StationCursor& cursor_ = station_.cursor;
};

TEST_F(StationTest, RecordCountsWhenStampedAfterBeginMinusTenAndBeforeEnd) {
    struct Case {
        const char* name;
        int step;
        std::vector<int> counted;
    };
    const Case cases[] = {
        {"every 10 minutes", 10, {600, 610, 620}},
        {"every 5 minutes", 5, {595, 600, 605, 610, 615, 620, 625}},
        {"every minute", 1, minutes(591, 629, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StationDirectory station;
        std::vector<std::string> lines;
        for (int t = 560; t <= 640; t += c.step) lines.push_back(record(15, t));
        station.addFile("w.txt", lines);

        expectSummary(meansAt(c.counted), station.summarise(caseOf(15, 600, 630)));

        // The record stamped 630 closed the window: the next window [630, 640)
        // sees the records after it only.
        std::vector<int> next;
        for (int t = 630 + c.step; t < 640; t += c.step) next.push_back(t);
        const WeatherSummary s2 = station.summarise(caseOf(15, 630, 640));
        if (next.empty()) {
            expectNotANumber(s2);  // the record at 640 closes it at once
        } else {
            expectSummary(meansAt(next), s2);
        }
        EXPECT_EQ("", station.console.str());
    }
}

TEST_F(StationTest, RainfallIsAveragedLikeTheOtherValues) {
    addFile("w.txt", {record(15, 600, {"40", "0.1", "200"}), record(15, 610, {"50", "0.2", "300"}),
                      record(15, 620, {"60", "0.3", "400"}), record(15, 630, {"1", "5", "1"})});
    const WeatherSummary s = summarise(caseOf(15, 600, 630));
    EXPECT_EQ((0.1f + 0.2f + 0.3f) / 3.0f, s.RainFall);
    EXPECT_EQ(50.0f, s.Humi);
    EXPECT_EQ(300.0f, s.SolarRad);
}

TEST_F(StationTest, ValueThatIsNoNumberCountsAsZero) {
    addFile("w.txt", {record(15, 600, {"---", "n/a", ""}), record(15, 610, {"50", "0.2", "300"}), record(15, 630)});
    const WeatherSummary s = summarise(caseOf(15, 600, 630));
    EXPECT_EQ(25.0f, s.Humi);
    EXPECT_EQ(0.1f, s.RainFall);
    EXPECT_EQ(150.0f, s.SolarRad);
}

TEST_F(StationTest, HeaderLinesOfEveryFileAreSkippedUnread) {
    // Header lines that would count (or close the window) if they were read as records.
    const std::string header = record(15, 605, {"1000", "1000", "1000"}) + "\n" + record(15, 700) + "\n";
    addFile("a.txt", {record(15, 600)}, header);
    addFile("b.txt", {record(15, 610), record(15, 630)}, header);
    expectSummary(meansAt({600, 610}), summarise(caseOf(15, 600, 630)));
}

TEST_F(StationTest, WindowRunningIntoTheNextFileKeepsTheRecordsOfBoth) {
    addFile("a.txt", {record(15, 580), record(15, 600), record(15, 610)});
    writeFile(stationDir() / "ab.csv", "h1\nh2\n" + record(15, 615, {"1e6", "1e6", "1e6"}) + "\n");  // not *.txt
    addFile("b.txt", {record(15, 620), record(15, 630), record(15, 640)});
    expectSummary(meansAt({600, 610, 620}), summarise(caseOf(15, 600, 630)));
    // The second file stays open after the closing record.
    expectSummary(meansAt({640}), summarise(caseOf(15, 630, 650)));
}

TEST_F(StationTest, WindowRunningOverSeveralFilesAndAnUnreadableOne) {
    addFile("a.txt", {record(15, 600)});
    addFile("b.txt", {});                                         // header only
    std::filesystem::create_directories(stationDir() / "c.txt");  // matches, cannot be read: empty
    addFile("d.txt", {record(15, 610)});
    addFile("e.txt", {record(15, 620), record(15, 630)});
    expectSummary(meansAt({600, 610, 620}), summarise(caseOf(15, 600, 630)));
    EXPECT_EQ("", console_.str());
}

TEST_F(StationTest, FilesAreReadInSearchOrder) {
    // Upper-case folded name order: "B.txt" between "a.txt" and "c.txt".
    addFile("c.txt", {record(15, 620), record(15, 630)});
    addFile("a.txt", {record(15, 600)});
    addFile("B.TXT", {record(15, 610)});
    expectSummary(meansAt({600, 610, 620}), summarise(caseOf(15, 600, 630)));
}

TEST_F(StationTest, WindowBeforeTheCursorClosesAtOnceWithNotANumber) {
    struct Case {
        const char* name;
        MeasurementCase late;
        std::int32_t samples;
    };
    const Case cases[] = {
        {"same day, window already passed", caseOf(15, 500, 560), 10},
        {"same day, window ends at the next record", caseOf(15, 600, 640), 10},
        {"earlier day", caseOf(14, 600, 630), 10},
        {"earlier day, no wind samples", caseOf(14, 600, 630), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StationDirectory station;
        station.addFile("w.txt", {record(15, 600), record(15, 630), record(15, 640), record(15, 650)});
        expectSummary(meansAt({600}), station.summarise(caseOf(15, 600, 630)));

        expectNotANumber(station.summarise(c.late, c.samples));

        // The record at 640 closed the late window and is gone; 650 is next.
        expectSummary(meansAt({650}), station.summarise(caseOf(15, 600, 700)));
    }
}

TEST_F(StationTest, LaterDayRecordClosesTheWindowWhateverTheSampleCount) {
    for (std::int32_t samples : {0, 1, 500}) {
        SCOPED_TRACE(samples);
        StationDirectory station;
        station.addFile("w.txt", {record(15, 500), record(16, 100), record(16, 110), record(16, 300)});

        // Nothing of day 15 in the window; the day-16 record closes it: 0/0.
        // (Passing it over would run to the end of the file and give 0, 0, 0.)
        expectNotANumber(station.summarise(caseOf(15, 600, 630), samples));

        // The day-16 record at 100 was used up in closing; the next case sees 110 only.
        expectSummary(meansAt({110}), station.summarise(caseOf(16, 60, 200), samples));
    }
}

TEST_F(StationTest, LaterDayRecordEndsAWindowWithItsCountedRecords) {
    addFile("w.txt", {record(15, 1420), record(15, 1430), record(16, 0), record(16, 10)});
    expectSummary(meansAt({1420, 1430}), summarise(caseOf(15, 1420, 1440), 0));
    expectSummary(meansAt({10}), summarise(caseOf(16, 0, 20)));
}

TEST_F(StationTest, RecordClosingOneWindowIsNotCountedForTheNext) {
    addFile("w.txt", {record(15, 600), record(15, 610), record(15, 620), record(15, 630), record(15, 640),
                      record(15, 650), record(15, 660)});
    expectSummary(meansAt({600, 610, 620}), summarise(caseOf(15, 600, 630)));
    // 630 lies in [630 - 10, 660) but was read to close the previous window.
    expectSummary(meansAt({640, 650}), summarise(caseOf(15, 630, 660)));
}

TEST_F(StationTest, LastFileEndingInsideTheWindowGivesTheMeansSoFarAndRestarts) {
    addFile("a.txt", {record(15, 500), record(15, 510), record(15, 520)});
    addFile("b.txt", {record(15, 600), record(15, 610)});
    // Never closed: the means of what was counted, across both files.
    expectSummary(meansAt({600, 610}), summarise(caseOf(15, 600, 700)));
    // The search was closed: the next case starts again from the first file.
    expectSummary(meansAt({500, 510}), summarise(caseOf(15, 500, 520)));
    // ... and goes on from where that one stopped.
    expectSummary(meansAt({600}), summarise(caseOf(15, 560, 610)));
    EXPECT_EQ("", console_.str());
}

TEST_F(StationTest, LastFileEndingWithNothingCountedGivesZeros) {
    addFile("a.txt", {record(15, 500), record(15, 510)});
    addFile("b.txt", {record(15, 520)});
    expectZero(summarise(caseOf(15, 900, 960)));
    expectZero(summarise(caseOf(16, 0, 60), 0));
    // Each run past the end closed the search; the first file is read again.
    expectSummary(meansAt({500}), summarise(caseOf(15, 500, 510)));
}

TEST_F(StationTest, NoStationFileSaysSoOnEveryCallAndGivesZeros) {
    struct Case {
        const char* name;
        bool makeDirectory;
        std::vector<const char*> otherFiles;
    };
    const Case cases[] = {
        {"no station directory", false, {}},
        {"empty station directory", true, {}},
        {"no .txt file", true, {"w.csv", "w.txt.bak", "wtxt"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StationDirectory station;
        if (c.makeDirectory) std::filesystem::create_directories(station.path());
        for (const char* name : c.otherFiles) station.addFile(name, {record(15, 600), record(15, 630)});
        for (int call = 0; call < 2; ++call) expectZero(station.summarise(caseOf(15, 600, 630)));
        EXPECT_EQ(testing::noFileFound() + testing::noFileFound(), station.console.str());

        // The search stayed closed, so a file that appears is found by the next call.
        station.addFile("late.txt", {record(15, 600), record(15, 630)});
        expectSummary(meansAt({600}), station.summarise(caseOf(15, 600, 630)));
        EXPECT_EQ(testing::noFileFound() + testing::noFileFound(), station.console.str());
    }
}

TEST_F(StationTest, BlankLinesAreSkipped) {
    // Read as records they would have day 61, a later day, and close the window.
    addFile("w.txt",
            {record(15, 600), "", record(15, 610), "   ", "\t\t", " \t\r", "\r", record(15, 620), record(15, 630)});
    expectSummary(meansAt({600, 610, 620}), summarise(caseOf(15, 600, 630)));
}

TEST_F(StationTest, BlankLineAtTheStartOfTheNextFileIsSkipped) {
    addFile("a.txt", {record(15, 600), ""});
    addFile("b.txt", {"", "\t", record(15, 610), record(15, 630)});
    expectSummary(meansAt({600, 610}), summarise(caseOf(15, 600, 630)));
}

TEST_F(StationTest, InWindowLineWithFewerThanTwentyFieldsIsNotCounted) {
    struct Case {
        const char* name;
        int fields;
        bool counted;
    };
    const Case cases[] = {
        {"19 fields", 19, false}, {"18 fields", 18, false}, {"6 fields", 6, false},
        {"2 fields", 2, false},   {"20 fields", 20, true},  {"25 fields", 25, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        StationDirectory station;
        station.addFile("w.txt",
                        {record(15, 600), record(15, 610, valuesAt(610), c.fields), record(15, 620), record(15, 630)});
        expectSummary(c.counted ? meansAt({600, 610, 620}) : meansAt({600, 620}),
                      station.summarise(caseOf(15, 600, 630)));
    }
}

TEST_F(StationTest, ShortLineOutsideTheWindowIsClassifiedLikeAnyRecord) {
    // A short line at 630 closes the window; the full record after it is not counted.
    addFile("w.txt", {record(15, 600), stationDate(15) + "\t" + stationClock(630), record(15, 625), record(15, 640)});
    expectSummary(meansAt({600}), summarise(caseOf(15, 600, 630)));
}

TEST_F(StationTest, ShortLineOfALaterDayClosesTheWindow) {
    addFile("w.txt", {record(15, 600), stationDate(16), record(15, 610), record(15, 630)});
    expectSummary(meansAt({600}), summarise(caseOf(15, 600, 630)));
}

TEST_F(StationTest, StationFilesWithCarriageReturnLineEnds) {
    writeFile(stationDir() / "w.txt",
              "h1\r\nh2\r\n" + record(15, 600) + "\r\n" + record(15, 610) + "\r\n" + record(15, 630) + "\r\n");
    expectSummary(meansAt({600, 610}), summarise(caseOf(15, 600, 630)));
}

TEST_F(StationTest, YearFirstDatesAndTwentyFourHourTimesInAFile) {
    addFile("w.txt", {recordText("2014/8/15", "10:00", {"40", "0.5", "200"}),
                      recordText("2014/8/15", "10:10", {"60", "1.5", "400"}),
                      recordText("2014/8/15", "10:30", {"1", "1", "1"})});
    const WeatherSummary s = summarise(caseOf(15, 600, 630));
    EXPECT_EQ(50.0f, s.Humi);
    EXPECT_EQ(1.0f, s.RainFall);
    EXPECT_EQ(300.0f, s.SolarRad);
}

}  // namespace
}  // namespace field
