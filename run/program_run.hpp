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

#include "input/case_window.hpp"
#include "input/program_variant.hpp"
#include "input/run_configuration.hpp"
#include "platform/table_file.hpp"
#include "platform/windows_path.hpp"
#include "run/run_options.hpp"
#include "text/diagnostics.hpp"

namespace field {

/// The part of a run only one program has: its table and how a window becomes a row.
class ProgramTable {
public:
    virtual ~ProgramTable() = default;
    /// Creates the table file and writes its two header rows; false when it cannot be created.
    virtual bool create(const std::string& localPath) = 0;
    /// Writes the row of a closed window from its statistics; gives the number of
    /// weather-station records the row used (0 where a program reads none).
    virtual std::int32_t writeRow(const ClosedWindow& window, const WindSummary& wind) = 0;
    /// The table's file.
    virtual TableFile& file() = 0;
    /// Closes what the program keeps open across cases.
    virtual void finish() {}
};

/// Makes a program's table for the configuration; it may report through `diagnostics`.
using ProgramTableFactory = std::unique_ptr<ProgramTable> (*)(const RunConfiguration& config, const PathMapper& paths,
                                                              std::ostream& console, RunDiagnostics& diagnostics);

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
