// LineReader with small blocks and a small line limit against a plain split:
// lines end at LF, one CR before it is dropped, a last line without LF is a
// line, and a line longer than the limit comes as its first `limit` bytes.
// Then again with lines passed over by a prefix between the lines read: the
// lines read are the same with some left out, each of which has the prefix.
#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.hpp"
#include "platform/line_reader.hpp"

using field::fuzzing::Choices;

namespace {

std::vector<std::string_view> referenceLines(std::string_view text, std::size_t limit) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t lf = text.find('\n', start);
        std::string_view line;
        if (lf == std::string_view::npos) {
            line = text.substr(start);
            start = text.size();
        } else {
            line = text.substr(start, lf - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            start = lf + 1;
        }
        lines.push_back(line.substr(0, limit));
    }
    return lines;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static field::fuzzing::MemoryFile file;
    Choices choose(data, size);
    const std::size_t blockSize = 1 + choose.byte() % 64;
    const std::size_t limit = 1 + choose.byte() % 160;
    const std::string_view text = field::fuzzing::asText(data, size);
    file.set(text);

    const std::vector<std::string_view> expected = referenceLines(text, limit);
    field::LineReader reader(blockSize, limit);
    FUZZ_CHECK(reader.open(file.path()));
    std::string_view line;
    std::size_t n = 0;
    while (reader.next(line)) {
        FUZZ_CHECK(n < expected.size());
        FUZZ_CHECK(line == expected[n]);
        ++n;
    }
    FUZZ_CHECK(n == expected.size());
    FUZZ_CHECK(!reader.next(line));

    // The prefix: the text's first bytes, up to its first line feed.
    const std::size_t prefixSize = std::min<std::size_t>(1 + choose.byte() % 24, text.find('\n'));
    const std::string_view prefix = text.substr(0, prefixSize);
    std::vector<std::string_view> raw;  // each line from its start, as the file holds it
    for (std::size_t start = 0; start < text.size();) {
        raw.push_back(text.substr(start));
        const std::size_t lf = text.find('\n', start);
        start = lf == std::string_view::npos ? text.size() : lf + 1;
    }
    field::LineReader skipping(blockSize, limit);
    FUZZ_CHECK(skipping.open(file.path()));
    std::size_t at = 0;  // the next expected line
    for (;;) {
        std::size_t skipped = skipping.skipLinesStartingWith(prefix);
        for (; skipped > 0; --skipped, ++at) {
            FUZZ_CHECK(at < expected.size());
            FUZZ_CHECK(!prefix.empty() && raw[at].substr(0, prefix.size()) == prefix);
        }
        if (!skipping.next(line)) break;
        FUZZ_CHECK(at < expected.size());
        FUZZ_CHECK(line == expected[at]);
        ++at;
    }
    FUZZ_CHECK(at == expected.size());
    return 0;
}
