#include "fieldjoin/fieldjoin_run.hpp"

#include "common/case_window.hpp"
#include "common/measurement_file.hpp"
#include "common/messages.hpp"
#include "common/run_configuration.hpp"
#include "common/wind_statistics.hpp"
#include "common/wind_walk.hpp"
#include "fieldjoin/weather_station.hpp"
#include "fieldjoin/whole_data_table.hpp"
#include "platform/line_reader.hpp"

namespace field {
namespace {

// End of a case window: statistics, weather means, the row.
class FieldjoinSink final : public WindowSink {
public:
    FieldjoinSink(const RunConfiguration& config, SampleBuffer& buffer, StationCursor& station, WholeDataTable& table)
        : config_(config), buffer_(buffer), station_(station), table_(table) {}

    void closeWindow(const MeasurementCase& windowCase, std::int32_t lastWindowMinute) override {
        computeWindSummary(buffer_, wind_, windowCase, kFieldjoinVariant);
        station_.summariseWeather(windowCase, buffer_.count, weather_);
        writeWholeDataRow(table_, windowCase, lastWindowMinute, wind_, weather_, config_);
    }

private:
    const RunConfiguration& config_;
    SampleBuffer& buffer_;
    StationCursor& station_;
    WholeDataTable& table_;
    WindSummary wind_;
    WeatherSummary weather_;
};

}  // namespace

int runFieldjoin(std::istream& in, std::ostream& console, const PathMapper& paths, const std::string& workDirectory) {
    const ProgramVariant& variant = kFieldjoinVariant;
    const RunConfiguration config = chooseRunConfiguration(in, console, variant.program);
    int status = 0;

    WholeDataTable table;
    if (table.file.create(workDirectory + "/" + config.OutputFileName)) {
        writeWholeDataHeader(table, config);
    } else {
        say(console, kFailToOpenFile);
        status = 1;
    }

    SampleBuffer buffer(variant.sampleCapacity);
    StationCursor station(paths, console);
    FieldjoinSink sink(config, buffer, station, table);
    CaseWindowReader reader(paths, console, variant, buffer, sink);
    WindDataWalk walk(paths, console, config.FenceField);

    LineReader measurements;
    if (measurements.open(paths.toLocal(config.MeasurementResultPath))) {
        skipMeasurementHeader(measurements);
        MeasurementCase record;
        while (readMeasurementCase(measurements, config, variant, record))
            walk.walkWindDirectory(config.WindDirectory, record, reader);
        measurements.close();
    } else {
        say(console, kFailToOpenFile);
        status = 1;
    }
    walk.close();
    station.close();
    table.file.close();
    return status;
}

}  // namespace field
