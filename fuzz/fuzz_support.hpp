#pragma once
// Helpers shared by the fuzz targets: input bytes as a file the readers can
// open by path, a scratch directory tree, and a hard stop on a broken property.

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

namespace field::fuzzing {

/// Stops the run (libFuzzer records the input) when a property does not hold.
#define FUZZ_CHECK(condition)                                                                     \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)

/// The fuzz input as a file: an in-memory file (memfd) reached by the path
/// /proc/self/fd/N, rewritten for every input, so no disk is touched.
class MemoryFile {
public:
    MemoryFile() {
        fd_ = memfd_create("fuzz-input", 0);
        if (fd_ < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        path_ = "/proc/self/fd/" + std::to_string(fd_);
    }
    ~MemoryFile() { close(fd_); }
    MemoryFile(const MemoryFile&) = delete;
    MemoryFile& operator=(const MemoryFile&) = delete;

    /// Replaces the content with exactly these bytes.
    void set(std::string_view bytes) {
        if (ftruncate(fd_, 0) != 0) std::abort();
        std::size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = pwrite(fd_, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
            if (n <= 0) std::abort();
            done += static_cast<std::size_t>(n);
        }
    }
    const std::string& path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

/// A scratch directory under $TMPDIR (or /tmp) for the process, removed at exit.
inline const std::filesystem::path& scratchDirectory() {
    static const std::filesystem::path dir = [] {
        const char* tmp = std::getenv("TMPDIR");
        std::string pattern = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/fieldfuzz-XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::abort();
        }
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(scratchDirectory(), ec);
        });
        return std::filesystem::path(pattern);
    }();
    return dir;
}

/// Takes the leading bytes of the input as small numbers for the harness's choices.
class Choices {
public:
    Choices(const std::uint8_t*& data, std::size_t& size) : data_(data), size_(size) {}
    std::uint8_t byte() {
        if (size_ == 0) return 0;
        --size_;
        return *data_++;
    }
    std::int32_t int16() { return static_cast<std::int32_t>(static_cast<std::int16_t>(byte() | (byte() << 8))); }

private:
    const std::uint8_t*& data_;
    std::size_t& size_;
};

inline std::string_view asText(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

}  // namespace field::fuzzing
