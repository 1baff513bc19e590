#pragma once
// Splitting a line at one separator character: k separators give k+1 fields
// (an empty line is one empty field); no quoting, trimming or escapes.

#include <cstddef>
#include <cstring>
#include <string_view>

namespace field {

/// Walks the fields of one line in order without copying.
class FieldSplitter {
public:
    FieldSplitter(std::string_view line, char separator) : rest_(line), separator_(separator) {}

    /// Gives the next field; false once every field has been given.
    bool next(std::string_view& out) {
        if (done_) return false;
        const void* hit = rest_.empty() ? nullptr : std::memchr(rest_.data(), separator_, rest_.size());
        if (hit == nullptr) {
            out = rest_;
            done_ = true;
            return true;
        }
        const auto length = static_cast<std::size_t>(static_cast<const char*>(hit) - rest_.data());
        out = rest_.substr(0, length);
        rest_.remove_prefix(length + 1);
        return true;
    }

private:
    std::string_view rest_;
    char separator_;
    bool done_ = false;
};

/// Field `number` (counted from 1) of the line into `out`; false when the line has fewer fields.
inline bool fieldAt(std::string_view line, char separator, int number, std::string_view& out) {
    FieldSplitter splitter(line, separator);
    for (int i = 1; i <= number; ++i)
        if (!splitter.next(out)) return false;
    return true;
}

}  // namespace field
