#pragma once
// The console texts of both programs, in one place. Every message goes to
// standard output and is followed by a line end that flushes the console.

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>

namespace field {

inline constexpr std::string_view kFailToOpenFile = "fail to open file";
inline constexpr std::string_view kNoFileFound = "No file is found!";
inline constexpr std::string_view kLineNumberIs = "The line number is ";

/// The first question: 1 for the field named `field` (the campaign's first), 0 for the other.
inline std::string fieldPrompt(std::string_view field) {
    return "If you are working on " + std::string(field) + " field, please input '1', otherwise input '0':";
}
/// The second question: 1 for the material named `material` (the campaign's first), 0 for the other.
inline std::string materialPrompt(std::string_view material) {
    return "If you are processing " + std::string(material) + " data, please input '1', otherwise input '0':";
}

/// Writes a message and a flushed line end.
inline void say(std::ostream& console, std::string_view message) { console << message << std::endl; }

/// Writes "The line number is " with the count and a flushed line end.
inline void sayLineCount(std::ostream& console, std::int32_t count) { console << kLineNumberIs << count << std::endl; }

}  // namespace field
