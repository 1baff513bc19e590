#include "platform/file_open.hpp"

#include <sys/stat.h>

namespace field {

std::FILE* openForReading(const std::string& localPath) {
    std::FILE* f = std::fopen(localPath.c_str(), "rb");
    if (f == nullptr) return nullptr;
    // A directory opens on POSIX but cannot be read as a text file.
    struct stat st {};
    if (fstat(fileno(f), &st) != 0 || S_ISDIR(st.st_mode)) {
        std::fclose(f);
        return nullptr;
    }
    return f;
}

std::FILE* createForTable(const std::string& localPath) {
    // POSIX has no text mode: "\n" stays one line feed.
    return std::fopen(localPath.c_str(), "wb");
}

}  // namespace field
