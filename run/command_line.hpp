#pragma once
// The programs' command line. Without arguments a program runs its console
// dialogue as it always did; options run it without questions, elsewhere,
// all four field and material runs at once, or only print help or version.

#include <optional>
#include <string>

#include "input/program_variant.hpp"
#include "run/program_run.hpp"

namespace field {

struct CommandLine {
    enum class Action { Run, RunAll, Help, Version, PrintCampaign, CheckCampaign, Error };
    Action action = Action::Run;
    RunOptions options;
    std::optional<std::string> dataRoot;     // the folder that stands for the data drive's folder
    std::optional<std::string> summaryJson;  // --summary-json FILE
    std::optional<bool> progress;            // --progress or --no-progress; none: as standard error is
    std::string text;                        // help, version, the campaign's TOML or the error's one-line reason
    std::string usage;                       // the usage and options, for an error (empty: none to show)
};

/// Reads the arguments (without the program name) of `program`.
CommandLine parseCommandLine(Program program, int argc, const char* const* argv);

}  // namespace field
