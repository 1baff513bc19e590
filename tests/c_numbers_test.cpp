// atoi/atof conversion must give the C library's results bit for bit.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/c_numbers.hpp"

namespace field {
namespace {

// Tricky texts, each also tried with prefixes and suffixes below.
// clang-format off
const std::vector<std::string> kTexts = {
    "", " ", "0", "-0", "+0", "1", "-1", "+1", "+-1", "-+1", "--1", "08", "0008", "1.25E-1", "1.25e-1", "1.25e+1",
    "1e", "1e+", "1e-", "1E5x", ".5", "-.5", "5.", "-5.", ".", "-.", "+.", ".e5", "e5", "  -3.5m/s", "\t\n\v\f\r7",
    "12abc", "abc", "nan", "NaN", "-nan", "nan(123)", "inf", "-inf", "+INF", "infinity", "Infinity", "infin", "in",
    "0x10", "0X1p4", "-0x1.8p1", "0x", "0xg", "0x.8", "1e400", "-1e400", "1e-400", "4.9e-324", "2.2250738585072011e-308",
    "1.7976931348623157e308", "1.7976931348623159e308", "0.1", "0.30000000000000004", "123456789012345678901234567890",
    "2147483647", "2147483648", "-2147483648", "-2147483649", "4294967296", "9223372036854775807",
    "9223372036854775808", "-9223372036854775808", "-9223372036854775809", "99999999999999999999", "1,5", "1 5",
    "3.14159265358979323846264338327950288", "0.000015", "24.3", "-26.87", "1e0", "0e0", "0.0e-0", "00.00",
    "9007199254740993", "1.00000000000000011102230246251565404236316680908203125", "\"2014", "2014-08-15",
    "10:00:03.4\"", "+", "-", "++", "1e+308", "1e309", "1e-308", "1e-324", "1e-323", "7.", "7.e2", "7.e", "0.5e1.5"};
// clang-format on

std::string withNul(const std::string& s) { return s + std::string(1, '\0') + "9"; }

// The C library's atof and atoi by their definitions, strtod and strtol (with
// a 64-bit long, as strtoll) narrowed to int: MinGW's atof and atoi are the
// old msvcrt ones, which read no nan, inf or hexadecimal form and wrap on overflow. A text without a
// number gives +0 as C requires (MinGW's strtod gives -0 after a lone '-').
double referenceAtof(const char* text) {
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    return end == text ? 0.0 : value;
}
int referenceAtoi(const char* text) { return static_cast<int>(std::strtoll(text, nullptr, 10)); }

TEST(CAtof, MatchesStrtodBitForBit) {
    int compared = 0;
    for (const std::string& base : kTexts) {
        for (const std::string& text : {base, " " + base, base + " 1", base + ",2", base + "e"}) {
            SCOPED_TRACE("text: \"" + text + "\"");
            const double expected = referenceAtof(text.c_str());
            const double got = cAtof(text);
            if (std::isnan(expected)) {
                EXPECT_TRUE(std::isnan(got));
                EXPECT_EQ(std::signbit(expected), std::signbit(got));
            } else {
                EXPECT_EQ(0, std::memcmp(&expected, &got, sizeof got)) << expected << " vs " << got;
            }
            ++compared;
        }
    }
    EXPECT_GT(compared, 400);
}

TEST(CAtoi, MatchesAtoi) {
    for (const std::string& base : kTexts) {
        for (const std::string& text : {base, " " + base, base + " 1", base + "x"}) {
            SCOPED_TRACE("text: \"" + text + "\"");
            EXPECT_EQ(referenceAtoi(text.c_str()), cAtoi(text));
        }
    }
}

// A field is a view into a longer line: the conversion must stop at the
// view's end, not at the next NUL or separator behind it.
TEST(CNumbers, StopAtTheEndOfTheView) {
    struct Case {
        std::string line;
        std::size_t length;
        double atofExpected;
        int atoiExpected;
    };
    // clang-format off
    const Case cases[] = {
        {"12345", 2, 12.0, 12},
        {"1.5e10", 3, 1.5, 1},
        {"-0.25,99", 5, -0.25, 0},
        {"7e5", 2, 7.0, 7},  // "7e" is 7
        {withNul("42"), 2, 42.0, 42},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string_view view(c.line.data(), c.length);
        EXPECT_EQ(c.atofExpected, cAtof(view));
        EXPECT_EQ(c.atoiExpected, cAtoi(view));
    }
}

TEST(CAtof, LongFieldsFallBackWithoutTruncation) {
    // Longer than any stack copy: a hexadecimal number with many digits.
    const std::string hex = "0x" + std::string(300, '1') + "p-1000";
    EXPECT_EQ(referenceAtof(hex.c_str()), cAtof(hex));
    const std::string decimal = "0." + std::string(5000, '3');
    EXPECT_EQ(referenceAtof(decimal.c_str()), cAtof(decimal));
}

}  // namespace
}  // namespace field

namespace field {
namespace {

// The short-decimal fast path must round exactly like strtod: random logger-like
// values with up to 15 digits and every fraction length.
TEST(CAtof, ShortDecimalsRoundLikeStrtod) {
    std::uint64_t state = 0x9E3779B97F4A7C15ULL;
    const auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return state;
    };
    char text[64];
    for (int n = 0; n < 200000; ++n) {
        const int intDigits = static_cast<int>(next() % 8);
        const int fracDigits = static_cast<int>(next() % 16);
        int len = 0;
        if (next() % 2) text[len++] = '-';
        for (int d = 0; d < intDigits; ++d) text[len++] = static_cast<char>('0' + next() % 10);
        text[len++] = '.';
        for (int d = 0; d < fracDigits; ++d) text[len++] = static_cast<char>('0' + next() % 10);
        text[len] = '\0';
        const double expected = referenceAtof(text);
        const double got = cAtof(std::string_view(text, static_cast<std::size_t>(len)));
        ASSERT_EQ(0, std::memcmp(&expected, &got, sizeof got)) << text;
    }
}

// The 8-byte reader against the digit loop: whenever it answers, the same value bits and
// length; on the shapes loggers write it must answer. Every text of up to 8 characters
// from digits, point, comma and a stray byte, so every position of the point and end.
TEST(PlainDecimalIn8Bytes, AgreesWithTheDigitLoop) {
    const char alphabet[] = {'0', '7', '9', '.', ',', '\0', 'e', '-'};
    char text[8];
    int answered = 0;
    for (std::uint32_t code = 0; code < (1u << 24); ++code) {  // 8 positions of 3 bits
        for (int i = 0; i < 8; ++i) text[i] = alphabet[(code >> (3 * i)) & 7];
        std::uint64_t bytes;
        std::memcpy(&bytes, text, 8);
        std::size_t length = 0;
        double fast = 0;
        const bool shortRoute = plainDecimalIn8Bytes(bytes, length, fast);
        const char* p = text;
        double slow = 0;
        const bool loop = plainDecimalPrefix(p, text + 8, slow);
        if (!shortRoute) {
            // Refused only for no digit, or a decimal that reaches the eighth byte.
            if (loop) {
                ASSERT_GE(p - text, 8) << std::string(text, 8);
            }
            continue;
        }
        ++answered;
        ASSERT_TRUE(loop) << std::string(text, 8);
        ASSERT_EQ(static_cast<std::size_t>(p - text), length) << std::string(text, 8);
        ASSERT_EQ(0, std::memcmp(&fast, &slow, sizeof fast)) << std::string(text, 8);
    }
    EXPECT_GT(answered, 1 << 20);
}

// The multiplication against the correctly rounded division, for every mantissa the 8-byte
// reader can give (up to 7 digits) and every count of digits behind the point.
TEST(PlainDigitsToFloat, EveryShortDecimalRoundsAsTheDivisionDoes) {
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6};
    for (unsigned fraction = 0; fraction <= 6; ++fraction) {
        for (std::uint32_t mantissa = 0; mantissa < 10'000'000; ++mantissa) {
            const auto expected = static_cast<float>(static_cast<double>(mantissa) / kPowersOfTen[fraction]);
            const float got = plainDigitsToFloat(mantissa, fraction);
            if (std::bit_cast<std::uint32_t>(expected) != std::bit_cast<std::uint32_t>(got))
                FAIL() << mantissa << " / 10^" << fraction << ": " << expected << " against " << got;
        }
    }
}

}  // namespace
}  // namespace field
