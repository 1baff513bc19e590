#include "run/program_run.hpp"

#include <sstream>
#include <string>

#include "input/measurement_file.hpp"
#include "input/wind_walk.hpp"
#include "platform/line_reader.hpp"
#include "quality/quality_table.hpp"
#include "quality/window_assessment.hpp"
#include "run/console_answers.hpp"
#include "text/messages.hpp"

namespace field {
namespace {

// The end of every window, the same for both programs: the statistics and the
// program's row, then the quality row and its diagnostics (from the assessor).
class WindowCloser final : public WindowSink {
public:
    WindowCloser(const ProgramVariant& variant, ProgramTable& table, WindowAssessor* assessor,
                 RunDiagnostics& diagnostics)
        : variant_(variant), table_(table), assessor_(assessor), diagnostics_(diagnostics) {}

    void closeWindow(const ClosedWindow& w) override {
        settle();  // the window before comes out first
        const bool assess = assessor_ != nullptr && w.record != nullptr;
        if (assess) assessor_->take(w);
        summariseWindow(w.buffer, wind_, w.windowCase, variant_);
        if (assess) assessor_->start(wind_);
        const std::int64_t rowsBefore = table_.file().rows();
        const std::int32_t stationRecords = table_.writeRow(w, wind_);
        // Only a row that reached the file counts, and only it gets a quality row.
        const bool written = table_.file().rows() > rowsBefore;
        if (written) ++diagnostics_.rowsWritten;

        const CaseRef row{w.caseNumber, w.windowCase.DayIndex, w.windowCase.BeginMinute, w.askedEndMinute};
        if (w.buffer.count == 0) {
            ++diagnostics_.windowsWithoutSamples;
            diagnostics_.aboutCase(row, "window without accepted samples");
        }
        if (!assess || !written) return;

        QualityRowKeys keys;
        keys.testCaseId = w.caseNumber;
        keys.dayIndex = w.windowCase.DayIndex;
        keys.beginMinute = w.windowCase.BeginMinute;
        keys.endMinute = w.lastWindowMinute;
        keys.windowMinutes = static_cast<std::int32_t>(static_cast<std::uint32_t>(w.askedEndMinute) -
                                                       static_cast<std::uint32_t>(w.windowCase.BeginMinute));
        keys.stationRecords = stationRecords;
        assessor_->end(row, keys);
    }

    /// Writes out the quality of the last window closed, if still pending.
    void settle() {
        if (assessor_ != nullptr) assessor_->settle();
    }

private:
    const ProgramVariant& variant_;
    ProgramTable& table_;
    WindowAssessor* assessor_;
    RunDiagnostics& diagnostics_;
    WindSummary wind_;
};

// False once a table can no longer be written or is no longer the file at its path
// (removed, or its folder): the run stops, as rows would be lost.
bool tablesWritable(TableFile& table, TableFile& quality) {
    const bool tableFine = table.checkStillAtPath();
    return quality.checkStillAtPath() && tableFine;
}

// A table that failed on the way: the path and the system's reason, once.
bool reportFailedTable(const TableFile& file, RunDiagnostics& diagnostics) {
    if (!file.failed()) return false;
    diagnostics.aboutRun(fileProblem("table cannot be written", file.path(), file.error()));
    return true;
}

}  // namespace

int runDialogue(RunFunction run, std::istream& in, std::ostream& console, const PathMapper& paths,
                const std::string& workDirectory) {
    std::ostringstream discarded;
    RunOptions options;
    options.outputDirectory = workDirectory;
    return run(RunStreams{in, console, discarded}, paths, options);
}

const char* programName(Program program) { return program == Program::Fieldjoin ? "fieldjoin" : "casetable"; }

int runProgram(const ProgramVariant& variant, ProgramTableFactory makeTable, const RunStreams& streams,
               const PathMapper& paths, const RunOptions& options) {
    const RunConfiguration config =
        options.answers ? makeRunConfiguration(options.answers->fenceField, options.answers->seedData, variant.program)
                        : chooseRunConfiguration(streams.in, streams.console, variant.program);
    RunDiagnostics diagnostics(streams.diagnostics, programName(variant.program));
    int status = 0;

    const std::unique_ptr<ProgramTable> table = makeTable(config, paths, streams.console, diagnostics);
    const std::string tablePath = options.outputDirectory + "/" + config.OutputFileName;
    if (!table->create(tablePath)) {
        say(streams.console, kFailToOpenFile);
        diagnostics.aboutRun(fileProblem("table cannot be created", tablePath, table->file().error()));
        status = 1;
    }
    // A quality table stands only beside a table.
    QualityTable quality;
    const bool assess = options.qualityTable && table->file().isOpen();
    if (assess) {
        const std::string qualityPath = options.outputDirectory + "/" + qualityTableName(config.OutputFileName);
        if (quality.file.create(qualityPath)) {
            writeQualityHeader(quality, variant.program);
        } else {
            diagnostics.aboutRun(fileProblem("quality table cannot be created", qualityPath, quality.file.error()));
            status = 1;
        }
    }
    const bool keepQuality = assess && quality.file.isOpen();

    SampleBuffer buffer(variant.sampleCapacity);
    WindowRecord record(variant.sampleCapacity);
    WindowAssessor assessor(variant, options.site.forField(config.FenceField), quality, diagnostics);
    WindowCloser closer(variant, *table, keepQuality ? &assessor : nullptr, diagnostics);
    // Every line on the error stream first lets the quality of the window before it out.
    diagnostics.setBeforeLine([&closer] { closer.settle(); });
    CaseWindowReader reader(paths, streams.console, variant, buffer, closer, keepQuality ? &record : nullptr,
                            &diagnostics);
    WindDataWalk walk(paths, streams.console, config.FenceField, &diagnostics);

    LineReader measurements;
    const std::string measurementPath = paths.toLocal(config.MeasurementResultPath);
    if (measurements.open(measurementPath)) {
        skipMeasurementHeader(measurements);
        MeasurementCase next;
        std::int32_t number = 0;
        while (readMeasurementCase(measurements, config, variant, next)) {
            ++number;  // every case read uses up its number, with or without rows
            ++diagnostics.casesRead;
            reader.beginCase(next, number);
            walk.walkWindDirectory(config.WindDirectory, next, reader);
            // A table that can no longer be written ends the run: rows would be lost.
            if (!tablesWritable(table->file(), quality.file)) break;
        }
        closer.settle();
        reader.endRun();
        if (measurements.failed())
            diagnostics.readError({}, "measurement-result file", measurementPath, measurements.error());
        measurements.close();
    } else {
        say(streams.console, kFailToOpenFile);
        diagnostics.aboutRun(
            fileProblem("measurement-result file cannot be opened", measurementPath, measurements.error()));
        status = 1;
    }
    walk.close();
    closer.settle();
    table->finish();
    table->file().close();
    quality.file.close();
    if (reportFailedTable(table->file(), diagnostics)) status = 1;
    if (reportFailedTable(quality.file, diagnostics)) status = 1;
    if (diagnostics.readErrors > 0 || assessor.notAssessed() > 0) status = 1;
    diagnostics.summary(keepQuality);
    diagnostics.setBeforeLine({});
    return status;
}

}  // namespace field
