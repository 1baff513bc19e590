#include "tools/generator/options.hpp"

#include <charconv>
#include <system_error>

namespace fieldgen {
namespace {

/// Parses a whole decimal text into `value` within [lo, hi].
template <typename Integer>
bool parseNumber(std::string_view text, Integer lo, Integer hi, Integer& value) {
    Integer parsed{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc{} || end != text.data() + text.size() || parsed < lo || parsed > hi) return false;
    value = parsed;
    return true;
}

/// Parses YYYY-MM-DD into a valid calendar date.
bool parseDate(std::string_view text, CivilDate& date) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    CivilDate parsed;
    if (!parseNumber(text.substr(0, 4), 1, 9999, parsed.year) || !parseNumber(text.substr(5, 2), 1, 12, parsed.month) ||
        !parseNumber(text.substr(8, 2), 1, 31, parsed.day) || parsed.day > daysInMonth(parsed.year, parsed.month)) {
        return false;
    }
    date = parsed;
    return true;
}

}  // namespace

const std::string_view kUsage =
    "usage: generate_field_data --root DIR [--days N] [--rate HZ] [--seed S]\n"
    "                           [--first-day YYYY-MM-DD] [--cases-per-day K] [--window-share P]\n"
    "                           [--no-data-problems] [--list-problems] [--campaign FILE]\n"
    "  --root DIR           drive mount root; C:\\a\\b is written to DIR/c/a/b\n"
    "  --campaign FILE      the campaign whose tree is written (default: the built-in 2014 one)\n"
    "  --days N             days of data, 1 to 92 (default 3); with the 2014 day numbering all\n"
    "                       between 1 August and 31 October, else from the campaign's first day on\n"
    "  --rate HZ            sonic samples per second, 1 to 100 (default 10; above 10 Hz a 30-minute\n"
    "                       window holds more than casetable's 18000 samples)\n"
    "  --seed S             random seed, 0 to 2^64-1 (default 1)\n"
    "  --first-day DATE     first day (default 15 August of the campaign's year; casetable reads\n"
    "                       only timestamps of that year)\n"
    "  --cases-per-day K    sampling periods per day and file, 1 to 35 (default 3)\n"
    "  --window-share P     about P % of each day (1 to 90) inside the cases' windows: lengths drawn\n"
    "                       from 0.5 to 1.5 times P % of the day over K (at least 30 minutes),\n"
    "                       within the cases' slots\n"
    "                       (default: 30 to 120 minutes each)\n"
    "  --no-data-problems   leave out the data problems below: every window clean\n"
    "  --list-problems      print where the data problems were put\n"
    "\n"
    "Data problems (on by default) in each field's logger data, in cases 2 to 5 of the field's seed\n"
    "measurement-result file and again of its pollen file (a case overlapping one that has a problem\n"
    "is left as it is; --list-problems tells which cases have one):\n"
    "  case 2  non-stationary: from a 5-minute mark near the middle of the case (the middle of a\n"
    "          30-minute sub-window) to its end, the mean wind is 2 m/s stronger along its\n"
    "          direction, and w and Ts step too (sized from the model's covariances, typically\n"
    "          w +0.2..1 m/s, Ts -5..+1 K), so that the window's u'w' and w'Ts' come out near\n"
    "          -0.5 times the mean of their 5-minute covariances\n"
    "  case 3  gap: no logger lines for 20 minutes, from minute 5 of the middle 30-minute sub-window\n"
    "  case 4  poor coverage: each second of the window is without logger lines with probability 0.4\n"
    "  case 5  spikes: at ten places minutes apart eight single samples, a run of 2 and a run of 3\n"
    "          with u and w 8 to 10 m/s higher and Ts 8 K higher (8 K lower where it would reach\n"
    "          39.5 degrees: the programs leave out samples of 40 degrees and more)\n"
    "Every other sample is drawn as without them.\n";

/// Reads the command line into `options`; on failure puts the reason into `error`.
bool parseOptions(int argc, char** argv, Options& options, std::string& error) {
    bool haveRoot = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view name = argv[i];
        if (name == "--no-data-problems") {
            options.dataProblems = false;
            continue;
        }
        if (name == "--list-problems") {
            options.listProblems = true;
            continue;
        }
        std::string_view value;
        const std::size_t eq = name.find('=');
        const bool inlineValue = name.starts_with("--") && eq != std::string_view::npos;
        if (inlineValue) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        const bool known = name == "--root" || name == "--days" || name == "--rate" || name == "--seed" ||
                           name == "--first-day" || name == "--cases-per-day" || name == "--campaign" ||
                           name == "--window-share";
        if (!known) {
            error = "unknown option '" + std::string(name) + "'";
            return false;
        }
        if (!inlineValue) {
            if (i + 1 >= argc) {
                error = "option " + std::string(name) + " needs a value";
                return false;
            }
            value = argv[++i];
        }
        bool ok = true;
        if (name == "--root") {
            ok = !value.empty();
            options.root = std::filesystem::path(std::string(value));
            haveRoot = ok;
        } else if (name == "--days") {
            ok = parseNumber(value, 1, 92, options.days);
        } else if (name == "--rate") {
            ok = parseNumber(value, 1, 100, options.rateHz);
        } else if (name == "--seed") {
            ok = parseNumber(value, std::uint64_t{0}, UINT64_MAX, options.seed);
        } else if (name == "--first-day") {
            ok = parseDate(value, options.firstDay);
            options.firstDayGiven = ok;
        } else if (name == "--campaign") {
            try {
                options.campaign = field::loadCampaignFile(std::string(value));
            } catch (const field::CampaignError& e) {
                error = e.what();
                return false;
            }
        } else if (name == "--window-share") {
            ok = parseNumber(value, 1, 90, options.windowShare);
        } else {
            ok = parseNumber(value, 1, 35, options.casesPerDay);
        }
        if (!ok) {
            error = "bad value '" + std::string(value) + "' for " + std::string(name);
            return false;
        }
    }
    if (!haveRoot) {
        error = "--root is required";
        return false;
    }
    const field::Campaign& campaign = *options.campaign;
    if (campaign.fields.size() > kMaxFields || campaign.materials.size() > kMaxMaterials) {
        error = "the generator writes at most 10 fields and 8 materials";
        return false;
    }
    for (const field::FieldLayout& f : campaign.fields) {
        if (f.loggerFilePattern.size() < 2 || f.loggerFilePattern[0] != '*' ||
            f.loggerFilePattern.find_first_of("*?", 1) != std::string::npos) {
            error = "field " + f.name + ": the generator names logger files by a pattern '*SUFFIX', not " +
                    f.loggerFilePattern;
            return false;
        }
    }
    if (!options.firstDayGiven) options.firstDay = {campaign.year, 8, 15};
    CivilDate date = options.firstDay;
    for (int d = 0; d < options.days; ++d, date = nextDate(date)) {
        const bool inside = campaign.calendar.fromFirstDay ? options.dayIndex(date) >= 1 : insideDayIndexRange(date);
        if (!inside) {
            error = campaign.calendar.fromFirstDay
                        ? "the days must lie on or after the campaign's first day"
                        : "the days must lie between 1 August and 31 October (day numbers rise only there)";
            return false;
        }
    }
    options.fields = fieldModels(campaign);
    options.materials = materialModels(campaign);
    return true;
}

/// The calendar dates of the run, first day first.
std::vector<CivilDate> runDates(const Options& options) {
    std::vector<CivilDate> dates;
    CivilDate date = options.firstDay;
    for (int d = 0; d < options.days; ++d, date = nextDate(date)) dates.push_back(date);
    return dates;
}

}  // namespace fieldgen
