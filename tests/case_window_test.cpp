#include "input/case_window.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "console_lines.hpp"
#include "logger_test_support.hpp"

namespace field {
namespace {

using testing::SeenWindow;
using testing::failToOpen;
using testing::lineCount;
using testing::LoggerText;
using testing::loggerStamp;
using testing::ReaderRig;
using testing::Sample;
using testing::windowCase;

const std::string kFileA = "C:\\W\\A\\a_data.DAT";
const std::string kFileB = "C:\\W\\B\\b_data.DAT";

Sample withU(float u) { return Sample{u, 2.0f, 3.0f, 20.0f}; }

// --- fieldjoin: one window per case -----------------------------------------

TEST(CaseWindowFieldjoin, ClosingLineIsNotReusedByTheNextCase) {
    ReaderRig rig(kFieldjoinVariant);
    LoggerText data;
    data.line(15, 599, withU(100))
        .line(15, 600, withU(1))
        .line(15, 601, withU(2))
        .line(15, 659, withU(4))
        .line(15, 660, withU(8))  // closes the first case
        .line(15, 660, withU(16))
        .line(15, 669, withU(32))
        .line(15, 670, withU(64))  // closes the second case
        .minutes(15, 671, 672);
    rig.put(kFileA, data);

    MeasurementCase first = windowCase(15, 600, 660);
    EXPECT_TRUE(rig.read(first, kFileA));
    MeasurementCase second = windowCase(15, 660, 670);
    EXPECT_TRUE(rig.read(second, kFileA));

    ASSERT_EQ(2u, rig.sink.closed.size());
    EXPECT_EQ(3, rig.sink.closed[0].count);
    EXPECT_EQ(7.0f, rig.sink.closed[0].sumU);
    EXPECT_EQ(659, rig.sink.closed[0].lastWindowMinute);
    EXPECT_EQ(2, rig.sink.closed[1].count);
    EXPECT_EQ(48.0f, rig.sink.closed[1].sumU);
    EXPECT_EQ(669, rig.sink.closed[1].lastWindowMinute);
    EXPECT_EQ(0, rig.buffer.count) << "the buffer is cleared after each window";
    EXPECT_EQ("", rig.takeConsole()) << "the file stays open between cases";

    // The line count runs over the whole file and is reported once, at its end.
    MeasurementCase third = windowCase(15, 700, 710);
    EXPECT_FALSE(rig.read(third, kFileA));
    EXPECT_EQ(lineCount(data.dataLines()), rig.takeConsole());
    EXPECT_EQ(2u, rig.sink.closed.size());
}

TEST(CaseWindowFieldjoin, AllFourValuesOfAnAcceptedLineEnterTheBuffer) {
    ReaderRig rig(kFieldjoinVariant);
    rig.put(kFileA,
            LoggerText().line(15, 600, {1.5f, -2.25f, 0.125f, 24.5f}).line(15, 601, {1, 2, 3, 20}).line(15, 660));
    MeasurementCase c = windowCase(15, 600, 660);
    ASSERT_TRUE(rig.read(c, kFileA));
    ASSERT_EQ(1u, rig.sink.closed.size());
    const SeenWindow& w = rig.sink.closed[0];
    EXPECT_EQ(2, w.count);
    EXPECT_EQ(2.5f, w.sumU);
    EXPECT_EQ(-0.25f, w.sumV);
    EXPECT_EQ(3.125f, w.sumW);
    EXPECT_EQ(44.5f, w.sumTs);
    EXPECT_EQ(1.5f, rig.buffer.u[0]);
    EXPECT_EQ(-2.25f, rig.buffer.v[0]);
    EXPECT_EQ(0.125f, rig.buffer.w[0]);
    EXPECT_EQ(24.5f, rig.buffer.Ts[0]);
}

struct TsCase {
    const char* ts;
    bool accepted;
};

TEST(CaseWindowFieldjoin, TsMustLieStrictlyBetween10And40InSinglePrecision) {
    // clang-format off
    const TsCase cases[] = {
        {"10.0", false},        {"40.0", false},         {"10", false},         {"4e1", false},
        {"10.01", true},        {"39.99", true},         {"10.000001", true},   {"9.99", false},
        {"40.01", false},       {"-20", false},          {"nan", false},        {"", false},
        {"abc", false},
        // Above 10 (below 40) as a double, but exactly 10 (40) once rounded to float.
        {"10.00000001", false}, {"39.999999999", false},
    };
    // clang-format on
    for (const TsCase& c : cases) {
        SCOPED_TRACE(std::string("Ts [") + c.ts + "]");
        ReaderRig rig(kFieldjoinVariant);
        LoggerText data;
        data.line(15, 601, {1, 2, 3, 20}).raw(loggerStamp(15, 605) + ",7,2,4,8," + c.ts + ",0").line(15, 660);
        rig.put(kFileA, data);
        MeasurementCase mc = windowCase(15, 600, 660);
        ASSERT_TRUE(rig.read(mc, kFileA));
        ASSERT_EQ(1u, rig.sink.closed.size());
        const SeenWindow& w = rig.sink.closed[0];
        EXPECT_EQ(605, w.lastWindowMinute) << "a dropped line still is the last window minute";
        if (c.accepted) {
            EXPECT_EQ(2, w.count);
            EXPECT_EQ(3.0f, w.sumU);
            EXPECT_EQ(6.0f, w.sumV);
            EXPECT_EQ(11.0f, w.sumW);
            EXPECT_EQ(20.0f + static_cast<float>(std::strtod(c.ts, nullptr)), w.sumTs);
        } else {
            // Dropped whole: none of u, v, w enters the sums.
            EXPECT_EQ(1, w.count);
            EXPECT_EQ(1.0f, w.sumU);
            EXPECT_EQ(2.0f, w.sumV);
            EXPECT_EQ(3.0f, w.sumW);
            EXPECT_EQ(20.0f, w.sumTs);
        }
    }
}

TEST(CaseWindowFieldjoin, WindowSpanningTwoFilesFillsOneBufferWithTheLineCountBetween) {
    ReaderRig rig(kFieldjoinVariant);
    const LoggerText a = LoggerText().minutes(15, 590, 605);
    // Header lines that look like window data: read as data they would be counted.
    LoggerText b;
    b.header(loggerStamp(15, 606) + ",0,1,2,3,20,0\n" + loggerStamp(15, 607) + ",0,1,2,3,20,0\n" +
             loggerStamp(15, 608) + ",0,1,2,3,20,0\n" + loggerStamp(15, 609) + ",0,1,2,3,20,0\n");
    b.minutes(15, 606, 615).line(15, 660).minutes(15, 661, 662);
    rig.put(kFileA, a);
    rig.put(kFileB, b);

    MeasurementCase c = windowCase(15, 600, 660);
    EXPECT_FALSE(rig.read(c, kFileA));
    EXPECT_EQ(lineCount(16), rig.takeConsole());
    EXPECT_EQ(WindowRead::FileEnded, rig.last) << "the walk closes its logger-file marker on this";
    EXPECT_TRUE(rig.sink.closed.empty());
    EXPECT_EQ(6, rig.buffer.count) << "samples stay for the next file of the case";

    EXPECT_TRUE(rig.read(c, kFileB));
    EXPECT_EQ("", rig.takeConsole());
    EXPECT_EQ(WindowRead::Finished, rig.last) << "a case ending inside a file leaves the marker open";
    ASSERT_EQ(1u, rig.sink.closed.size());
    EXPECT_EQ(16, rig.sink.closed[0].count);
    EXPECT_EQ(615, rig.sink.closed[0].lastWindowMinute);

    // While a file is open the path handed in is not looked at.
    MeasurementCase next = windowCase(15, 661, 700);
    EXPECT_FALSE(rig.read(next, "C:\\W\\missing_data.DAT"));
    EXPECT_EQ(lineCount(13), rig.takeConsole());
    EXPECT_EQ(2, rig.buffer.count);
}

struct LaterDayCase {
    const char* what;
    int leftoverSamples;  // left in the buffer by a case the walk could not finish
    std::size_t closes;
};

TEST(CaseWindowFieldjoin, CaseWhoseDayHasNoLinesEndsAtTheFirstLaterDayLine) {
    const LaterDayCase cases[] = {
        {"empty buffer: no statistics, no row", 0, 0},
        {"samples left from an unfinished case: the window closes", 1, 1},
    };
    for (const LaterDayCase& lc : cases) {
        SCOPED_TRACE(lc.what);
        ReaderRig rig(kFieldjoinVariant);
        rig.put(kFileA, LoggerText().minutes(14, 600, 610).minutes(16, 600, 610));
        for (int i = 0; i < lc.leftoverSamples; ++i) rig.buffer.append(1, 2, 3, 20);

        MeasurementCase c = windowCase(15, 600, 660);
        EXPECT_TRUE(rig.read(c, kFileA));
        ASSERT_EQ(lc.closes, rig.sink.closed.size());
        if (lc.closes == 1) {
            EXPECT_EQ(lc.leftoverSamples, rig.sink.closed[0].count);
        }
        EXPECT_EQ(0, rig.buffer.count);

        // The day-16 line that ended the case is gone: the next case starts after it.
        MeasurementCase next = windowCase(16, 600, 605);
        EXPECT_TRUE(rig.read(next, kFileA));
        ASSERT_EQ(lc.closes + 1, rig.sink.closed.size());
        EXPECT_EQ(4, rig.sink.closed.back().count);
    }
}

TEST(CaseWindow, SameDayLinePastAnEmptyWindowClosesItAndKeepsTheLastMinute) {
    for (const ProgramVariant* variant : {&kFieldjoinVariant, &kCasetableVariant}) {
        SCOPED_TRACE(variant->subWindows ? "casetable" : "fieldjoin");
        ReaderRig rig(*variant);
        rig.put(kFileA, LoggerText().minutes(15, 500, 510).line(15, 700).line(15, 701));

        MeasurementCase earlier = windowCase(15, 500, 505);
        EXPECT_TRUE(rig.read(earlier, kFileA));
        MeasurementCase empty = windowCase(15, 600, 660);
        EXPECT_TRUE(rig.read(empty, kFileA));

        ASSERT_EQ(2u, rig.sink.closed.size());
        EXPECT_EQ(5, rig.sink.closed[0].count);
        EXPECT_EQ(504, rig.sink.closed[0].lastWindowMinute);
        EXPECT_EQ(0, rig.sink.closed[1].count) << "closed on its own day even without samples";
        EXPECT_EQ(504, rig.sink.closed[1].lastWindowMinute) << "the last window minute is never reset";
        EXPECT_EQ(504, rig.reader.lastWindowMinute());
    }
}

TEST(CaseWindowFieldjoin, CaseBeforeTheFilePositionClosesAtOnceOnItsDayAndNotOnAnEarlierDay) {
    ReaderRig rig(kFieldjoinVariant);
    rig.put(kFileA, LoggerText().minutes(15, 700, 705));
    MeasurementCase sameDay = windowCase(15, 600, 660);
    EXPECT_TRUE(rig.read(sameDay, kFileA));
    ASSERT_EQ(1u, rig.sink.closed.size());
    EXPECT_EQ(0, rig.sink.closed[0].count);

    MeasurementCase earlierDay = windowCase(14, 600, 660);
    EXPECT_TRUE(rig.read(earlierDay, kFileA));
    EXPECT_EQ(1u, rig.sink.closed.size());
}

struct ShortLineCase {
    const char* what;
    const ProgramVariant* variant;
    std::vector<std::string> lines;  // case 15, 600 to 660
    std::int32_t count;
    float sumU;
    std::int32_t lastMinute;
};

std::string full(int minute, float u) {
    return loggerStamp(15, minute) + ",7," + std::to_string(static_cast<int>(u)) + ",2,3,20,0";
}

TEST(CaseWindow, EmptyAndShortLinesFollowTheDecidedRules) {
    const std::string close = full(660, 0);
    // clang-format off
    const ShortLineCase cases[] = {
        {"empty lines neither end the case nor set the last minute (fieldjoin)", &kFieldjoinVariant,
         {full(600, 1), "", full(601, 2), "", close}, 2, 3.0f, 601},
        {"empty lines in casetable", &kCasetableVariant, {full(600, 1), "", full(601, 2), "", close}, 2, 3.0f, 601},
        {"an empty first line does not end the case", &kFieldjoinVariant, {"", full(600, 1), close}, 1, 1.0f, 600},
        {"timestamp only: counted as the last minute, no sample", &kFieldjoinVariant,
         {full(600, 1), loggerStamp(15, 605), close}, 1, 1.0f, 605},
        {"timestamp only in casetable", &kCasetableVariant, {full(600, 1), loggerStamp(15, 605), close}, 1, 1.0f, 605},
        {"cut after v: Ts is not taken from the line before", &kFieldjoinVariant,
         {full(600, 1), loggerStamp(15, 605) + ",7,5,6", close}, 1, 1.0f, 605},
        {"cut after w in casetable", &kCasetableVariant, {full(600, 1), loggerStamp(15, 605) + ",7,5,6,7", close}, 1,
         1.0f, 605},
        {"six fields, no seventh: a sample", &kFieldjoinVariant, {loggerStamp(15, 605) + ",7,5,6,7,25", close}, 1, 5.0f,
         605},
        // Day index 61 lies after case day 15: the line ends the case.
        {"empty Timestamp field ends a fieldjoin case", &kFieldjoinVariant,
         {full(600, 1), ",7,5,6,7,25", full(601, 2), close}, 1, 1.0f, 600},
        // Day index -1 lies before every case day: the line is passed over.
        {"empty Timestamp field is passed over in casetable", &kCasetableVariant,
         {full(600, 1), ",7,5,6,7,25", full(601, 2), close}, 2, 3.0f, 601},
    };
    // clang-format on
    for (const ShortLineCase& sc : cases) {
        SCOPED_TRACE(sc.what);
        ReaderRig rig(*sc.variant);
        LoggerText data;
        for (const std::string& l : sc.lines) data.raw(l);
        rig.put(kFileA, data);
        MeasurementCase c = windowCase(15, 600, 660);
        EXPECT_TRUE(rig.read(c, kFileA));
        ASSERT_EQ(1u, rig.sink.closed.size());
        EXPECT_EQ(sc.count, rig.sink.closed[0].count);
        EXPECT_EQ(sc.sumU, rig.sink.closed[0].sumU);
        EXPECT_EQ(sc.lastMinute, rig.sink.closed[0].lastWindowMinute);
    }
}

// A line shorter than a timestamp that a case's window takes (an empty Timestamp field reads as
// day index 61 in fieldjoin): its seconds were read past its end, which threw and ended the run.
TEST(CaseWindow, LineShorterThanATimestampInsideAWindowIsASampleNotACrash) {
    ReaderRig rig(kFieldjoinVariant, nullptr, true);
    rig.put(kFileA, LoggerText().raw("\",7,5,6,7,25").raw(",8,5,6,7,25"));
    MeasurementCase c = windowCase(61, 0, 1440);
    EXPECT_FALSE(rig.read(c, kFileA));  // the file ends inside the window
    EXPECT_EQ(2, rig.buffer.count);
    EXPECT_EQ(10.0f, rig.buffer.sumU);  // u is the fourth field
    EXPECT_EQ(2, rig.record.loggerLines);
    EXPECT_EQ(2u, rig.record.size()) << "both samples have a time for the quality table";
}

TEST(CaseWindow, CanonicalStampsSplitAtTheirFirstCommaWhereverItLies) {
    // The reader takes the comma at 23 of a 10 Hz stamp without looking for it; a stamp with an
    // earlier comma (or a longer one) must still split at its first comma.
    struct Case {
        const char* line;
        float sumU;  // u is the fourth field counted from the stamp's first comma
    };
    const Case cases[] = {
        {"\"2014-08-15 10:00:03.4\",1,2.5,0,0,20,0", 2.5f},   // the comma at 23
        {"\"2014-08-15 10:00:0,3.4\",1,2.5,0,20,0", 1.0f},    // at 19: "3.4\"" is field 2, u is 1
        {"\"2014-08-15 10:00:03,4\",1,2.5,0,20,0", 1.0f},     // at 21
        {"\"2014-08-15 10:00:03.4,\",1,2.5,0,20,0", 1.0f},    // at 22: the quote is field 2, u is 1
        {"\"2014-08-15 10:00:03.45\",1,2.5,0,0,20,0", 2.5f},  // at 24
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ReaderRig rig(kFieldjoinVariant, nullptr, true);
        rig.put(kFileA, LoggerText().raw(c.line));
        MeasurementCase w = windowCase(15, 600, 660);
        EXPECT_FALSE(rig.read(w, kFileA));
        std::string_view rest;
        timestampField(c.line, rest);
        const SonicValues plain = parseSonicValues(rest);
        if (plain.Ts > 10.0f && plain.Ts < 40.0f) {
            ASSERT_EQ(1, rig.buffer.count);
            EXPECT_EQ(plain.u, rig.buffer.sumU);
            EXPECT_EQ(c.sumU, rig.buffer.sumU);
        } else {
            EXPECT_EQ(0, rig.buffer.count);
            EXPECT_EQ(1, rig.record.tsRejected);
        }
    }
}

TEST(CaseWindow, EmptyLinesAreCountedInTheLineCount) {
    ReaderRig rig(kFieldjoinVariant);
    rig.put(kFileA, LoggerText().raw(full(600, 1)).raw("").raw("").raw(full(601, 1)).raw(""));
    MeasurementCase c = windowCase(15, 600, 660);
    EXPECT_FALSE(rig.read(c, kFileA));
    EXPECT_EQ(lineCount(5), rig.takeConsole());
    EXPECT_EQ(2, rig.buffer.count);
}

TEST(CaseWindow, CarriageReturnLineEndsReadLikeLineFeeds) {
    // Logger files written on Windows end their lines with CR LF; a blank line
    // there is "\r\n" and must be passed over like an empty one.
    ReaderRig rig(kFieldjoinVariant);
    LoggerText data;
    data.header("h1\r\nh2\r\nh3\r\nh4\r\n");
    data.raw(full(600, 1) + "\r").raw("\r").raw(full(601, 2) + "\r").raw(full(660, 0) + "\r").raw(full(661, 4) + "\r");
    rig.put(kFileA, data);
    MeasurementCase c = windowCase(15, 600, 660);
    EXPECT_TRUE(rig.read(c, kFileA));
    ASSERT_EQ(1u, rig.sink.closed.size());
    EXPECT_EQ(2, rig.sink.closed[0].count);
    EXPECT_EQ(3.0f, rig.sink.closed[0].sumU);
    EXPECT_EQ(601, rig.sink.closed[0].lastWindowMinute);
    MeasurementCase next = windowCase(15, 660, 700);
    EXPECT_FALSE(rig.read(next, kFileA));
    EXPECT_EQ(lineCount(5), rig.takeConsole());
    EXPECT_EQ(4.0f, rig.buffer.sumU);
}

TEST(CaseWindow, FileThatCannotBeOpenedLeavesTheReaderAsItWas) {
    ReaderRig rig(kFieldjoinVariant);
    rig.put(kFileA, LoggerText().minutes(15, 600, 605));
    // Header lines stamped inside the window: a header left unskipped would add samples.
    LoggerText b;
    b.header(loggerStamp(15, 606) + ",0,1,2,3,20,0\n" + loggerStamp(15, 607) + ",0,1,2,3,20,0\n" +
             loggerStamp(15, 608) + ",0,1,2,3,20,0\n" + loggerStamp(15, 609) + ",0,1,2,3,20,0\n");
    b.minutes(15, 606, 610);
    rig.put(kFileB, b);
    std::filesystem::create_directories(testing::underRoot(rig.root.path(), "C:\\W\\dir_data.DAT"));

    MeasurementCase c = windowCase(15, 600, 610);
    EXPECT_FALSE(rig.read(c, kFileA));
    EXPECT_EQ(lineCount(6), rig.takeConsole());

    for (const char* path : {"C:\\W\\missing_data.DAT", "", "C:\\W\\dir_data.DAT"}) {
        SCOPED_TRACE(std::string("path [") + path + "]");
        EXPECT_FALSE(rig.read(c, path));
        EXPECT_EQ(failToOpen(), rig.takeConsole());
        EXPECT_EQ(6, rig.buffer.count);
        EXPECT_EQ(605, rig.reader.lastWindowMinute());
        EXPECT_TRUE(rig.sink.closed.empty());
    }

    // The next call opens its own path and still skips that file's header.
    EXPECT_TRUE(rig.read(c, kFileB));
    ASSERT_EQ(1u, rig.sink.closed.size());
    EXPECT_EQ(10, rig.sink.closed[0].count);
    EXPECT_EQ(609, rig.sink.closed[0].lastWindowMinute);
}

TEST(CaseWindow, FileWithoutDataLinesReportsZeroAndTheNextFileIsOpened) {
    const char* headers[] = {"", "\"h1\"\n\"h2\"\n", "\"h1\"\n\"h2\"\n\"h3\"\n\"h4\"\n",
                             "\"h1\"\n\"h2\"\n\"h3\"\n\"h4\""};
    for (const char* header : headers) {
        SCOPED_TRACE(std::string("file [") + header + "]");
        ReaderRig rig(kFieldjoinVariant);
        rig.put(kFileA, LoggerText().header(header));
        rig.put(kFileB, LoggerText().minutes(15, 600, 601).line(15, 660));
        MeasurementCase c = windowCase(15, 600, 660);
        EXPECT_FALSE(rig.read(c, kFileA));
        EXPECT_EQ(lineCount(0), rig.takeConsole());
        EXPECT_TRUE(rig.read(c, kFileB));
        ASSERT_EQ(1u, rig.sink.closed.size());
        EXPECT_EQ(2, rig.sink.closed[0].count);
    }
}

// --- casetable: 30-minute sub-windows ----------------------------------------

struct Row {
    std::int32_t begin;
    std::int32_t last;
    std::int32_t count;
};

struct SubWindowCase {
    const char* what;
    std::int32_t begin, end;  // the case window on day 15
    void (*fill)(LoggerText&);
    std::vector<Row> rows;
    std::int32_t beginAfter;  // BeginMinute of the walk's copy after the call
    bool finished;
};

TEST(CaseWindowCasetable, SubWindowSequences) {
    // clang-format off
    const SubWindowCase cases[] = {
        // The line at 630 closes the first sub-window and is the second one's first sample.
        {"600-690, a line every minute", 600, 690, [](LoggerText& d) { d.minutes(15, 600, 700); },
         {{600, 629, 30}, {630, 659, 30}, {660, 689, 30}}, 690, true},
        {"600-645: the last sub-window is shorter", 600, 645, [](LoggerText& d) { d.minutes(15, 600, 650); },
         {{600, 629, 30}, {630, 644, 15}}, 660, true},
        // Each line at 700 raises the begin only once: three lines walk it from 600 to 690.
        {"600-720 with minutes 610 to 699 missing", 600, 720,
         [](LoggerText& d) { d.minutes(15, 600, 609, 10).minutes(15, 700, 720, 10); },
         {{600, 609, 100}, {630, 700, 1}, {660, 700, 1}, {690, 719, 198}}, 720, true},
        {"600-660 jumping from 615 to 700: no sub-window 630", 600, 660,
         [](LoggerText& d) { d.minutes(15, 600, 615).line(15, 700); }, {{600, 615, 16}}, 630, true},
        {"600-720 with data from 650 on: an empty first row", 600, 720, [](LoggerText& d) { d.minutes(15, 650, 720); },
         {{600, 0, 0}, {630, 659, 10}, {660, 689, 30}, {690, 719, 30}}, 720, true},
        {"later-day line on an empty buffer: no row", 600, 660,
         [](LoggerText& d) { d.minutes(15, 500, 510).line(16, 600); }, {}, 600, true},
        {"later-day line with samples closes the sub-window", 600, 660,
         [](LoggerText& d) { d.minutes(15, 600, 610).line(16, 0); }, {{600, 610, 11}}, 630, true},
        {"file ends inside the case", 600, 690, [](LoggerText& d) { d.minutes(15, 600, 640); }, {{600, 629, 30}}, 630,
         false},
        {"case before the file position: one empty row", 600, 660, [](LoggerText& d) { d.minutes(15, 700, 705); },
         {{600, 0, 0}}, 630, true},
        {"lines of another year are passed over", 600, 660,
         [](LoggerText& d) {
             for (int m = 600; m <= 620; ++m) d.raw(loggerStamp(15, m, 0.0, 2013) + ",0,1,2,3,20,0");
             d.minutes(15, 640, 660);
         },
         {{600, 0, 0}, {630, 659, 20}}, 660, true},
    };
    // clang-format on
    for (const SubWindowCase& sc : cases) {
        SCOPED_TRACE(sc.what);
        ReaderRig rig(kCasetableVariant);
        LoggerText data;
        sc.fill(data);
        rig.put(kFileA, data);
        MeasurementCase c = windowCase(15, sc.begin, sc.end);
        EXPECT_EQ(sc.finished, rig.read(c, kFileA));
        EXPECT_EQ(sc.beginAfter, c.BeginMinute);
        EXPECT_EQ(sc.end, c.EndMinute);
        ASSERT_EQ(sc.rows.size(), rig.sink.closed.size());
        for (std::size_t i = 0; i < sc.rows.size(); ++i) {
            SCOPED_TRACE("row " + std::to_string(i + 1));
            const SeenWindow& w = rig.sink.closed[i];
            EXPECT_EQ(sc.rows[i].begin, w.windowCase.BeginMinute);
            EXPECT_EQ(sc.rows[i].last, w.lastWindowMinute);
            EXPECT_EQ(sc.rows[i].count, w.count);
            EXPECT_EQ(sc.end, w.windowCase.EndMinute);
            EXPECT_EQ(15, w.windowCase.DayIndex);
        }
    }
}

TEST(CaseWindowCasetable, RaisedBeginCarriesOverToTheNextFileOfTheCase) {
    ReaderRig rig(kCasetableVariant);
    rig.put(kFileA, LoggerText().minutes(15, 600, 640));
    rig.put(kFileB, LoggerText().minutes(15, 641, 700));
    MeasurementCase c = windowCase(15, 600, 690);
    EXPECT_FALSE(rig.read(c, kFileA));
    EXPECT_EQ(630, c.BeginMinute);
    EXPECT_EQ(11, rig.buffer.count);
    EXPECT_TRUE(rig.read(c, kFileB));
    ASSERT_EQ(3u, rig.sink.closed.size());
    EXPECT_EQ(630, rig.sink.closed[1].windowCase.BeginMinute);
    EXPECT_EQ(30, rig.sink.closed[1].count);
    EXPECT_EQ(660, rig.sink.closed[2].windowCase.BeginMinute);
    EXPECT_EQ(689, rig.sink.closed[2].lastWindowMinute);
}

TEST(CaseWindowCasetable, TimestampsWithoutOpeningQuoteArePassedOverOnlyByCasetable) {
    LoggerText data;
    for (int m = 600; m <= 700; ++m) data.raw(loggerStamp(15, m).substr(1) + ",0,1,2,3,20,0");
    {
        SCOPED_TRACE("casetable: every line reads day -1");
        ReaderRig rig(kCasetableVariant);
        rig.put(kFileA, data);
        MeasurementCase c = windowCase(15, 600, 660);
        EXPECT_FALSE(rig.read(c, kFileA));
        EXPECT_EQ(lineCount(101), rig.takeConsole());
        EXPECT_TRUE(rig.sink.closed.empty());
        EXPECT_EQ(0, rig.buffer.count);
    }
    {
        SCOPED_TRACE("fieldjoin: no year check");
        ReaderRig rig(kFieldjoinVariant);
        rig.put(kFileA, data);
        MeasurementCase c = windowCase(15, 600, 660);
        EXPECT_TRUE(rig.read(c, kFileA));
        ASSERT_EQ(1u, rig.sink.closed.size());
        EXPECT_EQ(60, rig.sink.closed[0].count);
    }
}

}  // namespace
}  // namespace field
