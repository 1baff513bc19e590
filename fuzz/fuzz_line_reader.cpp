// LineReader with small blocks and a small line limit against a plain split:
// lines end at LF, one CR before it is dropped, a last line without LF is a
// line, and a line longer than the limit comes as its first `limit` bytes.
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
    return 0;
}
