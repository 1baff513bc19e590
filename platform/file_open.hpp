#pragma once
// Opening local files the way each platform's programs do: input always in
// binary (the line reader handles CR LF itself), tables in text mode where
// the platform has one.

#include <cstdio>
#include <string>

namespace field {

/// Opens a local file for binary reading; nullptr when it cannot be opened or is a directory.
std::FILE* openForReading(const std::string& localPath);

/// Creates (or empties) a local file for table rows; on Windows in text mode, so "\n" becomes CR LF.
std::FILE* createForTable(const std::string& localPath);

}  // namespace field
