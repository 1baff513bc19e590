#include "run/run_summary.hpp"

#include <cstdio>
#include <nlohmann/json.hpp>

#include "field_version.hpp"
#include "platform/file_open.hpp"
#include "run/program_run.hpp"

namespace field {
namespace {

nlohmann::ordered_json fileJson(const RunReport::File& f, const char* sizeName) {
    nlohmann::ordered_json j{{"kind", f.kind}, {"path", f.path}};
    if (f.size >= 0) j[sizeName] = f.size;
    return j;
}

nlohmann::ordered_json runJson(const RunReport& r) {
    nlohmann::ordered_json j;
    j["field"] = r.field;
    j["material"] = r.material;
    j["exit_status"] = r.status;
    j["inputs"] = nlohmann::ordered_json::array();
    for (const RunReport::File& f : r.inputs) j["inputs"].push_back(fileJson(f, "bytes"));
    j["outputs"] = nlohmann::ordered_json::array();
    for (const RunReport::File& f : r.outputs) j["outputs"].push_back(fileJson(f, "rows"));
    j["cases_read"] = r.casesRead;
    j["rows_written"] = r.rowsWritten;
    if (r.rowsByFlag)
        j["rows_by_flag"] = {{"0", (*r.rowsByFlag)[0]}, {"1", (*r.rowsByFlag)[1]}, {"2", (*r.rowsByFlag)[2]}};
    j["windows_without_samples"] = r.windowsWithoutSamples;
    j["diagnostics"] = nlohmann::ordered_json::array();
    for (const DiagnosticRecord& d : r.diagnostics) {
        nlohmann::ordered_json record{{"kind", d.kind}};
        if (d.forCase.number > 0)
            record["case"] = {{"number", d.forCase.number},
                              {"day_index", d.forCase.dayIndex},
                              {"begin_minute", d.forCase.beginMinute},
                              {"end_minute", d.forCase.endMinute}};
        if (!d.file.empty()) record["file"] = d.file;
        record["message"] = d.message;
        j["diagnostics"].push_back(std::move(record));
    }
    return j;
}

}  // namespace

std::string runSummaryJson(Program program, const Campaign& campaign, const std::vector<RunReport>& runs, int status) {
    nlohmann::ordered_json j;
    j["program"] = programName(program);
    j["version"] = kFieldVersion;
    j["campaign"] = {{"name", campaign.name}, {"source", campaign.sourceName}};
    j["exit_status"] = status;
    j["runs"] = nlohmann::ordered_json::array();
    for (const RunReport& r : runs) j["runs"].push_back(runJson(r));
    // Texts from files may hold bytes that are no UTF-8: replaced, never a failed summary.
    return j.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}

bool writeRunSummary(const std::string& path, const std::string& json, std::string& error) {
    std::FILE* file = createForTable(path, error);
    if (!file) return false;
    const bool written = std::fwrite(json.data(), 1, json.size(), file) == json.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) error = "the write failed";
    return written && closed;
}

}  // namespace field
