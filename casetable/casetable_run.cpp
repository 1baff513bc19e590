#include "casetable/casetable_run.hpp"

#include "casetable/test_case_table.hpp"
#include "common/case_window.hpp"
#include "common/measurement_file.hpp"
#include "common/messages.hpp"
#include "common/run_configuration.hpp"
#include "common/wind_statistics.hpp"
#include "common/wind_walk.hpp"
#include "platform/line_reader.hpp"

namespace field {
namespace {

// End of a sub-window: statistics and the row (the reader then advances the
// sub-window's begin and clears the buffer).
class CasetableSink final : public WindowSink {
public:
    CasetableSink(SampleBuffer& buffer, TestCaseTable& table, const std::int32_t& testCaseId)
        : buffer_(buffer), table_(table), testCaseId_(testCaseId) {}

    void closeWindow(const MeasurementCase& windowCase, std::int32_t lastWindowMinute) override {
        computeWindSummary(buffer_, wind_, windowCase, kCasetableVariant);
        writeTestCaseRow(table_, testCaseId_, windowCase, lastWindowMinute, wind_);
    }

private:
    SampleBuffer& buffer_;
    TestCaseTable& table_;
    const std::int32_t& testCaseId_;
    WindSummary wind_;
};

}  // namespace

int runCasetable(std::istream& in, std::ostream& console, const PathMapper& paths, const std::string& workDirectory) {
    const ProgramVariant& variant = kCasetableVariant;
    const RunConfiguration config = chooseRunConfiguration(in, console, variant.program);
    int status = 0;

    TestCaseTable table;
    if (table.file.create(workDirectory + "/" + config.OutputFileName)) {
        writeTestCaseHeader(table);
    } else {
        say(console, kFailToOpenFile);
        status = 1;
    }

    std::int32_t testCaseId = 0;
    SampleBuffer buffer(variant.sampleCapacity);
    CasetableSink sink(buffer, table, testCaseId);
    CaseWindowReader reader(paths, console, variant, buffer, sink);
    WindDataWalk walk(paths, console, config.FenceField);

    LineReader measurements;
    if (measurements.open(paths.toLocal(config.MeasurementResultPath))) {
        skipMeasurementHeader(measurements);
        MeasurementCase record;
        while (readMeasurementCase(measurements, config, variant, record)) {
            ++testCaseId;  // every case read uses up its number, with or without rows
            walk.walkWindDirectory(config.WindDirectory, record, reader);
        }
        measurements.close();
    } else {
        say(console, kFailToOpenFile);
        status = 1;
    }
    walk.close();
    table.file.close();
    return status;
}

}  // namespace field
