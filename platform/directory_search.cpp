#include "platform/directory_search.hpp"

#include <algorithm>

#include "platform/wildcard.hpp"

namespace field {

void sortInSearchOrder(std::vector<DirectoryEntry>& entries) {
    // "." and ".." first, then names folded to upper case (ASCII letters only), ties by bytes.
    const auto rank = [](const std::string& n) { return n == "." ? 0 : n == ".." ? 1 : 2; };
    std::sort(entries.begin(), entries.end(), [&rank](const DirectoryEntry& a, const DirectoryEntry& b) {
        const int ra = rank(a.name), rb = rank(b.name);
        if (ra != rb) return ra < rb;
        const std::size_t n = std::min(a.name.size(), b.name.size());
        for (std::size_t i = 0; i < n; ++i) {
            const auto ca = static_cast<unsigned char>(foldUpper(a.name[i]));
            const auto cb = static_cast<unsigned char>(foldUpper(b.name[i]));
            if (ca != cb) return ca < cb;
        }
        if (a.name.size() != b.name.size()) return a.name.size() < b.name.size();
        return a.name < b.name;
    });
}

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
