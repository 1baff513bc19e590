#pragma once
// --summary-json: what a program run did, for scripts: the program, its
// campaign, each run's inputs, outputs, counts and every diagnostic, and the
// exit status.

#include <string>
#include <vector>

#include "input/campaign.hpp"
#include "input/program_variant.hpp"
#include "run/run_options.hpp"

namespace field {

/// The summary as JSON text (one object, two-space indents, a line end at the end).
std::string runSummaryJson(Program program, const Campaign& campaign, const std::vector<RunReport>& runs, int status);

/// Writes runSummaryJson to the local file `path`; false with the reason in `error`.
bool writeRunSummary(const std::string& path, const std::string& json, std::string& error);

}  // namespace field
