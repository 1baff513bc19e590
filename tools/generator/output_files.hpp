#pragma once
// Writing the tree: files in large blocks, Windows paths placed under the mount root, and the
// tally of what was written.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fieldgen {

namespace fs = std::filesystem;

/// A file written in large blocks through fwrite; throws std::runtime_error on any failure.
class BlockWriter {
public:
    static constexpr std::size_t kBlockBytes = std::size_t{8} << 20;
    static constexpr std::size_t kMaxRecordBytes = 4096;  // longest text one reserve may take

    /// Creates or truncates `path` for binary writing (line ends stay "\n" on every platform).
    explicit BlockWriter(const fs::path& path) : path_(path), buffer_(kBlockBytes + kMaxRecordBytes) {
        file_ = std::fopen(path.string().c_str(), "wb");
        if (file_ == nullptr) throw std::runtime_error("cannot create " + path.string());
        end_ = buffer_.data();
    }
    BlockWriter(const BlockWriter&) = delete;
    BlockWriter& operator=(const BlockWriter&) = delete;
    /// Closes without reporting; close() is the checked way.
    ~BlockWriter() {
        if (file_ != nullptr) std::fclose(file_);
    }

    /// Position to write at most kMaxRecordBytes; pass the new end to commit().
    char* reserve() {
        if (static_cast<std::size_t>(end_ - buffer_.data()) >= kBlockBytes) flushBlock();
        return end_;
    }
    /// Marks the text up to `end` (obtained from reserve()) as written.
    void commit(char* end) { end_ = end; }
    /// Appends a text of any length.
    void write(std::string_view text) {
        while (!text.empty()) {
            char* at = reserve();
            const std::size_t n = std::min(text.size(), kMaxRecordBytes);
            std::memcpy(at, text.data(), n);
            commit(at + n);
            text.remove_prefix(n);
        }
    }
    /// Writes out the buffer and closes the file; returns the file's size in bytes.
    std::uint64_t close() {
        flushBlock();
        const int status = std::fclose(file_);
        file_ = nullptr;
        if (status != 0) throw std::runtime_error("cannot write " + path_.string());
        return bytes_;
    }

private:
    /// Hands the buffered bytes to the C library in one call.
    void flushBlock() {
        const std::size_t n = static_cast<std::size_t>(end_ - buffer_.data());
        if (n > 0 && std::fwrite(buffer_.data(), 1, n, file_) != n) {
            throw std::runtime_error("cannot write " + path_.string());
        }
        bytes_ += n;
        end_ = buffer_.data();
    }

    fs::path path_;
    std::vector<char> buffer_;
    char* end_ = nullptr;
    std::FILE* file_ = nullptr;
    std::uint64_t bytes_ = 0;
};

/// Where a Windows path "X:\a\b\" lies under the mount root: ROOT/x/a/b (drive letter lower-cased,
/// every other component spelled exactly as given).
fs::path localPathOf(const fs::path& root, std::string_view windowsPath);

/// Creates a directory with its parents; throws with the reason on failure.
void makeDirectories(const fs::path& directory);

/// Counts of what was written, for the closing summary.
struct OutputTally {
    int files = 0;
    std::uint64_t bytes = 0;
    int cases = 0;
    std::uint64_t sonicLines = 0;

    /// Adds one closed file of `size` bytes.
    void addFile(std::uint64_t size) {
        ++files;
        bytes += size;
    }
};

}  // namespace fieldgen
