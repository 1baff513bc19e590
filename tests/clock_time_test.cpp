// Clock times of the tables: HHMM from a minute of the day, never wrapped, and
// never a byte that would break a row.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

#include "text/clock_time.hpp"

namespace field {
namespace {

struct Case {
    std::int32_t minute;
    const char* text;
};

TEST(FormatClockTime, FourDigitsHourThenMinuteWithoutWrapping) {
    // clang-format off
    const Case cases[] = {
        {0, "0000"},    {1, "0001"},    {59, "0059"},   {60, "0100"},   {570, "0930"}, {600, "1000"},
        {629, "1029"},  {719, "1159"},  {720, "1200"},  {1439, "2359"}, {1440, "2400"}, {1500, "2500"},
        {5999, "9959"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.minute);
        EXPECT_EQ(c.text, formatClockTime(c.minute));
    }
}

TEST(FormatClockTime, ClockTimeOfAMinuteNoValidInputGivesNeverBreaksTheRow) {
    // '0' plus a "digit" outside 0..9 may give any byte: a comma or a line feed would
    // split the row. Such characters are written as '?'.
    const Case cases[] = {
        {-4, "000?"},      // '0' - 4 is a comma
        {-15, "00/+"},     // other characters below '0' stay
        {130800, "?000"},  // hour 2180: '0' + 218 wraps to a line feed
        {6000, ":000"},    // hour 100 as it always was
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.minute);
        EXPECT_EQ(c.text, formatClockTime(c.minute));
    }
    for (std::int64_t m = INT32_MIN; m <= INT32_MAX; m += 9973) {
        for (const std::int64_t minute : {m, m + 1, m + 5}) {
            if (minute > INT32_MAX) continue;
            const std::string text = formatClockTime(static_cast<std::int32_t>(minute));
            ASSERT_EQ(4u, text.size());
            for (char c : text) ASSERT_TRUE(c >= 0x20 && c <= 0x7E && c != ',') << minute;
        }
    }
}

}  // namespace
}  // namespace field
