#pragma once
// The whole fieldjoin run, callable more than once in one process.

#include <istream>
#include <ostream>
#include <string>

#include "platform/windows_path.hpp"

namespace field {

/// Asks the two questions, writes the whole-data table into `workDirectory`
/// and returns the exit status: 1 when the table cannot be created or the
/// measurement-result file cannot be opened, 0 otherwise.
int runFieldjoin(std::istream& in, std::ostream& console, const PathMapper& paths,
                 const std::string& workDirectory = ".");

}  // namespace field
