#include "run/command_line.hpp"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "field_version.hpp"
#include "input/campaign_file.hpp"
#include "input/run_configuration.hpp"
#include "platform/file_open.hpp"
#include "run/console_answers.hpp"

namespace field {
namespace {

// The data layout of the built-in campaign; another campaign's is printed by --print-campaign.
constexpr const char* kDataLayout =
    "Data layout (below the data root, which stands for C:\\Vantrel):\n"
    "  2014 TN <Seed|Pollen> Data/Measurement Result/   the measurement-result files of both fields\n"
    "  2014 TN Seed Data/Raw Data/<Fence|Hill> .../     the fields' wind data and the weather station\n"
    "  letter case of the folders is found as on Windows; tables go to the output folder\n";
constexpr const char* kCommonFooter =
    "Without options the two questions are asked on the console, as always. --help and --version\n"
    "print and exit 0 wherever they stand; flags take no value; nothing may follow the options.\n"
    "Exit status: 0 done; 1 a table could not be created or written, or an input could not be\n"
    "opened or read; 2 a bad command line; 3 (with --strict) a run wrote no row at all or reported\n"
    "a problem of the data on standard error. Options are taken by their whole names only: an\n"
    "unknown one, a prefix included, is refused with the closest known one.\n";

// The footer of the help: the data layout, then what holds for every campaign.
std::string helpFooter(const Campaign& campaign) {
    if (campaign.sourceName == "built in") return std::string(kDataLayout) + kCommonFooter;
    return "Data layout (below the data root, which stands for " + campaign.paths.dataRoot + "): as the campaign " +
           campaign.sourceName + " says (--print-campaign shows it, --check-campaign finds it)\n" + kCommonFooter;
}

// "fence or hill", "a, b or c".
std::string namesText(const std::vector<std::string>& names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " or " : ", ";
        text += names[i];
    }
    return text;
}

// The help, laid out by hand: the option, its value and what it does in plain words, grouped by
// what a user asks; CLI11 reads the line, but its own layout ("TEXT:{fence,hill} Needs: ...")
// reads badly. The field and material names come from the campaign in force.
std::string helpText(Program program, const Campaign& campaign) {
    const std::string name = programName(program);
    std::vector<std::string> fields;
    for (const FieldLayout& f : campaign.fields) fields.push_back(f.name);
    const bool fieldjoin = program == Program::Fieldjoin;
    std::string text = name + ": " +
                       (fieldjoin ? "writes the whole-data table of a field and material, one row per case."
                                  : "writes the test-case table of a field and material, one row per 30-minute "
                                    "sub-window.") +
                       "\n\nUsage:\n";
    const auto usage = [&text, &name](std::string_view rest, std::string_view meaning) {
        std::string line = "  " + name + std::string(rest);
        if (!meaning.empty()) {
            line.resize(std::max<std::size_t>(line.size() + 2, 52), ' ');
            line += meaning;
        }
        text += line + "\n";
    };
    usage("", "the two questions on the console, as always");
    usage(" --field F --material M [OPTION...]", "one run, no questions asked");
    usage(" --all [OPTION...]", "every field with every material, in parallel");
    usage(" --print-campaign | --check-campaign | --help | --version", "");
    // The option and its value, then its meaning from column 25, wrapped at 100 columns.
    const auto option = [&text](std::string_view left, std::string_view meaning) {
        constexpr std::size_t kColumn = 25, kWidth = 100;
        std::string line = "  " + std::string(left);
        if (line.size() + 2 > kColumn) {
            text += line + "\n";
            line.clear();
        }
        line.resize(kColumn, ' ');
        std::size_t at = 0;
        while (at < meaning.size()) {
            std::size_t end = meaning.find(' ', at);
            if (end == std::string_view::npos) end = meaning.size();
            const std::string_view word = meaning.substr(at, end - at);
            if (line.size() > kColumn && line.size() + 1 + word.size() > kWidth) {
                text += line + "\n";
                line.assign(kColumn, ' ');
            }
            if (line.size() > kColumn) line += ' ';
            line += word;
            at = end + 1;
        }
        text += line + "\n";
    };
    text += "\nThe run:\n";
    option("--field NAME", namesText(fields) + " (with --material: no questions are asked)");
    option("--material NAME", namesText(campaign.materials) + " (with --field)");
    option("--all", "every field with every material at once, in parallel (not with --field or --material)");
    option("--campaign FILE", "the campaign file (TOML) to run; default: the built-in 2014 campaign");
    option("--data-root DIR", "where the data lie: the folder standing for " + campaign.paths.dataRoot +
                                  ", the one holding it, or the one above its drive letter's folder "
                                  "(default: DRIVE_MOUNT_ROOT, else the drives)");
    option("--output-dir DIR", "the folder of the tables (default: the current folder)");
    text += "\nWhat is written:\n";
    option("--no-qc", "no quality table");
    option("--no-samplers", "no sampler table (fieldjoin)");
    option("--summary-json FILE",
           "also what the run did (inputs, outputs, counts, every problem, the exit status) "
           "as JSON, for scripts");
    option("--strict", "exit status 3 when a run wrote no row at all or reported a problem of the data");
    option("--progress",
           "one updating line on standard error: cases done, MB read, rate (by default only "
           "when standard error is a terminal, and from 2 s into the run; not with --all)");
    option("--no-progress", "no progress line");
    text += "\nThe quality table:\n";
    option("--sonic-height-fence M", "the fence field sonic's height above the displacement height, in m (ITC test)");
    option("--sonic-height-hill M", "the hill field sonic's height above the displacement height, in m (ITC test)");
    option("--latitude DEG", "the site's latitude, degrees north, -90 to 90 (ITC test)");
    option("--qc NAME=VALUE",
           "a rule of the quality flag for this run, as the campaign's [quality] table names "
           "it (repeatable): --qc coverage_flag1=70");
    text += "\nThe campaign:\n";
    option("--print-campaign", "write the campaign in force as TOML to standard output and exit");
    option("--check-campaign",
           "find the campaign's inputs under the data root; no table is written (exit 0 when "
           "all are there, 1 when something is missing)");
    option("-h, --help", "this help, and exit");
    option("--version", "the version, and exit");
    return text + "\n" + helpFooter(campaign);
}

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
// clang-format off
constexpr std::string_view kValueOptions[] = {"--field", "--material", "--data-root", "--output-dir",
                                              "--sonic-height-fence", "--sonic-height-hill", "--latitude",
                                              "--campaign", "--qc", "--summary-json"};
constexpr std::string_view kFlags[] = {"--all", "--no-qc", "--no-samplers", "--strict", "--progress", "--no-progress", "--help", "--version",
                                       "--print-campaign", "--check-campaign"};
// clang-format on

// Edits (insert, delete, replace a letter, swap two neighbours) from a to b.
std::size_t editDistance(std::string_view a, std::string_view b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

// "unknown option --feild; did you mean --field?": the closest known option within two edits
// (or the one a prefix starts: prefixes are not taken as options).
std::string unknownOption(std::string_view name) {
    std::string_view best;
    std::size_t bestDistance = 3;
    const auto consider = [&](std::string_view known) {
        const std::size_t distance = known.starts_with(name) ? 1 : editDistance(name, known);
        if (distance < bestDistance) {
            best = known;
            bestDistance = distance;
        }
    };
    for (const std::string_view known : kValueOptions) consider(known);
    for (const std::string_view known : kFlags) consider(known);
    std::string text = "unknown option " + std::string(name);
    if (!best.empty()) text += "; did you mean " + std::string(best) + "?";
    return text;
}

// The campaign is read before the options are declared (their choices come from it): its
// file is taken from "--campaign FILE" or "--campaign=FILE" here, the last one given.
std::optional<std::string> preScan(int argc, const char* const* argv, bool& help, bool& version,
                                   std::optional<std::string>& campaignFile) {
    std::optional<std::string> problem;
    bool valueNext = false;  // the argument after an option that takes a value is that value
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--help" || a == "-h") help = true;
        if (a == "--version") version = true;
        if (std::exchange(valueNext, false)) continue;
        if (a == "--campaign" && i + 1 < argc) campaignFile = argv[i + 1];
        if (a.starts_with("--campaign=")) campaignFile = std::string(a.substr(11));
        if (a.starts_with("--") && a.size() > 2) {
            const std::string_view name = a.substr(0, a.find('='));
            const bool isValueOption =
                std::find(std::begin(kValueOptions), std::end(kValueOptions), name) != std::end(kValueOptions);
            const bool isFlag = std::find(std::begin(kFlags), std::end(kFlags), name) != std::end(kFlags);
            if (!isValueOption && !isFlag && !problem) problem = unknownOption(name);
            valueNext = isValueOption && name.size() == a.size();
        }
        for (const std::string_view flag : kFlags)
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
    std::string field, material, dataRoot, fenceHeight, hillHeight, latitude, campaign;
    std::vector<std::string> qualityRules;
    std::string summaryJson;
    CLI::Option* qcOption = nullptr;
    CLI::Option* summaryOption = nullptr;
    bool all = false, noQuality = false, noSamplers = false, strict = false, progress = false, noProgress = false,
         printCampaign = false, checkCampaign = false;
    CLI::Option* noSamplersOption = nullptr;
    CLI::Option* printOption = nullptr;
    CLI::Option* checkOption = nullptr;
    CLI::Option* fieldOption = nullptr;
    CLI::Option* materialOption = nullptr;
    CLI::Option* allOption = nullptr;
    CLI::Option* rootOption = nullptr;
    CLI::Option* noQcOption = nullptr;
    CLI::Option* strictOption = nullptr;
    CLI::Option* progressOption = nullptr;
    CLI::Option* noProgressOption = nullptr;
    CLI::Option* fenceOption = nullptr;
    CLI::Option* hillOption = nullptr;
    CLI::Option* latitudeOption = nullptr;
};

void declareOptions(CLI::App& app, OptionValues& v, std::string& outputDirectory, const Campaign& campaign) {
    std::vector<std::string> fieldNames;
    for (const FieldLayout& f : campaign.fields) fieldNames.push_back(f.name);
    v.fieldOption = app.add_option("--field", v.field, namesText(fieldNames) + " (with --material: no questions asked)")
                        ->check(CLI::IsMember(fieldNames));
    v.materialOption = app.add_option("--material", v.material, namesText(campaign.materials) + " (with --field)")
                           ->check(CLI::IsMember(campaign.materials));
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
    v.noSamplersOption = app.add_flag("--no-samplers", v.noSamplers, "Write no sampler table (fieldjoin)");
    v.strictOption = app.add_flag("--strict", v.strict,
                                  "Exit status 3 when a run wrote no row at all or reported a problem of the data");
    v.progressOption = app.add_flag("--progress", v.progress, "One updating line on standard error");
    v.noProgressOption = app.add_flag("--no-progress", v.noProgress, "No progress line");
    // Read as text and checked below: CLI11 would take "0x10" as 16 and "nan" as a number.
    v.fenceOption = app.add_option("--sonic-height-fence", v.fenceHeight,
                                   "Fence field sonic height above the displacement height, m (ITC test)")
                        ->type_name("M");
    v.hillOption = app.add_option("--sonic-height-hill", v.hillHeight,
                                  "Hill field sonic height above the displacement height, m (ITC test)")
                       ->type_name("M");
    v.latitudeOption = app.add_option("--latitude", v.latitude, "Site latitude, degrees north, -90 to 90 (ITC test)")
                           ->type_name("DEG");
    // Read before the parse (preScan); declared so that help lists it and the parse takes it.
    app.add_option("--campaign", v.campaign, "Campaign file (TOML) to run instead of the built-in 2014 campaign")
        ->type_name("FILE");
    v.qcOption = app.add_option("--qc", v.qualityRules,
                                "A rule of the quality flag for this run, as the campaign's [quality] table "
                                "names it (repeatable): --qc coverage_flag1=70")
                     ->type_name("NAME=VALUE")
                     ->allow_extra_args(false);
    v.summaryOption = app.add_option("--summary-json", v.summaryJson,
                                     "Write what the run did (inputs, outputs, counts, every diagnostic, the exit "
                                     "status) as JSON to FILE")
                          ->type_name("FILE");
    v.printOption = app.add_flag("--print-campaign", v.printCampaign,
                                 "Write the campaign in force as TOML to standard output and exit");
    v.checkOption = app.add_flag("--check-campaign", v.checkCampaign,
                                 "Check the campaign and find its input files under the data root; no table "
                                 "is written (exit 0 when all are there, 1 when something is missing)");
}

// The site facts given, checked; empty when they are fine, else the reason.
std::string readSiteFacts(const OptionValues& v, const Campaign& campaign, SiteFacts& site) {
    struct SiteOption {
        const CLI::Option* option;
        const std::string& text;
        std::string_view fieldName;  // empty: the latitude
        bool positive;
    };
    const SiteOption siteOptions[] = {
        {v.fenceOption, v.fenceHeight, "fence", true},
        {v.hillOption, v.hillHeight, "hill", true},
        {v.latitudeOption, v.latitude, "", false},
    };
    for (const SiteOption& o : siteOptions) {
        if (!*o.option) continue;
        double value = 0;
        const std::string error = siteNumberError(o.text, value, o.positive, -90.0, 90.0);
        if (!error.empty()) return o.option->get_name() + ": " + error;
        if (o.fieldName.empty()) {
            site.latitude = value;
        } else {
            if (campaign.fieldIndex(o.fieldName) < 0)
                return o.option->get_name() + ": the campaign has no field " + std::string(o.fieldName);
            site.sonicHeights[std::string(o.fieldName)] = value;
        }
    }
    return {};
}

// The --qc rules, checked against the campaign's; empty when they are fine, else the reason.
std::string readQualityRules(const OptionValues& v, const Campaign& campaign, SiteFacts& site) {
    QualityRules rules = campaign.quality;
    for (const std::string& given : v.qualityRules) {
        const std::size_t equals = given.find('=');
        if (equals == std::string::npos) return "--qc: '" + given + "' is not NAME=VALUE";
        const std::string name = given.substr(0, equals);
        double value = 0;
        const std::string numberError = siteNumberError(given.substr(equals + 1), value, false, -1e9, 1e9);
        if (!numberError.empty()) return "--qc " + name + ": " + numberError;
        std::string error;
        if (!setQualityRule(rules, name, value, error)) {
            std::string known;
            for (const std::string_view n : qualityRuleNames()) known += (known.empty() ? "" : ", ") + std::string(n);
            return "--qc " + name + ": " + error + (error == "unknown quality rule" ? " (known: " + known + ")" : "");
        }
        site.qualityRules[name] = value;
    }
    const std::string problem = qualityRulesProblem(rules);
    return problem.empty() ? std::string() : "--qc: " + problem;
}

CommandLine answered(CommandLine line, CommandLine::Action action, std::string text) {
    line.action = action;
    line.text = std::move(text);
    return line;
}

}  // namespace

CommandLine parseCommandLine(Program program, int argc, const char* const* argv) {
    using Action = CommandLine::Action;
    CommandLine line;
    bool help = false, version = false;
    std::optional<std::string> campaignFile;
    const std::optional<std::string> problem = preScan(argc, argv, help, version, campaignFile);
    std::optional<std::string> campaignError;
    if (campaignFile) {
        try {
            line.options.campaign = loadCampaignFile(*campaignFile);
        } catch (const CampaignError& e) {
            campaignError = e.what();  // help and version still win
        }
    }
    const Campaign& campaign = *line.options.campaign;

    const bool fieldjoin = program == Program::Fieldjoin;
    CLI::App app(fieldjoin ? "Writes the whole-data table of a field and material: one row per case."
                           : "Writes the test-case table of a field and material: one row per 30-minute sub-window.",
                 programName(program));
    app.footer(helpFooter(campaign));
    const std::string versionText = std::string(programName(program)) + " " + std::string(kFieldVersion);
    app.set_version_flag("--version", versionText, "Print the version and exit");
    OptionValues v;
    declareOptions(app, v, line.options.outputDirectory, campaign);
    line.usage = helpText(program, campaign);

    if (help) return answered(line, Action::Help, line.usage);
    if (version) return answered(line, Action::Version, versionText + "\n");
    if (problem) return answered(line, Action::Error, *problem);
    if (campaignError) {
        line.usage.clear();  // the campaign's error says what to mend; the options were fine
        return answered(line, Action::Error, *campaignError);
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        return answered(line, Action::Help, line.usage);
    } catch (const CLI::CallForVersion&) {
        return answered(line, Action::Version, versionText + "\n");
    } catch (const CLI::ParseError& e) {
        return answered(line, Action::Error, e.what());
    }
    if (*v.allOption && *v.fieldOption) return answered(line, Action::Error, "--all excludes --field and --material");

    if (*v.fieldOption)
        line.options.answers = Answers{campaign.fieldIndex(v.field), campaign.materialIndex(v.material)};
    if (*v.allOption) line.action = Action::RunAll;
    if (*v.rootOption) line.dataRoot = v.dataRoot;
    if (*v.summaryOption) line.summaryJson = v.summaryJson;
    line.options.qualityTable = !*v.noQcOption;
    line.options.samplerTable = !*v.noSamplersOption;
    line.options.strict = static_cast<bool>(*v.strictOption);
    if (*v.progressOption && *v.noProgressOption)
        return answered(line, Action::Error, "--progress excludes --no-progress");
    if (*v.progressOption) line.progress = true;
    if (*v.noProgressOption) line.progress = false;
    const std::string siteError = readSiteFacts(v, campaign, line.options.site);
    if (!siteError.empty()) return answered(line, Action::Error, siteError);
    const std::string rulesError = readQualityRules(v, campaign, line.options.site);
    if (!rulesError.empty()) return answered(line, Action::Error, rulesError);
    if (*v.printOption) {
        line.action = Action::PrintCampaign;
        line.text = campaign.sourceText;
        return line;
    }
    if (*v.checkOption) {
        line.action = Action::CheckCampaign;
        return line;
    }
    if (line.action == Action::Run && !line.options.answers && !dialogueFits(campaign))
        return answered(line, Action::Error,
                        "the campaign has " + std::to_string(campaign.fields.size()) + " fields and " +
                            std::to_string(campaign.materials.size()) +
                            " materials: the console questions choose between two of each; name the run "
                            "with --field and --material, or give --all");
    return line;
}

}  // namespace field
