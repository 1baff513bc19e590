#pragma once
// The whole fieldjoin run, callable more than once in one process.

#include <istream>
#include <ostream>
#include <string>

#include "platform/windows_path.hpp"
#include "run/program_run.hpp"

namespace field {

/// Runs fieldjoin as `options` say and returns the exit status (see runProgram).
int runFieldjoin(const RunStreams& streams, const PathMapper& paths, const RunOptions& options);

/// Asks the two questions, writes the whole-data table and its quality table into
/// `workDirectory` (diagnostics discarded) and returns the exit status.
int runFieldjoin(std::istream& in, std::ostream& console, const PathMapper& paths,
                 const std::string& workDirectory = ".");

}  // namespace field
