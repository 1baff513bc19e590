// wildcardMatch against a plain dynamic-programming matcher of the same rules:
// '*' any run (also empty), '?' one character, ASCII case ignored, a pattern
// ending in ".*" also matching names without a dot.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "fuzz_support.hpp"
#include "platform/wildcard.hpp"

namespace {

bool referenceGlob(std::string_view p, std::string_view n) {
    // row[j]: the pattern so far matches the first j characters of the name.
    std::vector<char> row(n.size() + 1, 0), nextRow(n.size() + 1, 0);
    row[0] = 1;
    for (char c : p) {
        nextRow[0] = c == '*' ? row[0] : 0;
        for (std::size_t j = 1; j <= n.size(); ++j) {
            if (c == '*') {
                nextRow[j] = row[j] || nextRow[j - 1];
            } else {
                const bool same = c == '?' || field::foldUpper(c) == field::foldUpper(n[j - 1]);
                nextRow[j] = same && row[j - 1];
            }
        }
        row.swap(nextRow);
    }
    return row[n.size()] != 0;
}

bool referenceMatch(std::string_view pattern, std::string_view name) {
    if (referenceGlob(pattern, name)) return true;
    return pattern.size() >= 2 && pattern.substr(pattern.size() - 2) == ".*" &&
           name.find('.') == std::string_view::npos && referenceGlob(pattern.substr(0, pattern.size() - 2), name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Pattern and name are separated by the first NUL (or split in the middle).
    const std::string_view text = field::fuzzing::asText(data, size);
    std::size_t cut = text.find('\0');
    std::string_view pattern, name;
    if (cut == std::string_view::npos) {
        cut = text.size() / 2;
        pattern = text.substr(0, cut);
        name = text.substr(cut);
    } else {
        pattern = text.substr(0, cut);
        name = text.substr(cut + 1);
    }
    const bool got = field::wildcardMatch(pattern, name);
    if (pattern.size() <= 600 && name.size() <= 600) {
        const bool expected = referenceMatch(pattern, name);
        if (got != expected) {
            std::fprintf(stderr, "wildcardMatch gave %d, expected %d\n", got, expected);
            std::abort();
        }
    }
    FUZZ_CHECK(field::equalsIgnoringCase(pattern, pattern));
    FUZZ_CHECK(field::equalsIgnoringCase(pattern, name) == field::equalsIgnoringCase(name, pattern));
    return 0;
}
