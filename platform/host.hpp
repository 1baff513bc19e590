#pragma once
// The two facts about the target platform that tests and tools may need. The
// build picks the platform's source files; this header is the only other
// place that asks which platform it is, so the rest of the code never does.

#include <string_view>

namespace field {

#ifdef _WIN32
/// True in a Windows build: drive paths are used as they are, tables are text-mode files.
inline constexpr bool kWindowsHost = true;
/// The bytes that each "\n" of a table row becomes in the file.
inline constexpr std::string_view kTableLineEnd = "\r\n";
#else
/// True in a Windows build: drive paths are used as they are, tables are text-mode files.
inline constexpr bool kWindowsHost = false;
/// The bytes that each "\n" of a table row becomes in the file.
inline constexpr std::string_view kTableLineEnd = "\n";
#endif

}  // namespace field
