#include "platform/table_file.hpp"

#include "platform/file_open.hpp"

namespace field {

bool TableFile::create(const std::string& localPath) {
    close();
    file_ = createForTable(localPath);
    return file_ != nullptr;
}

void TableFile::writeRow(std::string_view row) {
    if (file_ == nullptr) return;
    std::fwrite(row.data(), 1, row.size(), file_);
    std::fflush(file_);
}

void TableFile::close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

}  // namespace field
