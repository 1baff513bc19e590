#include "run/command_line.hpp"

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>

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

// What CLI11 fills in, and its options, to read back after the parse.
struct OptionValues {
    std::string field, material, dataRoot, fenceHeight, hillHeight, latitude;
    bool all = false, noQuality = false;
    CLI::Option* fieldOption = nullptr;
    CLI::Option* materialOption = nullptr;
    CLI::Option* allOption = nullptr;
    CLI::Option* rootOption = nullptr;
    CLI::Option* noQcOption = nullptr;
    CLI::Option* fenceOption = nullptr;
    CLI::Option* hillOption = nullptr;
    CLI::Option* latitudeOption = nullptr;
};

void declareOptions(CLI::App& app, OptionValues& v, std::string& outputDirectory) {
    v.fieldOption = app.add_option("--field", v.field, "fence or hill (with --material: no questions asked)")
                        ->check(CLI::IsMember({"fence", "hill"}));
    v.materialOption = app.add_option("--material", v.material, "seed or pollen (with --field)")
                           ->check(CLI::IsMember({"seed", "pollen"}));
    v.fieldOption->needs(v.materialOption);
    v.materialOption->needs(v.fieldOption);
    // Not declared as excluding --field and --material: CLI11 would list them in its help in
    // an order that changes from run to run. Checked after the parse instead.
    v.allOption = app.add_flag("--all", v.all,
                               "The four field and material runs at once, in parallel, without questions "
                               "(not with --field or --material)");
    v.rootOption = app.add_option("--data-root", v.dataRoot,
                                  "Folder that stands for C:\\Vantrel (else DRIVE_MOUNT_ROOT or the drives)")
                       ->check(existingFolder());
    app.add_option("--output-dir", outputDirectory, "Folder of the tables (default: the current one)")
        ->check(existingFolder());
    v.noQcOption = app.add_flag("--no-qc", v.noQuality, "Write no quality table");
    // Read as text and checked below: CLI11 would take "0x10" as 16 and "nan" as a number.
    v.fenceOption = app.add_option("--sonic-height-fence", v.fenceHeight,
                                   "Fence field sonic height above the displacement height, m (ITC test)")
                        ->type_name("M");
    v.hillOption = app.add_option("--sonic-height-hill", v.hillHeight,
                                  "Hill field sonic height above the displacement height, m (ITC test)")
                       ->type_name("M");
    v.latitudeOption = app.add_option("--latitude", v.latitude, "Site latitude, degrees north, -90 to 90 (ITC test)")
                           ->type_name("DEG");
}

// The site facts given, checked; empty when they are fine, else the reason.
std::string readSiteFacts(const OptionValues& v, SiteFacts& site) {
    struct SiteOption {
        const CLI::Option* option;
        const std::string& text;
        std::optional<double>& fact;
        bool positive;
    };
    const SiteOption siteOptions[] = {
        {v.fenceOption, v.fenceHeight, site.sonicHeightFence, true},
        {v.hillOption, v.hillHeight, site.sonicHeightHill, true},
        {v.latitudeOption, v.latitude, site.latitude, false},
    };
    for (const SiteOption& o : siteOptions) {
        if (!*o.option) continue;
        double value = 0;
        const std::string error = siteNumberError(o.text, value, o.positive, -90.0, 90.0);
        if (!error.empty()) return o.option->get_name() + ": " + error;
        o.fact = value;
    }
    return {};
}

CommandLine answered(CommandLine line, CommandLine::Action action, std::string text) {
    line.action = action;
    line.text = std::move(text);
    return line;
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
    OptionValues v;
    declareOptions(app, v, line.options.outputDirectory);
    line.usage = app.help();

    using Action = CommandLine::Action;
    bool help = false, version = false;
    const std::optional<std::string> problem = preScan(argc, argv, help, version);
    if (help) return answered(line, Action::Help, app.help());
    if (version) return answered(line, Action::Version, versionText + "\n");
    if (problem) return answered(line, Action::Error, *problem);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        return answered(line, Action::Help, app.help());
    } catch (const CLI::CallForVersion&) {
        return answered(line, Action::Version, versionText + "\n");
    } catch (const CLI::ParseError& e) {
        return answered(line, Action::Error, e.what());
    }
    if (*v.allOption && *v.fieldOption) return answered(line, Action::Error, "--all excludes --field and --material");

    if (*v.fieldOption) line.options.answers = Answers{v.field == "fence", v.material == "seed"};
    if (*v.allOption) line.action = Action::RunAll;
    if (*v.rootOption) line.dataRoot = v.dataRoot;
    line.options.qualityTable = !*v.noQcOption;
    const std::string siteError = readSiteFacts(v, line.options.site);
    if (!siteError.empty()) return answered(line, Action::Error, siteError);
    return line;
}

}  // namespace field
