#pragma once
// The measurement-result file: two header lines, then blocks of SamplerCount
// comma-separated lines, one block per sampling period.

#include <string>

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

/// How the last block read fitted the field's samplers.
struct BlockFit {
    int linesInFile = 0;     // lines of the block the file held (the rest were read as empty)
    int misplacedLine = -1;  // block index of the first line naming another sampler of the field, or -1
    std::string named;       // the sampler that line names
};

/// readMeasurementCase, and in `fit` how the block fitted: the file may end inside it, and a
/// line's sampler column (field 7) may name another sampler of the field than the one at its
/// place (the file's blocks are longer or shorter than the field's). Files without sampler
/// names in field 7 are read as ever.
bool readMeasurementCase(LineReader& file, const RunConfiguration& config, const ProgramVariant& variant,
                         MeasurementCase& record, BlockFit& fit);

/// The diagnostic of a block that does not fit the field of `samplerCount` samplers; empty when it fits.
std::string blockFitProblem(const BlockFit& fit, const FieldLayout& field);

}  // namespace field
