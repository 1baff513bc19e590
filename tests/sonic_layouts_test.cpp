#include "input/sonic_layouts.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <random>
#include <string>
#include <vector>

namespace field {
namespace {

std::uint32_t bits(float x) { return std::bit_cast<std::uint32_t>(x); }

// Every text the layouts read must give parseSonicValues's bits, whether its layout is known,
// newly kept, kept under the same slot as another, or none at all.
void expectSameAsPlain(SonicLayouts& layouts, const std::string& rest) {
    const SonicValues fast = layouts.parse(rest);
    const SonicValues plain = parseSonicValues(rest);
    ASSERT_EQ(bits(plain.u), bits(fast.u)) << rest;
    ASSERT_EQ(bits(plain.v), bits(fast.v)) << rest;
    ASSERT_EQ(bits(plain.w), bits(fast.w)) << rest;
    ASSERT_EQ(bits(plain.Ts), bits(fast.Ts)) << rest;
}

TEST(SonicLayouts, SameBitsAsThePlainRouteOnLinesOfManyLayouts) {
    std::mt19937 random(2014);
    const auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    // A value as loggers write it, now and then with more digits, no point or a trailing point.
    const auto value = [&](int decimals) {
        std::string v = pick(2) ? "-" : "";
        v += std::to_string(pick(3) == 0 ? pick(100) : pick(10));
        if (pick(20) != 0) {
            v += '.';
            v += std::to_string(1000000 + pick(1000000)).substr(static_cast<std::size_t>(7 - decimals));
        } else if (pick(2)) {
            v += '.';
        }
        return v;
    };
    const std::string junk = "0123456789.-,x ";
    SonicLayouts layouts;
    for (int round = 0; round < 300000; ++round) {
        std::string rest = std::to_string(pick(4) == 0 ? pick(100000) : 3456000 + round);
        for (int k = 0; k < 4; ++k) {
            rest += ',';
            rest += value(k == 3 ? 2 : 1 + pick(4));
        }
        switch (pick(6)) {
            case 0: break;                                        // Ts ends the text
            case 1: rest += ",0,12.5,-3.25,1013.2,extra"; break;  // texts beyond 48 bytes
            case 2:
                rest[static_cast<std::size_t>(pick(static_cast<int>(rest.size())))] =
                    junk[static_cast<std::size_t>(pick(static_cast<int>(junk.size())))];
                break;  // a character changed: a layout of its own or none
            default: rest += ','; rest += std::to_string(pick(12));
        }
        expectSameAsPlain(layouts, rest);
    }
}

TEST(SonicLayouts, KnownLayoutNeedsTheSameTextEnd) {
    // Ts ends a text of exactly 48 bytes; a longer text agrees on those 48 bytes but its Ts
    // runs on, and must not be read by the layout of the first.
    struct Case {
        std::string rest;
    };
    const std::string first = "123456789012345678,-1.234,-5.678,-9.012,-3.45678";
    ASSERT_EQ(first.size(), 48u);
    const Case cases[] = {
        {first},
        {first + "5"},
        {first + "5,0"},
        {first},
        {"123456789012345679,-1.234,-5.678,-9.012,-3.45679"},
        {"3456001,0.427,1.302,-0.060,20.16,0"},
        {"3456001,0.427,1.302,-0.060,20.16,0"},
        {"3456001,0.427,1.302,-0.060,20.16"},  // the same layout without the field behind Ts
        {"3456001,0.427,1.302,-0.060,20.1612,0"},
        {"3456001,0.427,1.302,-0.060,2016.12,0"},
        {"1,0.42,1.302,-0.060,20.16,0"},  // u too near the start for a kept layout: no read before the text
        {"3456001,0.427,1.302,-0.060,20.16,"},
        {"3456001,0.427,1.302,-0.060,,0"},
        {"1,2,3,4,5"},
        {""},
    };
    SonicLayouts layouts;
    for (int pass = 0; pass < 2; ++pass)
        for (const Case& c : cases) expectSameAsPlain(layouts, c.rest);
}

}  // namespace
}  // namespace field
