// cAtoi / cAtof against the C library: the same value as std::atoi / std::atof
// on a NUL-terminated copy of the text, bit for bit (an inner NUL ends the C
// text just as it ends the number).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_support.hpp"
#include "platform/c_numbers.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = field::fuzzing::asText(data, size);
    const std::string copy(text);

    const std::int32_t i = field::cAtoi(text);
    const int expectedInt = std::atoi(copy.c_str());
    if (i != expectedInt) {
        std::fprintf(stderr, "cAtoi %d, atoi %d\n", i, expectedInt);
        std::abort();
    }

    const double d = field::cAtof(text);
    const double expected = std::atof(copy.c_str());
    if (std::memcmp(&d, &expected, sizeof d) != 0) {
        std::fprintf(stderr, "cAtof %a, atof %a\n", d, expected);
        std::abort();
    }
    return 0;
}
