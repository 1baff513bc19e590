// The fast timestamp path must agree with the general rules on every line it
// accepts, and must decline every line it cannot read exactly.
#include <gtest/gtest.h>

#include <string>

#include "campaign_2014.hpp"
#include "input/logger_record.hpp"

namespace field {
namespace {

TEST(CanonicalTimestamp, AgreesWithTheGeneralRulesOrDeclines) {
    // clang-format off
    const std::string lines[] = {
        "\"2014-08-15 13:07:59.9\",1,2,3,4,5,6",
        "\"2014-08-15 00:00:00\"",
        "\"2014-09-01 23:59:00.0\",x",
        "\"2013-08-15 10:00:00.0\",1",
        "\"2014-12-31 10:00:00.0\",1",
        "\"2014-00-00 00:00:00.0\",1",
        "\"9999-99-99 99:99:99.9\",1",
        "x2014-08-15 10:00:00.0\",1",   // first character is dropped from the year whatever it is
        "2014-08-15 10:00:00.0,1",      // no opening quote: declined, general rules give year 14
        "\"2014-08-15 10:00\",1",       // too short for the fast path
        "\"2014-08-15  10:00:00.0\",1", // two spaces: empty time token
        "\"2014-8-15 10:00:00.0\",1",
        "\"2014-08-15T10:00:00.0\",1",
        "\"2014-08-15 10:00,00.0\",1",  // comma inside: the timestamp field ends early
        "\"2014-08-15 10:0a:00.0\",1",
        "\"2014-08-15 1:00:00.0\",1",
        "\"+014-08-15 10:00:00.0\",1",
        "",
    };
    // clang-format on
    for (const std::string& line : lines) {
        for (const bool yearCheck : {false, true}) {
            SCOPED_TRACE(line + (yearCheck ? " (year check)" : ""));
            std::string_view rest;
            const LoggerTime general = parseLoggerTimestamp(timestampField(line, rest), rule2014(yearCheck));
            LoggerTime fast{-7, -7};
            if (parseCanonicalTimestamp(line, rule2014(yearCheck), fast)) {
                EXPECT_EQ(general.day, fast.day);
                EXPECT_EQ(general.minute, fast.minute);
            } else {
                EXPECT_EQ(-7, fast.day);  // declined lines leave the result alone
            }
        }
    }
    LoggerTime t;
    EXPECT_TRUE(parseCanonicalTimestamp("\"2014-08-15 13:07:59.9\",1", rule2014(true), t));
    EXPECT_FALSE(parseCanonicalTimestamp("2014-08-15 10:00:00.0,1", rule2014(false), t));
}

// The cache may only answer for a line whose first 17 bytes and minute end
// match a line it converted: a longer minute piece must not reuse the result.
TEST(CanonicalTimestamp, CacheNeverAnswersForADifferentMinute) {
    // clang-format off
    const std::string sequence[] = {
        "\"2014-08-15 10:00:00.0\",1", "\"2014-08-15 10:00:00.1\",1", "\"2014-08-15 10:001:00\",1",
        "\"2014-08-15 10:00\",1",      "\"2014-08-15 10:00:59.9\",1", "\"2014-08-15 10:01:00.0\",1",
        "\"2014-08-16 10:01:00.0\",1", "2014-08-16 10:01:00.0,1",     "\"2014-08-16 10:01:00.0\",1",
        "\"2013-08-16 10:01:00.0\",1", "\"2014-08-16 10:01:",          "\"2014-08-16 10:01",
    };
    // clang-format on
    for (const bool yearCheck : {false, true}) {
        TimestampCache cache;
        for (int pass = 0; pass < 2; ++pass) {
            for (const std::string& line : sequence) {
                SCOPED_TRACE(line + (yearCheck ? " (year check)" : ""));
                std::string_view rest;
                const LoggerTime general = parseLoggerTimestamp(timestampField(line, rest), rule2014(yearCheck));
                LoggerTime t;
                if (!cache.convert(line, rule2014(yearCheck), t)) t = general;
                EXPECT_EQ(general.day, t.day);
                EXPECT_EQ(general.minute, t.minute);
            }
        }
    }
}

}  // namespace
}  // namespace field
