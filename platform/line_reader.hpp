#pragma once
// Reading a text file line by line in big blocks. A line ends at a line feed;
// one carriage return right before it belongs to the line end; a last line
// without a line feed is still a line. Lines are views into the reader's
// buffer and stay valid until the next call. A line longer than the line
// limit comes as its first `limit` bytes and the rest of it is dropped, so a
// file without line feeds cannot make the buffer grow without bound.

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace field {

class LineReader {
public:
    static constexpr std::size_t kBlockSize = 1 << 20;
    /// Longest line given whole (records are some hundred bytes); the buffer never grows past it + 2.
    static constexpr std::size_t kMaxLineLength = std::size_t{8} << 20;

    /// Smaller sizes are for tests (both at least 1).
    explicit LineReader(std::size_t blockSize = kBlockSize, std::size_t maxLineLength = kMaxLineLength)
        : blockSize_(blockSize < 1 ? 1 : blockSize), maxLineLength_(maxLineLength < 1 ? 1 : maxLineLength) {}
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;
    ~LineReader() { close(); }

    /// Opens a local file for reading; false when it cannot be opened as a readable file.
    bool open(const std::string& localPath);
    bool isOpen() const { return file_ != nullptr; }
    void close();

    /// Gives the next line; false at the end of the file (or when not open).
    bool next(std::string_view& line) {
        // Inline for the common case, a whole line already in the buffer.
        if (!skipping_ && begin_ < end_) {
            const char* base = buffer_.get();
            if (const void* hit = std::memchr(base + begin_, '\n', end_ - begin_)) {
                takeLine(static_cast<std::size_t>(static_cast<const char*>(hit) - base), line);
                return true;
            }
        }
        return nextAcrossBlocks(line);
    }

private:
    // Gives the line that ends at the line feed at `lf` (one CR before it dropped,
    // cut at the limit) and moves past it.
    void takeLine(std::size_t lf, std::string_view& line) {
        const char* base = buffer_.get();
        std::size_t stop = lf;
        if (stop > begin_ && base[stop - 1] == '\r') --stop;
        line = std::string_view(base + begin_, std::min(stop - begin_, maxLineLength_));
        begin_ = lf + 1;
    }
    bool nextAcrossBlocks(std::string_view& line);
    bool refill();
    bool skipRestOfLine();

    std::size_t blockSize_;
    std::size_t maxLineLength_;
    std::FILE* file_ = nullptr;
    std::unique_ptr<char[]> buffer_;  // not zero-filled: only bytes read are ever looked at
    std::size_t capacity_ = 0;
    std::size_t begin_ = 0;  // first unread byte
    std::size_t end_ = 0;    // one past the last byte read
    bool eof_ = false;
    bool skipping_ = false;  // the line given last was cut at the limit: drop up to its line feed
};

}  // namespace field
