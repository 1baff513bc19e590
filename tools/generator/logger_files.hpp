#pragma once
// The logger files: per field one folder per day holding one file of sonic samples (u, v, w, Ts)
// for the whole day, drawn around the field's minute-by-minute wind.

#include <vector>

#include "tools/generator/calendar.hpp"
#include "tools/generator/data_problems.hpp"
#include "tools/generator/experiment.hpp"
#include "tools/generator/field_wind.hpp"
#include "tools/generator/options.hpp"
#include "tools/generator/output_files.hpp"

namespace fieldgen {

/// Writes the logger file of every day of one field, with the field's deliberate faults.
void writeLoggerFiles(const Options& options, const std::vector<CivilDate>& dates, const FieldModel& field,
                      const std::vector<FieldMinute>& wind, const LoggerFaults& faults, OutputTally& tally);

}  // namespace fieldgen
