// The table's number texts: floats as printf's %g of the float widened to
// double, integers in plain decimal.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <vector>

#include "text/number_format.hpp"

namespace field {
namespace {

// printf's %g of a float widened to double: the reference for every float field.
std::string percentG(float value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(value));
    return buffer;
}

TEST(TableNumbers, FloatsInTheGeneralFormatWithSixDigits) {
    struct Case {
        float value;
        const char* text;
    };
    // clang-format off
    const Case cases[] = {
        {0.5f, "0.5"},          {3.15f, "3.15"},         {2.225f, "2.225"},       {-26.87f, "-26.87"},
        {-4.24f, "-4.24"},      {15.56f, "15.56"},       {1.3f, "1.3"},           {-999.0f, "-999"},
        {0.0f, "0"},            {-0.0f, "-0"},           {12.345678f, "12.3457"}, {0.000015f, "1.5e-05"},
        {0.0001f, "0.0001"},    {0.00012345f, "0.00012345"}, {0.00001f, "1e-05"}, {1e6f, "1e+06"},
        {999999.0f, "999999"},  {123456.0f, "123456"},   {1234567.0f, "1.23457e+06"}, {100000.0f, "100000"},
        {999999.5f, "1e+06"},   {-1e-10f, "-1e-10"},     {3e38f, "3e+38"},        {1.0f / 3.0f, "0.333333"},
        {2.0f / 3.0f, "0.666667"}, {610.0f, "610"},      {0.1f, "0.1"},
    };
    // clang-format on
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string out = "x";
        appendFloat(out, c.value);
        EXPECT_EQ(std::string("x") + c.text, out);
    }
}

TEST(TableNumbers, FloatsMatchPrintfAcrossMagnitudesAndRoundingEdges) {
    // Values near every exponent switch and rounding boundary of six digits.
    std::vector<float> values;
    for (int e = -12; e <= 12; ++e) {
        const float p = std::pow(10.0f, static_cast<float>(e));
        for (float m : {1.0f, 1.5f, 9.99999f, 9.999995f, 9.9999951f, 9.9999949f, 1.0000005f, 1.2345649f, 5.5555555f,
                        9.99f, 3.14159265f}) {
            values.push_back(m * p);
            values.push_back(-m * p);
            values.push_back(std::nextafter(m * p, 0.0f));
            values.push_back(std::nextafter(m * p, 1e30f));
        }
    }
    values.push_back(std::numeric_limits<float>::min());
    values.push_back(std::numeric_limits<float>::denorm_min());
    values.push_back(std::numeric_limits<float>::max());
    for (float v : values) {
        std::string out;
        appendFloat(out, v);
        EXPECT_EQ(percentG(v), out) << "value bits of " << static_cast<double>(v);
    }
}

TEST(TableNumbers, EveryNotANumberIsNanAndInfinitiesKeepTheirSign) {
    // A NaN's sign bit depends on how the optimiser ordered the operations that made it.
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    volatile double zero = 0.0;  // 0/0 at run time: x86 makes it a negative NaN
    struct Case {
        const char* what;
        double value;
        const char* text;
    };
    const Case cases[] = {
        {"NaN", nan, "nan"},
        {"negative NaN", std::copysign(nan, -1.0), "nan"},
        {"0/0", zero / zero, "nan"},
        {"infinity", inf, "inf"},
        {"negative infinity", -inf, "-inf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string asFloat, fixed, general;
        appendFloat(asFloat, static_cast<float>(c.value));
        appendFixed(fixed, c.value, 3);
        appendGeneral(general, c.value);
        EXPECT_EQ(c.text, asFloat);
        EXPECT_EQ(c.text, fixed);
        EXPECT_EQ(c.text, general);
    }
}

TEST(TableNumbers, IntegersInPlainDecimal) {
    struct Case {
        std::int64_t value;
        const char* text;
    };
    const Case cases[] = {
        {0, "0"}, {7, "7"}, {-7, "-7"}, {600, "600"}, {2147483647, "2147483647"}, {-2147483648LL, "-2147483648"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string out;
        appendInteger(out, c.value);
        EXPECT_EQ(c.text, out);
    }
}

}  // namespace
}  // namespace field
