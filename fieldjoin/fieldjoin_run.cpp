#include "fieldjoin/fieldjoin_run.hpp"

#include "fieldjoin/sampler_table.hpp"
#include "fieldjoin/weather_station.hpp"
#include "fieldjoin/whole_data_table.hpp"

namespace field {
namespace {

// A window's row: the weather means of its window beside its statistics.
class WholeDataRows final : public ProgramTable {
public:
    WholeDataRows(const RunConfiguration& config, const PathMapper& paths, std::ostream& console,
                  Diagnostics& diagnostics)
        : config_(config),
          station_(paths, console, diagnostics, config.campaign->stationDirectory, config.campaign->calendar) {}

    bool create(const std::string& localPath) override {
        if (!table_.file.create(localPath)) return false;
        writeWholeDataHeader(table_, config_);
        return true;
    }
    std::int32_t writeRow(const ClosedWindow& w, const WindSummary& wind) override {
        WeatherSummary weather;  // each window starts from zero sums
        const std::int32_t records =
            station_.summariseWeather(w.windowCase, w.buffer.count, weather, caseRef(w.windowCase, w.caseNumber));
        writeWholeDataRow(table_, w.windowCase, w.lastWindowMinute, wind, weather, config_);
        return records;
    }
    TableFile& file() override { return table_.file; }
    void finish() override { station_.close(); }
    std::string samplerTableName(const std::string& tableName) const override {
        return field::samplerTableName(tableName);
    }
    void writeSamplerHeader(TableRows& samplers) const override { field::writeSamplerHeader(samplers); }
    void appendSamplerRows(const ClosedWindow& w, const WindSummary& wind, std::string& rows) override {
        field::appendSamplerRows(rows, w.windowCase, w.lastWindowMinute, wind, config_.layout());
    }

private:
    const RunConfiguration config_;
    StationCursor station_;
    TableRows table_;
};

std::unique_ptr<ProgramTable> makeWholeDataRows(const RunConfiguration& config, const PathMapper& paths,
                                                std::ostream& console, Diagnostics& diagnostics) {
    return std::make_unique<WholeDataRows>(config, paths, console, diagnostics);
}

}  // namespace

int runFieldjoin(const RunStreams& streams, const PathMapper& paths, const RunOptions& options) {
    return runProgram(kFieldjoinVariant, makeWholeDataRows, streams, paths, options);
}

int runFieldjoin(std::istream& in, std::ostream& console, const PathMapper& paths, const std::string& workDirectory) {
    return runDialogue(runFieldjoin, in, console, paths, workDirectory);
}

}  // namespace field
