#pragma once
// The measurement-result files: per case one block of sampler readings, a plume from the source
// point carried in the case's mean wind.

#include <vector>

#include "tools/generator/calendar.hpp"
#include "tools/generator/experiment.hpp"
#include "tools/generator/field_wind.hpp"
#include "tools/generator/options.hpp"
#include "tools/generator/output_files.hpp"

namespace fieldgen {

/// Writes one measurement-result file; returns the number of cases.
int writeMeasurementFile(const Options& options, const std::vector<CivilDate>& dates, const FieldModel& field,
                         const MaterialModel& material, const std::vector<FieldMinute>& wind, OutputTally& tally);

}  // namespace fieldgen
