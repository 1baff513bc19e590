#include "platform/table_file.hpp"

#include "platform/file_open.hpp"

#include <cerrno>
#include <cstring>

namespace field {

bool TableFile::create(const std::string& localPath) {
    close();
    path_ = localPath;
    failed_ = false;
    error_.clear();
    file_ = createForTable(localPath);
    if (file_ == nullptr) error_ = std::strerror(errno);
    return file_ != nullptr;
}

void TableFile::writeRow(std::string_view row) {
    if (file_ == nullptr || failed_) return;
    if (std::fwrite(row.data(), 1, row.size(), file_) != row.size() || std::fflush(file_) != 0) {
        failed_ = true;
        error_ = std::strerror(errno);
    }
}

void TableFile::close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

}  // namespace field
