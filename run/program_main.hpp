#pragma once
// The entry point shared by both programs: the command line, then one run or
// the four field and material runs at once.

#include <istream>
#include <ostream>

#include "input/program_variant.hpp"
#include "platform/thread_start.hpp"
#include "platform/windows_path.hpp"
#include "run/program_run.hpp"

namespace field {

/// Exit statuses: 0 done; 1 a table could not be created or written, or the
/// measurement-result file could not be opened; 2 a bad command line.
inline constexpr int kExitBadCommandLine = 2;

/// Runs `program` for the arguments `argv[1..argc)` and gives its exit status. A run that
/// throws is reported on `err` and gives 1 (the other runs of --all go on); `startThread`
/// makes the threads of --all (where it fails, the runs left are run in the caller); a run
/// draws its progress line on `err` when asked, or unasked when `errIsTerminal`.
int programMain(Program program, RunFunction run, int argc, const char* const* argv, std::istream& in,
                std::ostream& out, std::ostream& err, const PathMapper& environmentPaths,
                ThreadStarter startThread = field::startThread, bool errIsTerminal = false);

/// A program's whole process: its setup (standard descriptors, signals), its arguments in
/// UTF-8, then programMain on the console streams and the environment's paths.
int programEntry(Program program, RunFunction run, int argc, char** argv);

}  // namespace field
