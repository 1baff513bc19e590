#pragma once
// The console texts of both programs, in one place. Every message goes to
// standard output and is followed by a line end that flushes the console.

#include <cstdint>
#include <ostream>
#include <string_view>

namespace field {

inline constexpr std::string_view kFailToOpenFile = "fail to open file";
inline constexpr std::string_view kNoFileFound = "No file is found!";
inline constexpr std::string_view kLineNumberIs = "The line number is ";
inline constexpr std::string_view kFenceFieldPrompt =
    "If you are working on fence field, please input '1', otherwise input '0':";
inline constexpr std::string_view kSeedDataPrompt =
    "If you are processing seed data, please input '1', otherwise input '0':";

/// Writes a message and a flushed line end.
inline void say(std::ostream& console, std::string_view message) { console << message << std::endl; }

/// Writes "The line number is " with the count and a flushed line end.
inline void sayLineCount(std::ostream& console, std::int32_t count) { console << kLineNumberIs << count << std::endl; }

}  // namespace field
