// Large buffers: every byte asked for is usable, large ones are aligned to the
// large page, and a vector on the allocator keeps its values as it grows.
#include <cstdint>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "platform/large_allocation.hpp"

namespace {

using field::kLargePageBytes;

TEST(LargeAllocation, EverySizeIsUsableAndLargeOnesAreAligned) {
    struct Case {
        std::size_t bytes;
        bool aligned;  // to the large page (POSIX only)
    };
    // clang-format off
    const Case cases[] = {
        {0,                        false},
        {1,                        false},
        {kLargePageBytes / 2,      false},
        {kLargePageBytes - 1,      false},
        {kLargePageBytes,          true},
        {kLargePageBytes + 1,      true},
        {3 * kLargePageBytes - 7,  true},
    };
    // clang-format on
    for (const Case& c : cases) {
        auto bytes = field::makeLargeArray<char>(c.bytes);
        ASSERT_NE(bytes.get(), nullptr) << c.bytes;
        if (c.bytes > 0) {
            std::memset(bytes.get(), 0x5a, c.bytes);  // first to last byte, under the sanitizers too
            EXPECT_EQ(bytes[c.bytes - 1], 0x5a) << c.bytes;
        }
#ifndef _WIN32
        if (c.aligned) {
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(bytes.get()) % kLargePageBytes, 0u) << c.bytes;
        }
#endif
    }
}

TEST(LargeAllocation, VectorKeepsItsValuesAcrossGrowth) {
    std::vector<double, field::LargeAllocator<double>> v;
    v.reserve(10);
    for (int i = 0; i < 400000; ++i) v.push_back(i * 0.5);  // crosses the large size twice
    for (int i = 0; i < 400000; i += 9973) ASSERT_EQ(v[static_cast<std::size_t>(i)], i * 0.5) << i;
}

}  // namespace
