#include "platform/directory_search.hpp"

namespace field {

bool DirectorySearch::start(std::string_view windowsPattern) {
    close();
    if (windowsPattern.size() > kMaxPatternLength) return false;
    const std::size_t slash = windowsPattern.find_last_of("\\/");
    const std::string_view dir =
        slash == std::string_view::npos ? std::string_view() : windowsPattern.substr(0, slash + 1);
    const std::string_view pattern =
        slash == std::string_view::npos ? windowsPattern : windowsPattern.substr(slash + 1);
    if (pattern.empty()) return false;
    entries_ = listDirectory(paths_->toLocal(dir), pattern);
    if (entries_.empty()) return false;
    position_ = 0;
    open_ = true;
    return true;
}

bool DirectorySearch::next() {
    if (!open_ || position_ + 1 >= entries_.size()) return false;
    ++position_;
    return true;
}

void DirectorySearch::close() {
    open_ = false;
    entries_.clear();
    position_ = 0;
}

}  // namespace field
