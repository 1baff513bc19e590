#include "platform/line_reader.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>

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
    if (capacity_ < blockSize_) {
        buffer_.reset(new char[blockSize_]);
        capacity_ = blockSize_;
    }
    begin_ = end_ = 0;
    eof_ = false;
    return true;
}

void LineReader::close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    begin_ = end_ = 0;
    eof_ = false;
    skipping_ = false;
}

// Moves the unread tail to the front and reads more behind it, growing the
// buffer only when one line is longer than the whole buffer, and never past
// the line limit + 2: a full buffer of that size holds a line to cut, and
// next() cuts it before it asks for more.
bool LineReader::refill() {
    if (eof_) return false;
    if (begin_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == capacity_) {
        const std::size_t grown = std::min(capacity_ * 2, maxLineLength_ + 2);
        std::unique_ptr<char[]> bigger(new char[grown]);
        std::memcpy(bigger.get(), buffer_.get(), end_);
        buffer_ = std::move(bigger);
        capacity_ = grown;
    }
    int errorNumber = 0;
    std::size_t got;
    if (blockRead_) {
        got = blockRead_(file_, buffer_.get() + end_, capacity_ - end_, errorNumber);
    } else {
        errno = 0;
        got = std::fread(buffer_.get() + end_, 1, capacity_ - end_, file_);
        // A short count is no error by itself: only the stream's error flag is.
        if (got == 0 && std::ferror(file_)) errorNumber = errno != 0 ? errno : EIO;
    }
    if (got == 0) {
        eof_ = true;
        if (errorNumber != 0) {
            failed_ = true;
            error_ = systemReason(errorNumber);
        }
        return false;
    }
    end_ += got;
    return true;
}

// Drops the rest of a line cut at the limit, up to and including its line feed;
// false when the file ends first.
bool LineReader::skipRestOfLine() {
    for (;;) {
        const void* hit = begin_ < end_ ? std::memchr(buffer_.get() + begin_, '\n', end_ - begin_) : nullptr;
        if (hit != nullptr) {
            begin_ = static_cast<std::size_t>(static_cast<const char*>(hit) - buffer_.get()) + 1;
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
        const char* base = buffer_.get();
        const void* hit = scanned < end_ ? std::memchr(base + scanned, '\n', end_ - scanned) : nullptr;
        if (hit != nullptr) {
            takeLine(static_cast<std::size_t>(static_cast<const char*>(hit) - base), line);
            return true;
        }
        const std::size_t pending = end_ - begin_;
        if (pending > maxLineLength_ + 1) {
            // Longer than the limit even if a CR LF follows: give the first part now and
            // drop the rest (no line feed among the bytes read so far) up to the line end.
            line = std::string_view(base + begin_, maxLineLength_);
            begin_ = end_;
            skipping_ = true;
            return true;
        }
        if (!refill()) {
            if (pending == 0 || failed_) return false;
            // The last line, without a line feed.
            line = std::string_view(buffer_.get() + begin_, std::min(pending, maxLineLength_));
            begin_ = end_;
            return true;
        }
        scanned = begin_ + pending;  // the bytes before were already searched
    }
}

}  // namespace field
