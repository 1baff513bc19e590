#pragma once
// The whole casetable run, callable more than once in one process.

#include <istream>
#include <ostream>
#include <string>

#include "platform/windows_path.hpp"
#include "run/program_run.hpp"

namespace field {

/// Runs casetable as `options` say and returns the exit status (see runProgram).
int runCasetable(const RunStreams& streams, const PathMapper& paths, const RunOptions& options);

/// Asks the two questions, writes the test-case table and its quality table into
/// `workDirectory` (diagnostics discarded) and returns the exit status.
int runCasetable(std::istream& in, std::ostream& console, const PathMapper& paths,
                 const std::string& workDirectory = ".");

}  // namespace field
