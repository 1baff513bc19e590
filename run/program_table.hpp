#pragma once
// The part of a run only one program has: its table and how a closed window
// becomes its row.

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>

#include "input/case_window.hpp"
#include "input/run_configuration.hpp"
#include "platform/table_file.hpp"
#include "platform/windows_path.hpp"
#include "text/diagnostics.hpp"
#include "wind/wind_statistics.hpp"

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
    /// The name of the sampler table beside the table `tableName`; empty for a program without one.
    virtual std::string samplerTableName(const std::string& /*tableName*/) const { return {}; }
    /// Writes the sampler table's header row.
    virtual void writeSamplerHeader(TableRows& /*samplers*/) const {}
    /// Appends the sampler-table rows of the window just written, each line ending in a comma
    /// for the window's QcFlag (a program without a sampler table appends nothing).
    virtual void appendSamplerRows(const ClosedWindow& /*window*/, const WindSummary& /*wind*/, std::string& /*rows*/) {
    }
};

/// Makes a program's table for the configuration; it may report through `diagnostics`.
using ProgramTableFactory = std::unique_ptr<ProgramTable> (*)(const RunConfiguration& config, const PathMapper& paths,
                                                              std::ostream& console, Diagnostics& diagnostics);

}  // namespace field
