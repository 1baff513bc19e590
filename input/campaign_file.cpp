#include "input/campaign_file.hpp"

#include <toml++/toml.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <set>
#include <utility>
#include <vector>

#include "platform/file_open.hpp"

namespace field {
namespace {

// Where a node lies, as a message names it: "FILE:LINE:COLUMN".
std::string placeOf(const std::string& file, const toml::source_region& region) {
    return file + ":" + std::to_string(region.begin.line) + ":" + std::to_string(region.begin.column);
}

// The placeholders a path template may hold, by what the template is expanded for.
struct Placeholders {
    bool field = false;
    bool material = false;
};

// One TOML table of the file, read key by key: each key taken is remembered, so that
// finish() can refuse the keys nobody asked for (a misspelt key must not pass unnoticed).
class TableReader {
public:
    /// A reader of `table` (at `path` in `file`) that holds the keys `known` and no other.
    TableReader(const toml::table& table, std::string path, const std::string& file,
                const std::vector<std::string_view>& known)
        : table_(table), path_(std::move(path)), file_(file) {
        // Unknown keys first: a misspelt key is the reason a key seems missing.
        for (auto&& [key, node] : table_) {
            if (std::find(known.begin(), known.end(), key.str()) != known.end()) continue;
            std::string reason = "unknown key";
            const std::string_view closest = closestKey(key.str(), known);
            if (!closest.empty()) reason += " (did you mean " + std::string(closest) + "?)";
            fail(key.source(), std::string(key.str()), reason);
        }
    }

    [[noreturn]] void fail(const toml::source_region& where, const std::string& key, const std::string& reason) const {
        throw CampaignError(placeOf(file_, where) + ": " + keyPath(key) + ": " + reason);
    }
    [[noreturn]] void failHere(const std::string& reason) const {
        throw CampaignError(placeOf(file_, table_.source()) + ": " + (path_.empty() ? "the file" : path_) + ": " +
                            reason);
    }
    std::string keyPath(const std::string& key) const { return path_.empty() ? key : path_ + "." + key; }
    const std::string& file() const { return file_; }

    const toml::node* find(const std::string& key) const { return table_.get(key); }
    const toml::node& require(const std::string& key) {
        const toml::node* node = find(key);
        if (!node) failHere("lacks the key " + key);
        return *node;
    }

    std::string text(const std::string& key) {
        const toml::node& node = require(key);
        const auto* value = node.as_string();
        if (!value) fail(node.source(), key, "must be a text, not " + typeName(node));
        if (value->get().empty()) fail(node.source(), key, "must not be empty");
        return value->get();
    }
    double number(const std::string& key) { return numberOf(require(key), key); }
    std::optional<double> optionalNumber(const std::string& key) {
        const toml::node* node = find(key);
        if (!node) return std::nullopt;
        return numberOf(*node, key);
    }
    double positive(const std::string& key) {
        const double value = number(key);
        if (!(value > 0)) fail(require(key).source(), key, "must be greater than 0");
        return value;
    }
    double numberOf(const toml::node& node, const std::string& key) const {
        if (const auto* i = node.as_integer()) return static_cast<double>(i->get());
        if (const auto* f = node.as_floating_point()) {
            if (!std::isfinite(f->get())) fail(node.source(), key, "must be a finite number");
            return f->get();
        }
        fail(node.source(), key, "must be a number, not " + typeName(node));
    }
    const toml::table& subtable(const std::string& key) {
        const toml::node& node = require(key);
        const auto* t = node.as_table();
        if (!t) fail(node.source(), key, "must be a table, not " + typeName(node));
        return *t;
    }
    const toml::array& array(const std::string& key) {
        const toml::node& node = require(key);
        const auto* a = node.as_array();
        if (!a) fail(node.source(), key, "must be an array, not " + typeName(node));
        if (a->empty()) fail(node.source(), key, "must not be empty");
        return *a;
    }
    // A path template, its placeholders checked against what it may hold.
    std::string pathTemplate(const std::string& key, Placeholders allowed) {
        const std::string value = text(key);
        const toml::source_region& where = require(key).source();
        for (std::size_t open = value.find_first_of("{}"); open != std::string::npos;
             open = value.find_first_of("{}", open + 1)) {
            const std::size_t close = value.find('}', open);
            if (value[open] == '}' || close == std::string::npos) fail(where, key, "has an unmatched brace");
            const std::string name = value.substr(open + 1, close - open - 1);
            const bool known =
                name == "year" || name == "field" || name == "Field" || name == "material" || name == "Material";
            if (!known)
                fail(where, key,
                     "unknown placeholder {" + name + "} (known: {year}, {field}, {Field}, {material}, {Material})");
            if ((name == "field" || name == "Field") && !allowed.field)
                fail(where, key, "{" + name + "} has no meaning here: it names no field");
            if ((name == "material" || name == "Material") && !allowed.material)
                fail(where, key, "{" + name + "} has no meaning here: it names no material");
            open = close;
        }
        return value;
    }

    static std::string typeName(const toml::node& node) {
        switch (node.type()) {
            case toml::node_type::table: return "a table";
            case toml::node_type::array: return "an array";
            case toml::node_type::string: return "a text";
            case toml::node_type::integer: return "an integer";
            case toml::node_type::floating_point: return "a number";
            case toml::node_type::boolean: return "a boolean";
            case toml::node_type::date: return "a date";
            case toml::node_type::time: return "a time";
            case toml::node_type::date_time: return "a date and time";
            default: return "nothing";
        }
    }

private:
    // The known key within two edits of `key`, if any.
    static std::string_view closestKey(std::string_view key, const std::vector<std::string_view>& known) {
        std::string_view best;
        std::size_t bestDistance = 3;
        for (const std::string_view k : known) {
            std::vector<std::size_t> row(k.size() + 1);
            for (std::size_t j = 0; j <= k.size(); ++j) row[j] = j;
            for (std::size_t i = 1; i <= key.size(); ++i) {
                std::size_t diagonal = row[0];
                row[0] = i;
                for (std::size_t j = 1; j <= k.size(); ++j) {
                    const std::size_t above = row[j];
                    row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (key[i - 1] == k[j - 1] ? 0 : 1)});
                    diagonal = above;
                }
            }
            if (row[k.size()] < bestDistance) {
                best = k;
                bestDistance = row[k.size()];
            }
        }
        return best;
    }

    const toml::table& table_;
    std::string path_;
    const std::string& file_;
};

// The tables of an array (an array of tables or of inline tables), each as a reader.
template <typename Each>
void forEachTable(TableReader& parent, const std::string& key, const toml::array& array,
                  const std::vector<std::string_view>& known, Each each) {
    for (std::size_t i = 0; i < array.size(); ++i) {
        const toml::node& node = array[i];
        const std::string path = parent.keyPath(key) + "[" + std::to_string(i) + "]";
        const auto* table = node.as_table();
        if (!table)
            throw CampaignError(placeOf(parent.file(), node.source()) + ": " + path + ": must be a table, not " +
                                TableReader::typeName(node));
        TableReader reader(*table, path, parent.file(), known);
        each(reader, i);
    }
}

// Expands a checked template.
std::string expand(std::string text, int year, std::string_view fieldName, std::string_view materialName) {
    const std::pair<std::string, std::string> values[] = {
        {"{year}", std::to_string(year)},          {"{field}", std::string(fieldName)},
        {"{Field}", capitalised(fieldName)},       {"{material}", std::string(materialName)},
        {"{Material}", capitalised(materialName)},
    };
    for (const auto& [name, value] : values)
        for (std::size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + value.size()))
            text.replace(at, name.size(), value);
    return text;
}

std::string withoutTrailingBackslash(std::string text) {
    while (!text.empty() && text.back() == '\\') text.pop_back();
    return text;
}

// A name used on the command line and in file names: letters, digits, '-' and '_'.
void checkName(TableReader& reader, const std::string& key, const toml::node& node, const std::string& name) {
    const bool plain = std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    });
    if (!plain || name.empty()) reader.fail(node.source(), key, "'" + name + "' must be letters, digits, - or _");
}

void readSamplers(TableReader& fieldReader, FieldLayout& layout) {
    const toml::array& samplers = fieldReader.array("samplers");
    std::set<std::string> ids;
    bool concentrationSeen = false;
    forEachTable(fieldReader, "samplers", samplers, {"id", "kind", "x", "y", "z"}, [&](TableReader& s, std::size_t) {
        SamplerSite site;
        site.id = s.text("id");
        const toml::node& idNode = s.require("id");
        if (!ids.insert(site.id).second) s.fail(idNode.source(), "id", "sampler " + site.id + " is named twice");
        const std::string kind = s.text("kind");
        if (kind != "deposition" && kind != "concentration")
            s.fail(s.require("kind").source(), "kind", "must be deposition or concentration, not " + kind);
        site.x = s.number("x");
        site.y = s.number("y");
        site.z = s.number("z");
        if (kind == "deposition") {
            if (concentrationSeen)
                s.fail(
                    s.require("kind").source(), "kind",
                    "deposition sampler " + site.id + " after a concentration sampler: a block lists deposition first");
            layout.deposition.push_back(site);
        } else {
            concentrationSeen = true;
            layout.concentration.push_back(site);
        }
    });
    if (layout.deposition.empty()) fieldReader.fail(samplers.source(), "samplers", "holds no deposition sampler");
}

// The block index of the sampler named by `key`, checked to be of the kind asked for.
int samplerNamed(TableReader& reader, const std::string& key, const FieldLayout& layout, bool deposition) {
    const std::string id = reader.text(key);
    const toml::node& node = reader.require(key);
    for (int i = 0; i < layout.samplerCount(); ++i) {
        if (layout.sampler(i).id != id) continue;
        if (layout.isDeposition(i) != deposition)
            reader.fail(node.source(), key,
                        "sampler " + id + " is a " + (deposition ? "concentration" : "deposition") +
                            " sampler, not a " + (deposition ? "deposition" : "concentration") + " one");
        return i;
    }
    reader.fail(node.source(), key, "names no sampler of the field: " + id);
}

void readRingsAndMast(TableReader& f, FieldLayout& layout) {
    const toml::array& rings = f.array("rings");
    if (rings.size() != 2) f.fail(rings.source(), "rings", "must hold two rings, inner first");
    forEachTable(f, "rings", rings, {"radius", "at_0", "at_90", "at_180", "at_270"},
                 [&](TableReader& r, std::size_t i) {
                     DepositionRing& ring = layout.rings[i];
                     ring.radius = r.positive("radius");
                     const char* bearings[] = {"at_0", "at_90", "at_180", "at_270"};
                     for (std::size_t b = 0; b < 4; ++b) {
                         if (!r.find(bearings[b]))
                             r.failHere(std::string("lacks the sampler at ") + (bearings[b] + 3) + " degrees (" +
                                        bearings[b] + ")");
                         ring.atBearing[b] = samplerNamed(r, bearings[b], layout, true);
                     }
                 });
    if (!(layout.rings[1].radius > layout.rings[0].radius))
        f.fail(rings.source(), "rings", "the second ring must lie outside the first");

    const toml::array& mast = f.array("mast");
    if (mast.size() < 2) f.fail(mast.source(), "mast", "must hold two levels or more");
    forEachTable(f, "mast", mast, {"sampler", "height", "layer"}, [&](TableReader& m, std::size_t i) {
        MastLevel level;
        level.sampler = samplerNamed(m, "sampler", layout, false);
        level.height = m.positive("height");
        level.layer = m.positive("layer");
        if (i > 0) {
            const MastLevel& above = layout.mast[i - 1];
            if (!(level.height < above.height))
                m.fail(m.require("height").source(), "height",
                       "mast heights must fall strictly from the top level down");
            if (level.sampler <= above.sampler)
                m.fail(m.require("sampler").source(), "sampler",
                       "mast levels must come in the order of their samplers in a block");
        }
        layout.mast.push_back(level);
    });
}

FieldLayout readField(TableReader& f, const Campaign& c) {
    FieldLayout layout;
    layout.name = f.text("name");
    checkName(f, "name", f.require("name"), layout.name);
    const std::string wind = f.pathTemplate("wind_data", {.field = true});
    layout.loggerFilePattern = f.text("logger_files");
    if (layout.loggerFilePattern.find_first_of("\\/") != std::string::npos)
        f.fail(f.require("logger_files").source(), "logger_files", "must be a file name pattern, not a path");
    layout.sonicHeight = f.optionalNumber("sonic_height");
    layout.sampleRateHz = f.optionalNumber("sample_rate_hz");
    if (layout.sampleRateHz && !(*layout.sampleRateHz > 0 && *layout.sampleRateHz <= 1000))
        f.fail(f.require("sample_rate_hz").source(), "sample_rate_hz", "must lie above 0 and up to 1000");
    if (layout.sonicHeight && !(*layout.sonicHeight > 0))
        f.fail(f.require("sonic_height").source(), "sonic_height", "must be greater than 0");
    layout.balanceLength = f.positive("balance_length");
    readSamplers(f, layout);
    layout.sourcePointSampler = samplerNamed(f, "source_point", layout, true);
    readRingsAndMast(f, layout);

    const std::string& root = c.paths.dataRoot;
    layout.windDirectory = root + "\\" + withoutTrailingBackslash(expand(wind, c.year, layout.name, "")) + "\\";
    for (const std::string& material : c.materials) {
        layout.measurementResultPaths.push_back(root + "\\" +
                                                expand(c.paths.measurementResult, c.year, layout.name, material));
        layout.wholeDataTables.push_back(expand(c.paths.wholeDataTable, c.year, layout.name, material));
        layout.testCaseTables.push_back(expand(c.paths.testCaseTable, c.year, layout.name, material));
    }
    return layout;
}

void readCalendar(TableReader& top, Campaign& c) {
    TableReader calendar(top.subtable("calendar"), "calendar", top.file(), {"day_index", "first_day"});
    const toml::node* rule = calendar.find("day_index");
    const toml::node* first = calendar.find("first_day");
    if ((rule != nullptr) == (first != nullptr))
        calendar.failHere("needs either day_index = \"august-september\" or first_day = YYYY-MM-DD");
    if (rule) {
        const auto* name = rule->as_string();
        if (!name || name->get() != "august-september")
            calendar.fail(rule->source(), "day_index", "the one rule by name is \"august-september\"");
    } else {
        const auto* date = first->as_date();
        if (!date) calendar.fail(first->source(), "first_day", "must be a date such as 2015-06-01");
        const toml::date d = date->get();
        c.calendar = calendarFrom(d.year, d.month, d.day);
    }
}

void readPaths(TableReader& top, Campaign& c) {
    TableReader paths(top.subtable("paths"), "paths", top.file(),
                      {"data_root", "measurement_result", "weather_station", "whole_data_table", "test_case_table"});
    c.paths.dataRoot = withoutTrailingBackslash(paths.text("data_root"));
    const std::string& root = c.paths.dataRoot;
    if (root.size() < 3 || !std::isalpha(static_cast<unsigned char>(root[0])) || root[1] != ':' || root[2] != '\\')
        paths.fail(paths.require("data_root").source(), "data_root",
                   "must be a Windows folder such as 'C:\\Field', not " + root);
    c.paths.measurementResult = paths.pathTemplate("measurement_result", {.field = true, .material = true});
    c.paths.weatherStation = paths.pathTemplate("weather_station", {});
    for (const char* key : {"whole_data_table", "test_case_table"}) {
        std::string& name = std::string(key) == "whole_data_table" ? c.paths.wholeDataTable : c.paths.testCaseTable;
        name = paths.pathTemplate(key, {.field = true, .material = true});
        if (name.find_first_of("\\/") != std::string::npos)
            paths.fail(paths.require(key).source(), key, "must be a file name, not a path");
    }
    c.stationDirectory = root + "\\" + withoutTrailingBackslash(expand(c.paths.weatherStation, c.year, "", "")) + "\\";
}

void readProfileAndSite(TableReader& top, Campaign& c) {
    TableReader profile(top.subtable("wind_profile"), "wind_profile", top.file(),
                        {"canopy_height", "roughness_length"});
    c.profile.canopyHeight = profile.positive("canopy_height");
    c.profile.roughnessLength = profile.positive("roughness_length");
    if (!(c.profile.roughnessLength < c.profile.canopyHeight))
        profile.fail(profile.require("roughness_length").source(), "roughness_length",
                     "must be less than the canopy height");
    if (top.find("site")) {
        TableReader site(top.subtable("site"), "site", top.file(), {"latitude"});
        c.latitude = site.optionalNumber("latitude");
        if (c.latitude && !(*c.latitude >= -90 && *c.latitude <= 90))
            site.fail(site.require("latitude").source(), "latitude", "must be between -90 and 90");
    }
}

void readQuality(TableReader& top, Campaign& c) {
    if (!top.find("quality")) return;
    TableReader quality(top.subtable("quality"), "quality", top.file(), qualityRuleNames());
    for (const std::string_view name : qualityRuleNames()) {
        const std::string key(name);
        const std::optional<double> value = quality.optionalNumber(key);
        std::string error;
        if (value && !setQualityRule(c.quality, name, *value, error))
            quality.fail(quality.require(key).source(), key, error);
    }
    const std::string problem = qualityRulesProblem(c.quality);
    if (!problem.empty()) quality.failHere(problem);
}

Campaign readTopLevel(const toml::table& table, const std::string& file) {
    TableReader top(table, "", file,
                    {"name", "year", "materials", "calendar", "paths", "wind_profile", "site", "fields", "quality"});
    Campaign c;
    c.name = top.text("name");
    const toml::node& year = top.require("year");
    if (!year.as_integer() || year.as_integer()->get() < 1 || year.as_integer()->get() > 9999)
        top.fail(year.source(), "year", "must be a whole year from 1 to 9999");
    c.year = static_cast<int>(year.as_integer()->get());
    const toml::array& materials = top.array("materials");
    for (const toml::node& m : materials) {
        const auto* name = m.as_string();
        if (!name) top.fail(m.source(), "materials", "must hold texts, not " + TableReader::typeName(m));
        checkName(top, "materials", m, name->get());
        if (std::find(c.materials.begin(), c.materials.end(), name->get()) != c.materials.end())
            top.fail(m.source(), "materials", "material " + name->get() + " is named twice");
        c.materials.push_back(name->get());
    }
    readCalendar(top, c);
    readPaths(top, c);
    readProfileAndSite(top, c);
    readQuality(top, c);

    const toml::array& fields = top.array("fields");
    forEachTable(top, "fields", fields,
                 {"name", "wind_data", "logger_files", "sonic_height", "sample_rate_hz", "source_point",
                  "balance_length", "samplers", "rings", "mast"},
                 [&](TableReader& f, std::size_t) {
                     FieldLayout layout = readField(f, c);
                     if (c.fieldIndex(layout.name) >= 0)
                         f.fail(f.require("name").source(), "name", "field " + layout.name + " is named twice");
                     c.fields.push_back(std::move(layout));
                 });
    return c;
}

}  // namespace

CampaignPtr readCampaign(std::string_view text, const std::string& sourceName) {
    toml::table table;
    try {
        table = toml::parse(text, sourceName);
    } catch (const toml::parse_error& e) {
        throw CampaignError(placeOf(sourceName, e.source()) + ": not TOML: " + std::string(e.description()));
    }
    auto campaign = std::make_shared<Campaign>(readTopLevel(table, sourceName));
    campaign->sourceText = std::string(text);
    campaign->sourceName = sourceName;
    return campaign;
}

CampaignPtr loadCampaignFile(const std::string& path) {
    std::string reason;
    std::FILE* file = openForReading(path, reason);
    if (!file) throw CampaignError(path + ": the campaign file cannot be opened: " + reason);
    std::string text;
    char block[1 << 16];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;) text.append(block, n);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) throw CampaignError(path + ": the campaign file cannot be read");
    return readCampaign(text, path);
}

}  // namespace field
