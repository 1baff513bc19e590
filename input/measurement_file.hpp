#pragma once
// The measurement-result file: two header lines, then blocks of SamplerCount
// comma-separated lines, one block per sampling period.

#include "input/measurement_case.hpp"
#include "input/program_variant.hpp"
#include "input/run_configuration.hpp"
#include "platform/line_reader.hpp"

namespace field {

/// Reads and discards the two header lines (whether or not they exist).
void skipMeasurementHeader(LineReader& file);

/// Reads the next case block into `record` (reused from case to case: fields a
/// block does not supply keep their earlier values). False at the end of the
/// file, with `record` unchanged. A block cut short by the end of the file is
/// completed with empty lines. `fieldjoin` appends readings in line order;
/// `casetable` stores them at fixed places by line number.
bool readMeasurementCase(LineReader& file, const RunConfiguration& config, const ProgramVariant& variant,
                         MeasurementCase& record);

}  // namespace field
