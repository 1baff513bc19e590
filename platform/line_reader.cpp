#include "platform/line_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/file_open.hpp"
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
            // A block and the room before it together take blockSize_, so that the two
            // buffers of the default sizes fill one 2 MiB page exactly.
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
        leavePrefetch();
        return !eof_;  // the block taken with the tail is the new data
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
    capacity_ = front + blockSize_;
    return true;
}

// A line longer than the room before a block: the rest of the file is read in
// this thread, starting with the unread tail and the block already read ahead.
void LineReader::leavePrefetch() {
    const std::size_t tail = end_ - begin_;
    const BlockPrefetch::Block block = blocks_->next();
    const std::size_t front = blocks_->front();
    const std::size_t size = std::max(blockSize_, tail + block.size);
    std::unique_ptr<char[]> own(new char[size]);
    std::memcpy(own.get(), data_ + begin_, tail);
    if (block.size > 0) std::memcpy(own.get() + tail, block.data + front, block.size);
    blocks_.reset();  // the file position now follows the last block taken
    buffer_ = std::move(own);
    bufferSize_ = size;
    data_ = buffer_.get();
    capacity_ = size;
    begin_ = 0;
    end_ = tail + block.size;
    if (block.size == 0) endOfFile(block.errorNumber);
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
