#include "run/command_line.hpp"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "field_version.hpp"
#include "input/run_configuration.hpp"
#include "platform/file_open.hpp"

namespace field {
namespace {

constexpr const char* kDataLayout =
    "Data layout (below the data root, which stands for C:\\Vantrel):\n"
    "  2014 TN <Seed|Pollen> Data/Measurement Result/   the measurement-result files of both fields\n"
    "  2014 TN Seed Data/Raw Data/<Fence|Hill> .../     the fields' wind data and the weather station\n"
    "  letter case of the folders is found as on Windows; tables go to the output folder\n"
    "Without options the two questions are asked on the console, as always. --help and --version\n"
    "print and exit 0 wherever they stand; flags take no value; nothing may follow the options.\n"
    "Exit status: 0 done; 1 a table could not be created or written, or an input could not be\n"
    "opened or read; 2 a bad command line.\n";

// A site fact as a plain decimal number: blanks around it allowed, no hexadecimal, no
// "nan" or "inf"; `positive` or within [low, high]. Empty when it is fine, else the reason.
std::string siteNumberError(const std::string& text, double& value, bool positive, double low, double high) {
    std::string_view digits = text;
    while (!digits.empty() && (digits.front() == ' ' || digits.front() == '\t')) digits.remove_prefix(1);
    while (!digits.empty() && (digits.back() == ' ' || digits.back() == '\t')) digits.remove_suffix(1);
    const char* end = digits.data() + digits.size();
    const auto [stop, error] = std::from_chars(digits.data(), end, value, std::chars_format::general);
    if (digits.empty() || error != std::errc() || stop != end || !std::isfinite(value))
        return "'" + text + "' is not a number";
    if (positive && !(value > 0)) return "must be greater than 0, not " + text;
    if (!positive && !(value >= low && value <= high))
        return "must be between " + std::to_string(static_cast<int>(low)) + " and " +
               std::to_string(static_cast<int>(high)) + ", not " + text;
    return {};
}

// What is settled before CLI11 sees the line, the same wherever it stands on it: --help and
// --version win over anything else; a flag given a value ("--all=0") and a lone "--" (the
// programs take no arguments) are refused.
std::optional<std::string> preScan(int argc, const char* const* argv, bool& help, bool& version) {
    std::optional<std::string> problem;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--help" || a == "-h") help = true;
        if (a == "--version") version = true;
        for (const std::string_view flag : {"--all", "--no-qc", "--help", "--version"})
            if (!problem && a.size() > flag.size() && a.substr(0, flag.size()) == flag && a[flag.size()] == '=')
                problem = std::string(flag) + " takes no value: " + std::string(a);
        if (!problem && a == "--") problem = "The following argument was not expected: --";
    }
    return problem;
}

// CLI11's own check reads the path in the ANSI code page on Windows; this one reads UTF-8.
CLI::Validator existingFolder() {
    return CLI::Validator(
        [](std::string& path) {
            return isExistingDirectory(path) ? std::string() : "Directory does not exist: " + path;
        },
        "DIR");
}

}  // namespace

CommandLine parseCommandLine(Program program, int argc, const char* const* argv) {
    const bool fieldjoin = program == Program::Fieldjoin;
    CLI::App app(fieldjoin ? "Writes the whole-data table of a field and material: one row per case."
                           : "Writes the test-case table of a field and material: one row per 30-minute sub-window.",
                 programName(program));
    app.footer(kDataLayout);
    const std::string versionText = std::string(programName(program)) + " " + std::string(kFieldVersion);
    app.set_version_flag("--version", versionText, "Print the version and exit");

    CommandLine line;
    std::string fieldName, material;
    std::string fenceHeight, hillHeight, latitude;
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
                            ->check(existingFolder());
    app.add_option("--output-dir", line.options.outputDirectory, "Folder of the tables (default: the current one)")
        ->check(existingFolder());
    CLI::Option* noQc = app.add_flag("--no-qc", noQuality, "Write no quality table");
    // Read as text and checked below: CLI11 would take "0x10" as 16 and "nan" as a number.
    CLI::Option* fence = app.add_option("--sonic-height-fence", fenceHeight,
                                        "Fence field sonic height above the displacement height, m (ITC test)")
                             ->type_name("M");
    CLI::Option* hill = app.add_option("--sonic-height-hill", hillHeight,
                                       "Hill field sonic height above the displacement height, m (ITC test)")
                            ->type_name("M");
    CLI::Option* lat =
        app.add_option("--latitude", latitude, "Site latitude, degrees north, -90 to 90 (ITC test)")->type_name("DEG");

    line.usage = app.help();
    bool help = false, version = false;
    const std::optional<std::string> problem = preScan(argc, argv, help, version);
    if (help || version) {
        line.action = help ? CommandLine::Action::Help : CommandLine::Action::Version;
        line.text = help ? app.help() : versionText + "\n";
        return line;
    }
    if (problem) {
        line.action = CommandLine::Action::Error;
        line.text = *problem;
        return line;
    }
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
    struct SiteOption {
        const CLI::Option* option;
        const std::string& text;
        std::optional<double>& fact;
        bool positive;
    };
    const SiteOption siteOptions[] = {
        {fence, fenceHeight, line.options.site.sonicHeightFence, true},
        {hill, hillHeight, line.options.site.sonicHeightHill, true},
        {lat, latitude, line.options.site.latitude, false},
    };
    for (const SiteOption& o : siteOptions) {
        if (!*o.option) continue;
        double value = 0;
        const std::string error = siteNumberError(o.text, value, o.positive, -90.0, 90.0);
        if (!error.empty()) {
            line.action = CommandLine::Action::Error;
            line.text = o.option->get_name() + ": " + error;
            return line;
        }
        o.fact = value;
    }
    return line;
}

}  // namespace field
