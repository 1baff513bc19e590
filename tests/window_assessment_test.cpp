// The quality rows of closed windows as the assessor writes them: a window
// larger than the copy's room, assessed on the spot, gives what the copy
// assessed on the second thread gives; windows waiting for the thread in slots
// of their own give what one at a time gives; a window whose sample times were
// given up for want of memory gets a row that says it was not assessed.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "campaign_2014.hpp"
#include "quality/quality_table.hpp"
#include "quality/window_assessment.hpp"
#include "test_support.hpp"
#include "text/diagnostics.hpp"

namespace field {
namespace {

using namespace field::testing;

// A window of `minutes` from minute 600 of day 15 at 10 Hz, without the lines of the
// minutes [holeFrom, holeTo) after its begin; `timesGivenUp`: its record gave up its times.
struct WindowSpec {
    int minutes;
    int holeFrom = 0, holeTo = 0;
    bool timesGivenUp = false;
};

struct Assessed {
    std::vector<std::string> rows;
    std::string lines;  // the diagnostics
    std::int32_t notAssessed = 0;
};

// The windows closed one after another as a run closes them, the copy's room `room` samples,
// up to `inFlight` of them taken and not yet settled.
Assessed assessWindows(std::size_t room, const std::vector<WindowSpec>& windows, std::size_t inFlight = 1) {
    ProgramVariant variant = kFieldjoinVariant;
    variant.sampleCapacity = room;
    variant.windowsInFlight = inFlight;
    QualitySite site;
    site.sonicHeight = 2.0;
    site.latitude = 50.0;
    TempDir dir;
    TableRows table;
    EXPECT_TRUE(table.file.create((dir.path() / "qc.txt").string()));
    std::ostringstream lines;
    RunDiagnostics diagnostics(lines, "fieldjoin");
    const SourceSite& source = site2014();
    WindowAssessor assessor(variant, site, source, table, diagnostics);
    std::int32_t number = 0;
    for (const WindowSpec& plan : windows) {
        MeasurementCase c;
        c.DayIndex = 15;
        c.BeginMinute = 600;
        c.EndMinute = 600 + plan.minutes;
        SampleBuffer buffer(16);
        WindowRecord record;
        for (int k = 0; k < plan.minutes * 600; ++k, ++record.loggerLines) {
            if (k >= plan.holeFrom * 600 && k < plan.holeTo * 600) continue;
            // Noise of four periods, w in u and Ts, and a drift of Ts over the window.
            const auto noise = [k](int p) { return static_cast<float>(k * 7919 % p) / static_cast<float>(p) - 0.5f; };
            const float w = 0.4f * noise(997);
            buffer.append(3.0f + 0.5f * noise(991) - 0.3f * w, 1.0f + 0.3f * noise(983), w,
                          20.0f + 0.2f * noise(977) + 0.5f * w + 0.0001f * static_cast<float>(k));
            record.addSample(15, 600 + k / 600, k % 600 / 10 + (k % 10) / 10.0);
        }
        if (plan.timesGivenUp) record.release();
        const ClosedWindow closed{c, ++number, c.EndMinute - 1, c.EndMinute, buffer, record};
        // As the sequencer does: a free slot, and none in flight before a window on the spot.
        const std::size_t mayWait = assessor.takesCopy(closed) ? inFlight - 1 : 0;
        while (assessor.inFlight() > mayWait) assessor.settleOldest();
        assessor.take(closed);
        WindSummary wind;
        summariseWindow(buffer, wind, c, variant, field::site2014());
        assessor.start(wind);
        const QualityRowKeys keys{number, 15, 600, c.EndMinute - 1, plan.minutes, 3};
        assessor.end(caseRef(c, number), keys);
    }
    assessor.settle();
    table.file.close();
    return {linesOf(readTable(dir.path() / "qc.txt")), lines.str(), assessor.notAssessed()};
}

TEST(WindowAssessment, WindowLargerThanTheCopysRoomGivesTheRowOfTheCopy) {
    // Windows of 10 and 30 minutes do not fit a room of 1000 samples, those of one minute do:
    // the assessor goes from the spot to the thread and back.
    const std::vector<WindowSpec> windows{{10, 2, 5}, {1}, {30}, {1}, {10}};
    const Assessed copied = assessWindows(kFieldjoinVariant.sampleCapacity, windows);
    const Assessed onTheSpot = assessWindows(1000, windows);
    ASSERT_EQ(windows.size(), copied.rows.size());
    EXPECT_EQ(0, copied.notAssessed);
    EXPECT_EQ(0, onTheSpot.notAssessed);
    EXPECT_NE(std::string::npos, copied.lines.find("coverage 70.0 %")) << copied.lines;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        SCOPED_TRACE("window " + std::to_string(i + 1) + " of " + std::to_string(windows[i].minutes) + " minutes");
        EXPECT_EQ(copied.rows[i], onTheSpot.rows.at(i));
        EXPECT_EQ(std::string::npos, copied.rows[i].find("not-assessed"));
    }
    EXPECT_EQ(copied.lines, onTheSpot.lines);
}

TEST(WindowAssessment, WindowsWaitingForTheThreadGiveTheRowsAndLinesOfOneAtATime) {
    // Copied windows between windows on the spot, with holes and a window without its times:
    // the rows and lines must come out in the windows' order whatever the depth.
    const std::vector<WindowSpec> windows{{10, 2, 5}, {1}, {30}, {10, 0, 0, true}, {1}, {10, 1, 9}, {3}, {2}, {10}};
    for (const std::size_t room : {std::size_t{1000}, kFieldjoinVariant.sampleCapacity}) {
        const Assessed oneAtATime = assessWindows(room, windows, 1);
        for (const std::size_t inFlight : {2u, 4u}) {
            SCOPED_TRACE("room " + std::to_string(room) + ", " + std::to_string(inFlight) + " in flight");
            const Assessed waiting = assessWindows(room, windows, inFlight);
            EXPECT_EQ(oneAtATime.rows, waiting.rows);
            EXPECT_EQ(oneAtATime.lines, waiting.lines);
            EXPECT_EQ(1, waiting.notAssessed);
        }
    }
}

TEST(WindowAssessment, WindowWithoutItsTimesGetsANotAssessedRowAndLine) {
    for (const std::size_t room : {std::size_t{1000}, kFieldjoinVariant.sampleCapacity}) {
        SCOPED_TRACE("room " + std::to_string(room));
        const Assessed a = assessWindows(room, {{10, 0, 0, true}, {10}});
        ASSERT_EQ(2u, a.rows.size());
        EXPECT_EQ("15,600,609,10,6000,6000,0,,,,3,0,,,,,,,,,,,,,,,,,not-assessed,2,not-assessed,,,,,,,,,,,,,,",
                  a.rows[0]);
        EXPECT_EQ(fieldsOf(a.rows[1]).size(), fieldsOf(a.rows[0]).size());
        EXPECT_EQ("run", fieldsOf(a.rows[1]).at(28)) << "the next window is assessed again: " << a.rows[1];
        EXPECT_EQ(1, a.notAssessed);
        EXPECT_EQ(
            "fieldjoin: case 1 (DayIndex 15, BeginMinute 600, EndMinute 610): window quality not assessed: "
            "not enough memory for the sample times\n",
            a.lines);
    }
}

}  // namespace
}  // namespace field
