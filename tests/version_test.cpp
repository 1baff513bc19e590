// The version text the build generates from the CMake project.
#include <gtest/gtest.h>

#include <string>

#include "field_version.hpp"

namespace field {
namespace {

TEST(Version, IsMajorMinorPatchOfDigits) {
    const std::string v(kFieldVersion);
    int dots = 0;
    bool digitBefore = false;
    for (const char c : v) {
        if (c == '.') {
            EXPECT_TRUE(digitBefore) << v;
            digitBefore = false;
            ++dots;
        } else {
            EXPECT_TRUE(c >= '0' && c <= '9') << v;
            digitBefore = true;
        }
    }
    EXPECT_TRUE(digitBefore) << v;
    EXPECT_EQ(2, dots) << v;
}

}  // namespace
}  // namespace field
