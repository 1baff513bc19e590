#include "platform/line_reader.hpp"

#include <cstring>
#include <sys/stat.h>

namespace field {

bool LineReader::open(const std::string& localPath) {
    close();
    std::FILE* f = std::fopen(localPath.c_str(), "rb");
    if (f == nullptr) return false;
    // A directory opens on POSIX but cannot be read as a text file.
    struct stat st {};
    if (fstat(fileno(f), &st) != 0 || S_ISDIR(st.st_mode)) {
        std::fclose(f);
        return false;
    }
    std::setvbuf(f, nullptr, _IONBF, 0);  // we read in our own big blocks
    file_ = f;
    if (buffer_.size() < kBlockSize) buffer_.resize(kBlockSize);
    begin_ = end_ = 0;
    eof_ = false;
    return true;
}

void LineReader::close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
    begin_ = end_ = 0;
    eof_ = false;
}

// Moves the unread tail to the front and reads more behind it, growing the
// buffer only when one line is longer than the whole buffer.
bool LineReader::refill() {
    if (eof_) return false;
    if (begin_ > 0) {
        std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
        end_ -= begin_;
        begin_ = 0;
    }
    if (end_ == buffer_.size()) buffer_.resize(buffer_.size() * 2);
    const std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
    if (got == 0) {
        eof_ = true;
        return false;
    }
    end_ += got;
    return true;
}

bool LineReader::next(std::string_view& line) {
    if (file_ == nullptr) return false;
    std::size_t scanned = begin_;
    for (;;) {
        const char* base = buffer_.data();
        const void* hit = scanned < end_ ? std::memchr(base + scanned, '\n', end_ - scanned) : nullptr;
        if (hit != nullptr) {
            const auto lf = static_cast<std::size_t>(static_cast<const char*>(hit) - base);
            std::size_t stop = lf;
            if (stop > begin_ && base[stop - 1] == '\r') --stop;
            line = std::string_view(base + begin_, stop - begin_);
            begin_ = lf + 1;
            return true;
        }
        const std::size_t pending = end_ - begin_;
        if (!refill()) {
            if (pending == 0) return false;
            line = std::string_view(buffer_.data() + begin_, end_ - begin_);  // last line, no line feed
            begin_ = end_;
            return true;
        }
        scanned = begin_ + pending;  // the bytes before were already searched
    }
}

}  // namespace field
