#include "platform/file_open.hpp"

namespace field {

std::FILE* openForReading(const std::string& localPath) {
    // The C runtime refuses to open a directory, so no further check is needed;
    // binary mode keeps the reader's own CR LF handling and block reads fast.
    return std::fopen(localPath.c_str(), "rb");
}

std::FILE* createForTable(const std::string& localPath) {
    // Text mode: the C runtime writes each "\n" of a row as CR LF, as Windows
    // tools expect of a text table.
    return std::fopen(localPath.c_str(), "w");
}

}  // namespace field
