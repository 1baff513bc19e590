#pragma once
// The whole casetable run, callable more than once in one process.

#include <istream>
#include <ostream>
#include <string>

#include "platform/windows_path.hpp"

namespace field {

/// Asks the two questions, writes the test-case table into `workDirectory`
/// and returns the exit status: 1 when the table cannot be created or the
/// measurement-result file cannot be opened, 0 otherwise.
int runCasetable(std::istream& in, std::ostream& console, const PathMapper& paths,
                 const std::string& workDirectory = ".");

}  // namespace field
