// The progress line: drawn after its delay and at most four times a second, taken away
// before any other line on the same stream and at its end.

#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "run/run_progress.hpp"

namespace field {
namespace {

TEST(ProgressLine, DrawsAfterItsDelayAndGivesWayToOtherLines) {
    double now = 100;
    std::ostringstream err;
    {
        ProgressLine progress(err, "casetable", 2.0, [&now] { return now; });
        std::ostream lines(&progress);
        progress.setCases(30);
        struct Step {
            double at;
            int cases;
            std::uint64_t bytes;
            const char* line;      // written through the line's stream after the update; nullptr: none
            const char* expected;  // what the stream holds after the step
        };
        const Step steps[] = {
            {100.5, 1, 10'000'000, nullptr, ""},  // within the delay
            {101.0, 2, 20'000'000, "casetable: a problem\n", "casetable: a problem\n"},
            {102.0, 3, 40'000'000, nullptr,
             "casetable: a problem\n\r\033[Kcasetable: 3 of 30 cases, 40 MB read, 20 MB/s"},
            {102.1, 4, 50'000'000, nullptr,  // drawn a tenth of a second ago: not again
             "casetable: a problem\n\r\033[Kcasetable: 3 of 30 cases, 40 MB read, 20 MB/s"},
            {102.5, 5, 60'000'000, "x\n",
             "casetable: a problem\n\r\033[Kcasetable: 3 of 30 cases, 40 MB read, 20 MB/s"
             "\r\033[Kcasetable: 5 of 30 cases, 60 MB read, 24 MB/s\r\033[Kx\n"},
        };
        for (const Step& s : steps) {
            now = s.at;
            progress.update(s.cases, s.bytes);
            if (s.line) lines << s.line << std::flush;
            EXPECT_EQ(s.expected, err.str()) << "at " << s.at;
        }
        now = 103;
        progress.update(6, 70'000'000);
    }
    const std::string all = err.str();
    EXPECT_EQ("\r\033[K", all.substr(all.size() - 4)) << "taken away at its end";
}

TEST(ProgressLine, WithoutACountOfCasesCountsAlone) {
    double now = 0;
    std::ostringstream err;
    ProgressLine progress(err, "fieldjoin", 0, [&now] { return now; });
    now = 1;
    progress.update(2, 5'000'000);
    EXPECT_EQ("\r\033[Kfieldjoin: 2 cases, 5 MB read, 5 MB/s", err.str());
}

}  // namespace
}  // namespace field
