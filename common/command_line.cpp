#include "common/command_line.hpp"

#include <CLI/CLI.hpp>

#include "common/run_configuration.hpp"
#include "field_version.hpp"

namespace field {
namespace {

constexpr const char* kDataLayout =
    "Data layout (below the data root, which stands for C:\\Vantrel):\n"
    "  2014 TN <Seed|Pollen> Data/Measurement Result/   the measurement-result files of both fields\n"
    "  2014 TN Seed Data/Raw Data/<Fence|Hill> .../     the fields' wind data and the weather station\n"
    "  letter case of the folders is found as on Windows; tables go to the output folder\n"
    "Without options the two questions are asked on the console, as always.\n"
    "Exit status: 0 done; 1 a table could not be created or written, or an input could not be\n"
    "opened or read; 2 a bad command line.\n";

}  // namespace

CommandLine parseCommandLine(Program program, int argc, const char* const* argv) {
    const bool fieldjoin = program == Program::Fieldjoin;
    CLI::App app(fieldjoin ? "Writes the whole-data table of a field and material: one row per case."
                           : "Writes the test-case table of a field and material: one row per 30-minute sub-window.",
                 programName(program));
    app.footer(kDataLayout);
    app.set_version_flag("--version", std::string(programName(program)) + " " + std::string(kFieldVersion),
                         "Print the version and exit");

    CommandLine line;
    std::string fieldName, material;
    double fenceHeight = 0, hillHeight = 0, latitude = 0;
    std::string dataRoot;
    bool allRuns = false, noQuality = false;
    CLI::Option* field = app.add_option("--field", fieldName, "fence or hill (with --material: no questions asked)")
                             ->check(CLI::IsMember({"fence", "hill"}));
    CLI::Option* materialOption = app.add_option("--material", material, "seed or pollen (with --field)")
                                      ->check(CLI::IsMember({"seed", "pollen"}));
    field->needs(materialOption);
    materialOption->needs(field);
    CLI::Option* all =
        app.add_flag("--all", allRuns, "The four field and material runs at once, in parallel, without questions");
    all->excludes(field);
    all->excludes(materialOption);
    CLI::Option* root = app.add_option("--data-root", dataRoot,
                                       "Folder that stands for C:\\Vantrel (else DRIVE_MOUNT_ROOT or the drives)")
                            ->check(CLI::ExistingDirectory);
    app.add_option("--output-dir", line.options.outputDirectory, "Folder of the tables (default: the current one)")
        ->check(CLI::ExistingDirectory);
    CLI::Option* noQc = app.add_flag("--no-qc", noQuality, "Write no quality table");
    CLI::Option* fence = app.add_option("--sonic-height-fence", fenceHeight,
                                        "Fence field sonic height above the displacement height, m (ITC test)")
                             ->check(CLI::PositiveNumber);
    CLI::Option* hill = app.add_option("--sonic-height-hill", hillHeight,
                                       "Hill field sonic height above the displacement height, m (ITC test)")
                            ->check(CLI::PositiveNumber);
    CLI::Option* lat = app.add_option("--latitude", latitude, "Site latitude, degrees north (ITC test)")
                           ->check(CLI::Range(-90.0, 90.0));

    line.usage = app.help();
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        line.action = CommandLine::Action::Help;
        line.text = app.help();
        return line;
    } catch (const CLI::CallForVersion& e) {
        line.action = CommandLine::Action::Version;
        line.text = std::string(e.what()) + "\n";
        return line;
    } catch (const CLI::ParseError& e) {
        line.action = CommandLine::Action::Error;
        line.text = e.what();
        return line;
    }

    if (*field) line.options.answers = Answers{fieldName == "fence", material == "seed"};
    if (*all) line.action = CommandLine::Action::RunAll;
    if (*root) line.dataRoot = dataRoot;
    line.options.qualityTable = !*noQc;
    if (*fence) line.options.site.sonicHeightFence = fenceHeight;
    if (*hill) line.options.site.sonicHeightHill = hillHeight;
    if (*lat) line.options.site.latitude = latitude;
    return line;
}

}  // namespace field
