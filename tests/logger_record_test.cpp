#include "input/logger_record.hpp"
#include "campaign_2014.hpp"

#include <gtest/gtest.h>

#include <random>

#include <bit>

#include <cmath>
#include <cstdlib>

#include <cstdlib>
#include <string>

namespace field {
namespace {

struct TimestampCase {
    const char* what;
    std::string text;
    LoggerTime withoutYearCheck;  // fieldjoin
    LoggerTime withYearCheck;     // casetable
};

// Day/minute pairs are compared field by field so a failing row says which one is off.
void expectTime(const LoggerTime& expected, const LoggerTime& actual) {
    EXPECT_EQ(expected.day, actual.day);
    EXPECT_EQ(expected.minute, actual.minute);
}

const TimestampCase kTimestampCases[] = {
    {"seconds with a fraction are ignored", "\"2014-08-15 13:07:59.9\"", {15, 787}, {15, 787}},
    {"second 0 of the same minute", "\"2014-08-15 13:07:00.0\"", {15, 787}, {15, 787}},
    {"1 September is day 32", "\"2014-09-01 00:00:00\"", {32, 0}, {32, 0}},
    {"1 October, last minute of the day", "\"2014-10-01 23:59:00\"", {62, 1439}, {62, 1439}},
    {"July counts like October", "\"2014-07-31 10:00:00\"", {92, 600}, {92, 600}},
    {"December counts like October", "\"2014-12-05 01:01:00\"", {66, 61}, {66, 61}},
    {"no leading zeros", "\"2014-8-5 9:5:0\"", {5, 545}, {5, 545}},
    {"another year", "\"2013-08-15 10:00:00\"", {15, 600}, {-1, 600}},
    {"year 2015", "\"2015-09-01 00:30:00\"", {32, 30}, {-1, 30}},
    // The first character is dropped blindly, so without the quote the year reads 14.
    {"no opening quote", "2014-08-15 10:00:00\"", {15, 600}, {-1, 600}},
    {"no quotes at all", "2014-08-15 10:00:00", {15, 600}, {-1, 600}},
    {"year with a leading zero still reads 2014", "\"02014-08-15 10:00:00\"", {15, 600}, {15, 600}},
    {"year followed by letters", "\"2014x-08-15 10:00:00\"", {15, 600}, {15, 600}},
    {"empty text", "", {61, 0}, {-1, 0}},
    {"only the opening quote", "\"", {61, 0}, {-1, 0}},
    {"date without time", "\"2014-08-15\"", {15, 0}, {15, 0}},
    {"date, space, nothing", "\"2014-08-15 ", {15, 0}, {15, 0}},
    {"hour without minute", "\"2014-08-15 10\"", {15, 600}, {15, 600}},
    {"day missing", "\"2014-08 10:05:00\"", {0, 605}, {0, 605}},
    {"month and day missing", "\"2014 10:05:00\"", {61, 605}, {61, 605}},
    {"empty year piece", "-08-15 10:05:00", {15, 605}, {-1, 605}},
    // Two spaces give an empty time token; the time after it is a third token.
    {"two spaces before the time", "\"2014-08-15  10:05:00\"", {15, 0}, {15, 0}},
    {"further tokens ignored", "\"2014-08-15 10:05:00 12:00:00\"", {15, 605}, {15, 605}},
    {"further date pieces ignored", "\"2014-08-15-09 10:05:00\"", {15, 605}, {15, 605}},
    {"signed pieces read as atoi does", "\"2014-+9-+1 -1:70\"", {32, 10}, {32, 10}},
    {"long digit runs", "\"2014-0000000009-0000000001 0000000013:00000000007\"", {32, 787}, {32, 787}},
    {"trailing text after numbers", "\"2014-09x-01y 10h:05m\"", {32, 605}, {32, 605}},
    {"letters only", "abc", {61, 0}, {-1, 0}},
    {"letters in every piece", "\"yyyy-mm-dd hh:mm:ss\"", {61, 0}, {-1, 0}},
    {"binary bytes", std::string("\"\0\xff-\x80-\x01 \xfe:\x00\x7f", 12), {61, 0}, {-1, 0}},
};

TEST(ParseLoggerTimestamp, GivesDayIndexAndMinuteOfDayWithAndWithoutYearCheck) {
    for (const TimestampCase& c : kTimestampCases) {
        SCOPED_TRACE(std::string(c.what) + ": [" + c.text + "]");
        {
            SCOPED_TRACE("year check off");
            expectTime(c.withoutYearCheck, parseLoggerTimestamp(c.text, rule2014(false)));
        }
        {
            SCOPED_TRACE("year check on");
            expectTime(c.withYearCheck, parseLoggerTimestamp(c.text, rule2014(true)));
        }
    }
}

TEST(ParseLoggerTimestamp, ReadsOnlyItsOwnTextNotPastTheView) {
    // The Timestamp is a view into a longer line: a parser that reads on to a
    // terminator instead of the view's end takes digits that are not its own.
    const std::string text = "\"2014-09-15 10:05:00\"";
    const LoggerTime cutInMinute = parseLoggerTimestamp(std::string_view(text).substr(0, 16), rule2014(false));
    EXPECT_EQ(46, cutInMinute.day);
    EXPECT_EQ(600, cutInMinute.minute);  // "10:0", not "10:05"

    const LoggerTime cutInMonth = parseLoggerTimestamp(std::string_view(text).substr(0, 7), rule2014(false));
    EXPECT_EQ(61, cutInMonth.day);  // month "0", not "09"
    EXPECT_EQ(0, cutInMonth.minute);
}

TEST(TimestampField, SplitsAtTheFirstCommaOnly) {
    std::string_view rest;
    EXPECT_EQ("\"2014-08-15 10:00:00\"", timestampField("\"2014-08-15 10:00:00\",7,1,2,3,20,0", rest));
    EXPECT_EQ("7,1,2,3,20,0", rest);

    EXPECT_EQ("", timestampField(",7,1,2,3,20", rest));
    EXPECT_EQ("7,1,2,3,20", rest);

    EXPECT_EQ("\"2014-08-15 10:00:00\"", timestampField("\"2014-08-15 10:00:00\"", rest));
    EXPECT_TRUE(rest.empty());

    EXPECT_EQ("", timestampField("", rest));
    EXPECT_TRUE(rest.empty());
}

struct SonicCase {
    const char* what;
    const char* rest;  // the line from field 2 on
    float u, v, w, Ts;
};

const SonicCase kSonicCases[] = {
    {"fields in their places; field 2 is not u", "99,1,2,3,20,7", 1.0f, 2.0f, 3.0f, 20.0f},
    {"exponent form", "x,1.25E-1,0,0,20,0", 0.125f, 0.0f, 0.0f, 20.0f},
    {"letters give 0", "x,abc,2,3,20,0", 0.0f, 2.0f, 3.0f, 20.0f},
    {"empty field gives 0", "x,,2,3,20,0", 0.0f, 2.0f, 3.0f, 20.0f},
    {"leading blanks and a unit", "x,  -3.5m/s,2,3,20,0", -3.5f, 2.0f, 3.0f, 20.0f},
    {"leading plus sign", "x,+0.5,2,3,20,0", 0.5f, 2.0f, 3.0f, 20.0f},
    {"Ts missing", "x,1,2,3", 1.0f, 2.0f, 3.0f, 0.0f},
    {"only u", "x,1", 1.0f, 0.0f, 0.0f, 0.0f},
    {"only field 2", "x", 0.0f, 0.0f, 0.0f, 0.0f},
    {"nothing after the timestamp", "", 0.0f, 0.0f, 0.0f, 0.0f},
    {"six fields, no seventh", "x,1,2,3,20", 1.0f, 2.0f, 3.0f, 20.0f},
    {"ten fields read like seven", "x,1,2,3,20,7,8,9,10", 1.0f, 2.0f, 3.0f, 20.0f},
    {"empty fields in the middle", "x,1,,,20", 1.0f, 0.0f, 0.0f, 20.0f},
    {"carriage return left on Ts", "x,1,2,3,20\r", 1.0f, 2.0f, 3.0f, 20.0f},
};

TEST(ParseSonicValues, ConvertsFieldsThreeToSixByAtofRules) {
    for (const SonicCase& c : kSonicCases) {
        SCOPED_TRACE(std::string(c.what) + ": [" + c.rest + "]");
        const SonicValues s = parseSonicValues(c.rest);
        EXPECT_EQ(c.u, s.u);
        EXPECT_EQ(c.v, s.v);
        EXPECT_EQ(c.w, s.w);
        EXPECT_EQ(c.Ts, s.Ts);
    }
}

TEST(ParseSonicValues, RoundsThroughDoubleNotStraightToFloat) {
    // Just above the midpoint of two floats, but by less than half a double ulp:
    // read as double it lands on the midpoint and then rounds to even (1.0f);
    // read straight as float it would round up.
    const char* text = "1.0000000596046448309";
    const std::string rest = std::string("x,") + text + ",0,0," + text;
    const SonicValues s = parseSonicValues(rest);
    EXPECT_EQ(static_cast<float>(std::strtod(text, nullptr)), s.u);
    EXPECT_EQ(1.0f, s.u);
    EXPECT_EQ(1.0f, s.Ts);
}

// The values as loggers write them take a short route through the line; every text must
// still give the bits strtod gives, on whichever route it lands.
TEST(ParseSonicValues, PlainDecimalsGiveStrtodsBitsOnEveryRoute) {
    // clang-format off
    const char* texts[] = {
        "0.427",  "-0.083", "20.16",  "-0",      "0",      "007.50", "1.",     ".5",     "-.5",
        "123456789012345",  "1234567890123456", "0.1234567890123456789012", "0.12345678901234567890123",
        "16777217",         "-16777217.0",      "3.4028235677973366e38",    "1e-50",  "0x1p3",
        "1.5 ",   " 1.5",   "+1.5",   ".",      "-",      "",       "nan",    "-inf",   "2.5e",
    };
    // clang-format on
    for (const char* u : texts) {
        for (const char* tail : {",0,0,20.5,0", ",0,0,20.5", ",0,0", ""}) {
            const std::string rest = std::string("7,") + u + tail;
            SCOPED_TRACE("[" + rest + "]");
            const SonicValues s = parseSonicValues(rest);
            const float expected = static_cast<float>(std::strtod(u, nullptr));
            if (std::isnan(expected)) {
                EXPECT_TRUE(std::isnan(s.u));
            } else {
                EXPECT_EQ(std::signbit(expected), std::signbit(s.u));
                EXPECT_EQ(expected, s.u);
            }
            EXPECT_EQ(std::string(tail).size() > 6 ? 20.5f : 0.0f, s.Ts);
        }
    }
}

// The route by commas must give what the route value after value gives wherever it answers,
// and answer on the lines loggers write. Random fields from digits, points, signs, commas and
// stray bytes, of lengths around the 16 and 32 bytes it looks at.
TEST(ParseSonicValues, ByCommasAgreesWithValueAfterValue) {
#if FIELD_SSE2
    std::mt19937 random(2014);
    const std::string alphabet = "0123456789012345678901234567890123456789...--,,x \r";
    const auto bits = [](float x) { return std::bit_cast<std::uint32_t>(x); };
    int answered = 0;
    for (int round = 0; round < 200000; ++round) {
        std::string rest = std::to_string(random() % 10000000);
        const int fields = 3 + static_cast<int>(random() % 4);
        for (int f = 0; f < fields; ++f) {
            rest += ',';
            if (random() % 4 != 0) {  // as loggers write them
                if (random() % 2) rest += '-';
                rest += std::to_string(random() % 100) + "." + std::to_string(random() % 1000);
            } else {
                for (int k = static_cast<int>(random() % 10); k > 0; --k) rest += alphabet[random() % alphabet.size()];
            }
        }
        SonicValues fast, plain;
        if (!detail::sonicValuesByCommas(rest, fast)) continue;
        ++answered;
        ASSERT_TRUE(detail::plainSonicValuesInTurn(rest, plain)) << rest;
        ASSERT_EQ(bits(plain.u), bits(fast.u)) << rest;
        ASSERT_EQ(bits(plain.v), bits(fast.v)) << rest;
        ASSERT_EQ(bits(plain.w), bits(fast.w)) << rest;
        ASSERT_EQ(bits(plain.Ts), bits(fast.Ts)) << rest;
    }
    EXPECT_GT(answered, 10000);
    SonicValues s;
    EXPECT_TRUE(detail::sonicValuesByCommas("12345,0.427,1.302,-0.060,20.16,0", s));
    EXPECT_TRUE(detail::sonicValuesByCommas("1,0.427,1.302,0.060,20.16", s));
    // The usual line: its Ts ends past byte 32 (the fast route once looked no further).
    EXPECT_TRUE(detail::sonicValuesByCommas("3495996,-1.340,0.917,-0.080,21.78,0", s));
    EXPECT_EQ(s.Ts, 21.78f);
    EXPECT_TRUE(detail::sonicValuesByCommas("3495996,-11.340,-10.917,-10.080,21.7,0,0,0,0", s));
    EXPECT_EQ(s.Ts, 21.7f);
    // An empty or lone-minus Ts at the very end of the text: no value, and nothing read past it.
    EXPECT_FALSE(detail::sonicValuesByCommas("12345,0.427,1.302,-0.060,", s));
    EXPECT_FALSE(detail::sonicValuesByCommas("12345,0.427,1.302,-0.060,-", s));
#else
    GTEST_SKIP() << "a build without SSE2 reads value after value only";
#endif
}

}  // namespace
}  // namespace field
