#include "tools/generator/output_files.hpp"

#include <string>
#include <system_error>

namespace fieldgen {

fs::path localPathOf(const fs::path& root, std::string_view windowsPath) {
    fs::path path = root;
    if (windowsPath.size() >= 2 && windowsPath[1] == ':') {
        const char drive = windowsPath[0];
        path /= std::string(1, drive >= 'A' && drive <= 'Z' ? static_cast<char>(drive - 'A' + 'a') : drive);
        windowsPath.remove_prefix(2);
    }
    while (!windowsPath.empty()) {
        const std::size_t sep = windowsPath.find('\\');
        const std::string_view component = windowsPath.substr(0, sep);
        if (!component.empty()) path /= std::string(component);
        if (sep == std::string_view::npos) break;
        windowsPath.remove_prefix(sep + 1);
    }
    return path;
}

/// Creates a directory with its parents; throws with the reason on failure.
void makeDirectories(const fs::path& directory) {
    std::error_code error;
    fs::create_directories(directory, error);
    if (error) throw std::runtime_error("cannot create directory " + directory.string() + ": " + error.message());
}

}  // namespace fieldgen
