#pragma once
// Reading a text file line by line in big blocks. A line ends at a line feed;
// one carriage return right before it belongs to the line end; a last line
// without a line feed is still a line. Lines are views into the reader's
// buffer and stay valid until the next call. A line longer than the line
// limit comes as its first `limit` bytes and the rest of it is dropped, so a
// file without line feeds cannot make the buffer grow without bound. A read
// error ends the lines like the end of the file does, but failed() tells it
// apart, and the bytes after the last line feed are then dropped (they may be
// a record cut short).

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/block_prefetch.hpp"
#include "platform/simd.hpp"

namespace field {

class LineReader {
public:
    // A block of 512 KiB stays in the processor's second-level cache between the copy that
    // fills it and the parse; the read-ahead's ring of 16 makes up for the hand-overs.
    static constexpr std::size_t kBlockSize = 512 << 10;
    /// Longest line given whole (records are some hundred bytes); the buffer never grows past it + 2.
    static constexpr std::size_t kMaxLineLength = std::size_t{8} << 20;

    /// Room before each prefetched block for the unfinished line of the block before.
    static constexpr std::size_t kPrefetchFront = std::size_t{64} << 10;

    /// Smaller sizes are for tests (all at least 1).
    explicit LineReader(std::size_t blockSize = kBlockSize, std::size_t maxLineLength = kMaxLineLength,
                        std::size_t prefetchFront = kPrefetchFront)
        : blockSize_(blockSize < 1 ? 1 : blockSize), maxLineLength_(maxLineLength < 1 ? 1 : maxLineLength),
          prefetchFront_(prefetchFront < 1 ? 1 : prefetchFront) {}
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;
    ~LineReader() { close(); }

    /// Reads up to `size` bytes of `file` into `into`; 0 at the end of the file, and 0 with
    /// `errorNumber` set (an errno value) when the read failed.
    using BlockRead = std::function<std::size_t(std::FILE* file, char* into, std::size_t size, int& errorNumber)>;

    /// Opens a local regular file for reading; false when it cannot be opened or is no regular
    /// file (a pipe, a device, a directory), with the reason in error().
    bool open(const std::string& localPath);
    bool isOpen() const { return file_ != nullptr; }
    /// Bytes read from every file this reader has opened.
    std::uint64_t bytesRead() const { return bytesRead_; }
    /// Closes the file; failed() and error() stay until the next open.
    void close();

    /// True when reading stopped at a read error rather than at the end of the file.
    bool failed() const { return failed_; }
    /// Why the last open failed ("No such file or directory", "not a regular file") or why
    /// reading failed ("Input/output error"); empty when neither did.
    const std::string& error() const { return error_; }

    /// Replaces the C library's fread for the blocks of this reader; for tests that need a
    /// read error at a chosen place. An empty function restores fread.
    void setBlockRead(BlockRead read) { blockRead_ = std::move(read); }

    /// Files opened from now on are read a block ahead on a second thread (the lines and
    /// their order are the same). A line longer than the room before a block ends it for
    /// the rest of that file, as does a thread that cannot be started.
    void setPrefetch(bool on) { prefetch_ = on; }

    /// Passes over the whole lines already in the buffer that start with `prefix` (at most
    /// 64 bytes, no line feed in it), up to the first that does not or is not whole yet;
    /// how many. The lines given by next() afterwards are those that were not passed over.
    /// For runs of lines a caller would look at only up to that prefix (10 Hz records of
    /// one minute share their timestamp up to the seconds).
    std::size_t skipLinesStartingWith(std::string_view prefix);

    /// Gives the next line; false at the end of the file, after a read error or when not open.
    bool next(std::string_view& line) {
        // Inline for the common case, a whole line already in the buffer.
        if (!skipping_ && begin_ < end_) {
            const char* base = data_;
            std::size_t from = begin_;
#if FIELD_SSE2
            // A logger line is shorter than 64 bytes: its feed found in one look at them,
            // without a library call; memchr for the longer ones (behind those 64) and a
            // block's last bytes.
            if (end_ - begin_ >= 64) {
                if (const std::uint64_t feeds = lineFeedsIn64(base + begin_); feeds != 0) {
                    takeLine(begin_ + static_cast<std::size_t>(std::countr_zero(feeds)), line);
                    return true;
                }
                from = begin_ + 64;
            }
#endif
            if (const void* hit = std::memchr(base + from, '\n', end_ - from)) {
                takeLine(static_cast<std::size_t>(static_cast<const char*>(hit) - base), line);
                return true;
            }
        }
        return nextAcrossBlocks(line);
    }

private:
#if FIELD_SSE2
    // Bit k set where p[k] is a line feed, for the 64 bytes from p.
    static std::uint64_t lineFeedsIn64(const char* p) {
        const __m128i feed = _mm_set1_epi8('\n');
        std::uint64_t feeds = 0;
        for (int k = 0; k < 4; ++k) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
            feeds |= std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, feed)))} << (16 * k);
        }
        return feeds;
    }
#endif
    // Gives the line that ends at the line feed at `lf` (one CR before it dropped,
    // cut at the limit) and moves past it.
    void takeLine(std::size_t lf, std::string_view& line) {
        const char* base = data_;
        std::size_t stop = lf;
        if (stop > begin_ && base[stop - 1] == '\r') --stop;
        line = std::string_view(base + begin_, std::min(stop - begin_, maxLineLength_));
        begin_ = lf + 1;
    }
    bool nextAcrossBlocks(std::string_view& line);
    bool refill();
    bool refillFromPrefetch();
    bool leavePrefetch();
    bool skipRestOfLine();
    std::size_t readBlock(char* into, std::size_t size, int& errorNumber);
    void endOfFile(int errorNumber);

    std::size_t blockSize_;
    std::size_t maxLineLength_;
    std::size_t prefetchFront_;
    std::FILE* file_ = nullptr;
    std::unique_ptr<char[]> buffer_;  // not zero-filled: only bytes read are ever looked at
    std::size_t bufferSize_ = 0;
    char* data_ = nullptr;      // buffer_, or the prefetched block being read
    std::size_t capacity_ = 0;  // of data_
    bool prefetch_ = false;
    std::unique_ptr<BlockPrefetch> blocks_;   // set while a file is read ahead
    BlockPrefetch::Buffers prefetchBuffers_;  // its buffers, kept from file to file
    std::size_t begin_ = 0;                   // first unread byte
    std::size_t end_ = 0;                     // one past the last byte read
    std::uint64_t bytesRead_ = 0;             // from every file opened
    bool eof_ = false;
    bool failed_ = false;
    std::string error_;
    BlockRead blockRead_;    // empty: fread
    bool skipping_ = false;  // the line given last was cut at the limit: drop up to its line feed
};

}  // namespace field
