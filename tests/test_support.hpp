#pragma once
// Helpers shared by the tests: a temporary directory tree that removes itself,
// file writing, and reading a table back.

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "platform/host.hpp"

namespace field::testing {

/// A fresh directory under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir() {
        std::random_device rd;
        for (;;) {
            path_ = std::filesystem::temp_directory_path() / ("fieldtest-" + std::to_string(rd()));
            if (std::filesystem::create_directory(path_)) break;
        }
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ec);
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

/// Writes `content` to `path` (binary, exactly these bytes), creating parent folders.
inline void writeFile(const std::filesystem::path& path, std::string_view content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

/// The whole content of a file ("" when missing).
inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

/// A table file's text with the platform's line ends turned back into "\n"; in a
/// Windows build every line feed must come as CR LF (the table is a text-mode file).
inline std::string readTable(const std::filesystem::path& path) {
    const std::string bytes = readFile(path);
    if (kTableLineEnd == "\n") return bytes;
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes.compare(i, kTableLineEnd.size(), kTableLineEnd) == 0) {
            text += '\n';
            i += kTableLineEnd.size() - 1;
            continue;
        }
        if (bytes[i] == '\n') ADD_FAILURE() << "a line feed without its carriage return: byte " << i << " of " << path;
        text += bytes[i];
    }
    return text;
}

/// The lines of a text (without their line feeds; no empty last line).
/// Every line a line reader gives from where it stands to its end.
template <class Reader>
std::vector<std::string> linesFrom(Reader& reader) {
    std::vector<std::string> lines;
    std::string_view line;
    while (reader.next(line)) lines.emplace_back(line);
    return lines;
}

inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    std::istringstream in(text);
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

/// The comma-separated fields of a line (k commas give k + 1 fields).
inline std::vector<std::string> fieldsOf(const std::string& line, char separator = ',') {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = line.find(separator, start);
        fields.push_back(line.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return fields;
}

/// Where a Windows path "C:\a\b" lies below a mount root.
inline std::filesystem::path underRoot(const std::filesystem::path& root, std::string_view windowsPath) {
    std::filesystem::path p = root / std::string(1, static_cast<char>(windowsPath[0] | 0x20));
    std::string rest(windowsPath.substr(3));
    std::string component;
    for (char c : rest) {
        if (c == '\\') {
            if (!component.empty()) p /= component;
            component.clear();
        } else {
            component += c;
        }
    }
    if (!component.empty()) p /= component;
    return p;
}

}  // namespace field::testing
