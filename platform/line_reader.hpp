#pragma once
// Reading a text file line by line in big blocks. A line ends at a line feed;
// one carriage return right before it belongs to the line end; a last line
// without a line feed is still a line. Lines are views into the reader's
// buffer and stay valid until the next call.

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace field {

class LineReader {
public:
    static constexpr std::size_t kBlockSize = 1 << 20;

    LineReader() = default;
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;
    ~LineReader() { close(); }

    /// Opens a local file for reading; false when it cannot be opened as a readable file.
    bool open(const std::string& localPath);
    bool isOpen() const { return file_ != nullptr; }
    void close();

    /// Gives the next line; false at the end of the file (or when not open).
    bool next(std::string_view& line);

private:
    bool refill();

    std::FILE* file_ = nullptr;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;  // first unread byte
    std::size_t end_ = 0;    // one past the last byte read
    bool eof_ = false;
};

}  // namespace field
