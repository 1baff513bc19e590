#pragma once
// One run of either program: the configuration, the table and its quality
// table, the case loop over the measurement-result file, and the report. The
// programs differ only through their variant and their ProgramTable.

#include <cstdint>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "input/program_variant.hpp"
#include "input/run_configuration.hpp"
#include "platform/table_file.hpp"
#include "platform/windows_path.hpp"
#include "run/program_table.hpp"
#include "run/run_options.hpp"
#include "text/diagnostics.hpp"

namespace field {

/// The exit status of a run with --strict that wrote no row or reported a problem of the data.
inline constexpr int kExitStrict = 3;

/// Runs one program and gives its exit status: 1 when a table cannot be created or
/// written, or the measurement-result file cannot be opened; 0 otherwise.
int runProgram(const ProgramVariant& variant, ProgramTableFactory makeTable, const RunStreams& streams,
               const PathMapper& paths, const RunOptions& options);

/// One run of a program (runFieldjoin, runCasetable).
using RunFunction = int (*)(const RunStreams& streams, const PathMapper& paths, const RunOptions& options);

/// `run` as the console dialogue has it: the answers from `in`, the tables in `workDirectory`,
/// the diagnostics discarded.
int runDialogue(RunFunction run, std::istream& in, std::ostream& console, const PathMapper& paths,
                const std::string& workDirectory);

/// The program's name as messages give it.
const char* programName(Program program);

}  // namespace field
