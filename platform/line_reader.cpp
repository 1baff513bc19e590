#include "platform/line_reader.hpp"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/file_open.hpp"
#include "platform/simd.hpp"
#include "platform/system_reason.hpp"

namespace field {

bool LineReader::open(const std::string& localPath) {
    close();
    failed_ = false;
    error_.clear();
    std::FILE* f = openForReading(localPath, error_);
    if (f == nullptr) return false;
    std::setvbuf(f, nullptr, _IONBF, 0);  // we read in our own big blocks
    file_ = f;
    begin_ = end_ = 0;
    eof_ = false;
    if (prefetch_) {
        try {
            // A block and the room before it together take blockSize_, so that the ring's
            // buffers of the default sizes fill four 2 MiB pages exactly.
            const std::size_t block = blockSize_ >= 2 * prefetchFront_ ? blockSize_ - prefetchFront_ : blockSize_;
            blocks_ =
                std::make_unique<BlockPrefetch>(f, prefetchFront_, block, prefetchBuffers_,
                                                [this](std::FILE*, char* into, std::size_t size, int& errorNumber) {
                                                    return readBlock(into, size, errorNumber);
                                                });
            data_ = nullptr;
            capacity_ = 0;
            return true;
        } catch (const std::system_error&) {
            blocks_.reset();  // no second thread: read in this one
        }
    }
    if (buffer_ == nullptr || bufferSize_ < blockSize_) {
        buffer_.reset(new char[blockSize_]);
        bufferSize_ = blockSize_;
    }
    data_ = buffer_.get();
    capacity_ = bufferSize_;
    return true;
}

void LineReader::close() {
    blocks_.reset();  // stops the reading thread before its file goes
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    data_ = nullptr;
    capacity_ = 0;
    begin_ = end_ = 0;
    eof_ = false;
    skipping_ = false;
}

// One block of the file: fread or the tests' replacement. Called by the reading
// thread while a file is read ahead, else by this one.
std::size_t LineReader::readBlock(char* into, std::size_t size, int& errorNumber) {
    errorNumber = 0;
    if (blockRead_) return blockRead_(file_, into, size, errorNumber);
    errno = 0;
    const std::size_t got = std::fread(into, 1, size, file_);
    // A short count is no error by itself: only the stream's error flag is.
    if (got == 0 && std::ferror(file_)) errorNumber = errno != 0 ? errno : EIO;
    return got;
}

void LineReader::endOfFile(int errorNumber) {
    eof_ = true;
    if (errorNumber != 0) {
        failed_ = true;
        error_ = systemReason(errorNumber);
    }
}

// Moves the unread tail to the front and reads more behind it, growing the
// buffer only when one line is longer than the whole buffer, and never past
// the line limit + 2: a full buffer of that size holds a line to cut, and
// next() cuts it before it asks for more.
bool LineReader::refill() {
    if (eof_) return false;
    if (blocks_) {
        if (end_ - begin_ <= blocks_->front()) return refillFromPrefetch();
        return leavePrefetch();
    }
    if (begin_ > 0) {
        std::memmove(data_, data_ + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == capacity_) {
        const std::size_t grown = std::max(end_ + 1, std::min(capacity_ * 2, maxLineLength_ + 2));
        std::unique_ptr<char[]> bigger(new char[grown]);
        std::memcpy(bigger.get(), data_, end_);
        buffer_ = std::move(bigger);
        bufferSize_ = grown;
        data_ = buffer_.get();
        capacity_ = grown;
    }
    int errorNumber = 0;
    const std::size_t got = readBlock(data_ + end_, capacity_ - end_, errorNumber);
    if (got == 0) {
        endOfFile(errorNumber);
        return false;
    }
    end_ += got;
    bytesRead_ += got;
    return true;
}

// The next block from the reading thread, with the unfinished line put right
// before it; the block before goes back to be filled.
bool LineReader::refillFromPrefetch() {
    const BlockPrefetch::Block block = blocks_->next();
    if (block.size == 0) {
        // The bytes still unread stay where they are, in the block before.
        endOfFile(block.errorNumber);
        return false;
    }
    const std::size_t tail = end_ - begin_;
    const std::size_t front = blocks_->front();
    if (tail > 0) std::memcpy(block.data + front - tail, data_ + begin_, tail);
    blocks_->releasePrevious();
    data_ = block.data;
    begin_ = front - tail;
    end_ = front + block.size;
    bytesRead_ += block.size;
    capacity_ = front + blockSize_;
    return true;
}

// A line longer than the room before a block: the rest of the file is read in
// this thread, starting with the unread tail and the blocks already read ahead.
// False when nothing was read ahead and the file has ended.
bool LineReader::leavePrefetch() {
    const std::size_t tail = end_ - begin_;
    const std::size_t front = blocks_->front();
    // Every block read ahead, so that the file position follows the last of them.
    const std::vector<BlockPrefetch::Block> ahead = blocks_->stop();
    std::size_t bytes = 0;
    for (const BlockPrefetch::Block& block : ahead) bytes += block.size;
    const std::size_t size = std::max(blockSize_, tail + bytes);
    std::unique_ptr<char[]> own(new char[size]);
    std::memcpy(own.get(), data_ + begin_, tail);
    std::size_t at = tail;
    for (const BlockPrefetch::Block& block : ahead) {
        if (block.size > 0) std::memcpy(own.get() + at, block.data + front, block.size);
        at += block.size;
    }
    blocks_.reset();
    buffer_ = std::move(own);
    bufferSize_ = size;
    data_ = buffer_.get();
    capacity_ = size;
    begin_ = 0;
    end_ = at;
    bytesRead_ += bytes;
    if (!ahead.empty() && ahead.back().size == 0) endOfFile(ahead.back().errorNumber);
    return bytes > 0 || !eof_;
}

namespace {

// The first line feed in [p, end); end when there is none. Sixteen bytes at a time where
// the processor has SSE2 (every x86-64 does): a record's line end lies some 40 bytes on.
const char* findLineFeed(const char* p, const char* end) {
#if FIELD_SSE2
    const __m128i lineFeed = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const auto hits = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, lineFeed)));
        if (hits != 0) return p + std::countr_zero(hits);
    }
#endif
    if (p >= end) return end;
    const void* hit = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
    return hit != nullptr ? static_cast<const char*>(hit) : end;
}

// Whether `text` starts with `prefix`: for prefixes of 16 to 32 bytes, the prefix held in
// two registers and compared in two loads (the second overlapping the first) instead of a
// library call per line.
class PrefixTest {
public:
    explicit PrefixTest(std::string_view prefix) : prefix_(prefix) {
#if FIELD_SSE2
        wide_ = prefix.size() >= 16 && prefix.size() <= 32;
        if (wide_) {
            head_ = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prefix.data()));
            tail_ = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prefix.data() + prefix.size() - 16));
        }
#endif
    }
    /// `text` holds at least prefix.size() bytes.
    bool startOf(const char* text) const {
#if FIELD_SSE2
        if (wide_) {
            const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text));
            const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + prefix_.size() - 16));
            const __m128i same = _mm_and_si128(_mm_cmpeq_epi8(head, head_), _mm_cmpeq_epi8(tail, tail_));
            return _mm_movemask_epi8(same) == 0xffff;
        }
#endif
        return std::memcmp(text, prefix_.data(), prefix_.size()) == 0;
    }

private:
    std::string_view prefix_;
#if FIELD_SSE2
    bool wide_ = false;
    __m128i head_, tail_;
#endif
};

}  // namespace

std::size_t LineReader::skipLinesStartingWith(std::string_view prefix) {
    if (skipping_ || prefix.empty() || prefix.size() > 64 || data_ == nullptr) return 0;
    const char* const base = data_;
    const char* const end = base + end_;
    const char* start = base + begin_;
    const PrefixTest startsWithPrefix(prefix);
    std::size_t skipped = 0;
#if FIELD_SSE2
    // While a long run of lines has the prefix, their line feeds come 64 bytes at a time as
    // the bits of one mask, each line checked for the prefix where the one before it ends.
    // The prefix holds no line feed: a line's feed lies behind it.
    if (static_cast<std::size_t>(end - start) > prefix.size() && startsWithPrefix.startOf(start)) {
        bool ended = false;  // a line without the prefix (or too near the end for it) at `start`
        for (const char* chunk = start; !ended && end - chunk >= 64; chunk += 64) {
            std::uint64_t lineFeeds = lineFeedsIn64(chunk);
            // Every line feed of the chunk lies at or behind `start`, whose line has the prefix.
            for (; lineFeeds != 0; lineFeeds &= lineFeeds - 1) {
                ++skipped;
                start = chunk + std::countr_zero(lineFeeds) + 1;
                if (static_cast<std::size_t>(end - start) <= prefix.size() || !startsWithPrefix.startOf(start)) {
                    ended = true;
                    break;
                }
            }
        }
        if (ended) {
            begin_ = static_cast<std::size_t>(start - base);
            return skipped;
        }
    }
#endif
    while (static_cast<std::size_t>(end - start) > prefix.size() && startsWithPrefix.startOf(start)) {
        // The prefix holds no line feed, so the line's own lies behind it.
        const char* lineFeed = findLineFeed(start + prefix.size(), end);
        if (lineFeed == end) break;  // not whole yet: next() reads on
        ++skipped;
        start = lineFeed + 1;
    }
    begin_ = static_cast<std::size_t>(start - base);
    return skipped;
}

// Drops the rest of a line cut at the limit, up to and including its line feed;
// false when the file ends first.
bool LineReader::skipRestOfLine() {
    for (;;) {
        const void* hit = begin_ < end_ ? std::memchr(data_ + begin_, '\n', end_ - begin_) : nullptr;
        if (hit != nullptr) {
            begin_ = static_cast<std::size_t>(static_cast<const char*>(hit) - data_) + 1;
            skipping_ = false;
            return true;
        }
        begin_ = end_;
        if (!refill()) {
            skipping_ = false;
            return false;
        }
    }
}

// The slow path of next(): a line that runs past the bytes read so far, a cut
// line, or the end of the file.
bool LineReader::nextAcrossBlocks(std::string_view& line) {
    if (file_ == nullptr) return false;
    if (skipping_ && !skipRestOfLine()) return false;
    std::size_t scanned = begin_;
    for (;;) {
        const void* hit = scanned < end_ ? std::memchr(data_ + scanned, '\n', end_ - scanned) : nullptr;
        if (hit != nullptr) {
            takeLine(static_cast<std::size_t>(static_cast<const char*>(hit) - data_), line);
            return true;
        }
        const std::size_t pending = end_ - begin_;
        if (pending > maxLineLength_ + 1) {
            // Longer than the limit even if a CR LF follows: give the first part now and
            // drop the rest (no line feed among the bytes read so far) up to the line end.
            line = std::string_view(data_ + begin_, maxLineLength_);
            begin_ = end_;
            skipping_ = true;
            return true;
        }
        if (!refill()) {
            if (pending == 0 || failed_) return false;
            // The last line, without a line feed.
            line = std::string_view(data_ + begin_, std::min(pending, maxLineLength_));
            begin_ = end_;
            return true;
        }
        scanned = begin_ + pending;  // the bytes before were already searched
    }
}

}  // namespace field
