#pragma once
// The console lines the programs print, built from the programs' own texts, so
// a test states which messages come, never how they are spelt.

#include <string>
#include <string_view>

#include "text/messages.hpp"

namespace field::testing {

/// The two prompts of the console dialogue as printed (neither ends its line).
inline std::string prompts() { return fieldPrompt("fence") + materialPrompt("seed"); }

/// A message as printed: its text and a line feed.
inline std::string printed(std::string_view message) { return std::string(message) + "\n"; }

/// "fail to open file" as printed.
inline std::string failToOpen() { return printed(kFailToOpenFile); }

/// "No file is found!" as printed.
inline std::string noFileFound() { return printed(kNoFileFound); }

/// The line count of a logger file read to its end, as printed.
inline std::string lineCount(long count) { return std::string(kLineNumberIs) + std::to_string(count) + "\n"; }

}  // namespace field::testing
