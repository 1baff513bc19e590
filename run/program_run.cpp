#include "run/program_run.hpp"

#include <limits>
#include <sstream>
#include <stdexcept>
#include <string>

#include "input/measurement_file.hpp"
#include "input/wind_walk.hpp"
#include "platform/file_open.hpp"
#include "platform/line_reader.hpp"
#include "quality/quality_table.hpp"
#include "quality/window_assessment.hpp"
#include "run/console_answers.hpp"
#include "run/run_progress.hpp"
#include "run/window_sequencer.hpp"
#include "text/messages.hpp"

namespace field {
namespace {

// False once a table can no longer be written or is no longer the file at its path
// (removed, or its folder): the run stops, as rows would be lost.
bool tablesWritable(TableFile& table, TableFile& quality, TableFile& samplers) {
    const bool tableFine = table.checkStillAtPath();
    const bool qualityFine = quality.checkStillAtPath();
    return samplers.checkStillAtPath() && tableFine && qualityFine;
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

namespace {

// The two tables of a run, created before any input is opened; gives false when one cannot
// be created (the run goes on without it). A quality table stands only beside a table.
bool createTables(ProgramTable& table, TableRows& quality, TableRows& samplers, const RunConfiguration& config,
                  Program program, const RunOptions& options, std::ostream& console, RunDiagnostics& diagnostics) {
    const std::string tablePath = options.outputDirectory + "/" + config.OutputFileName;
    if (!table.create(tablePath)) {
        say(console, kFailToOpenFile);
        diagnostics.aboutRun(fileProblem("table cannot be created", tablePath, table.file().error()));
        return false;
    }
    if (options.qualityTable) {
        const std::string qualityPath = options.outputDirectory + "/" + qualityTableName(config.OutputFileName);
        if (!quality.file.create(qualityPath)) {
            diagnostics.aboutRun(fileProblem("quality table cannot be created", qualityPath, quality.file.error()));
            return false;
        }
        writeQualityHeader(quality, program);
    }
    const std::string samplerName = table.samplerTableName(config.OutputFileName);
    if (!options.samplerTable || samplerName.empty()) return true;
    const std::string samplerPath = options.outputDirectory + "/" + samplerName;
    if (!samplers.file.create(samplerPath)) {
        diagnostics.aboutRun(fileProblem("sampler table cannot be created", samplerPath, samplers.file.error()));
        return false;
    }
    table.writeSamplerHeader(samplers);
    return true;
}

// The cases of the measurement-result file, read once before the run for the progress line; -1
// when it cannot be read (the run says why).
std::int32_t countCases(const RunConfiguration& config, const ProgramVariant& variant, const PathMapper& paths) {
    LineReader measurements;
    if (!measurements.open(paths.toLocal(config.MeasurementResultPath))) return -1;
    skipMeasurementHeader(measurements);
    MeasurementCase next;
    BlockFit fit;
    std::int32_t cases = 0;
    while (readMeasurementCase(measurements, config, variant, next, fit)) ++cases;
    return cases;
}

// The case loop: every case of the measurement-result file through the walk, each closed
// window through the sequencer. False when the file cannot be opened.
bool readCases(const RunConfiguration& config, const ProgramVariant& variant, const PathMapper& paths,
               CaseWindowReader& reader, WindDataWalk& walk, WindowSequencer& sequencer, ProgramTable& table,
               TableRows& quality, TableRows& samplers, RunDiagnostics& diagnostics, std::ostream& console,
               ProgressLine& progress) {
    LineReader measurements;
    const std::string measurementPath = paths.toLocal(config.MeasurementResultPath);
    if (!measurements.open(measurementPath)) {
        say(console, kFailToOpenFile);
        sequencer.aboutRun(
            fileProblem("measurement-result file cannot be opened", measurementPath, measurements.error()));
        return false;
    }
    skipMeasurementHeader(measurements);
    MeasurementCase next;
    std::int32_t number = 0;
    BlockFit fit;
    bool misfitReported = false;  // once per file: a misfit block shifts every block behind it
    while (readMeasurementCase(measurements, config, variant, next, fit)) {
        ++number;  // every case read uses up its number, with or without rows
        diagnostics.countCaseRead();
        if (!misfitReported) {
            const std::string problem = blockFitProblem(fit, config.layout());
            if (!problem.empty()) {
                sequencer.aboutCase(caseRef(next, number), problem);
                misfitReported = true;
            }
        }
        reader.beginCase(next, number);
        walk.beginCase(next);
        while (walk.nextWindow(config.WindDirectory, reader)) {
            sequencer.closeWindow(reader.closedWindow(), table);
            progress.update(number - 1, reader.loggerBytesRead());
        }
        progress.update(number, reader.loggerBytesRead());
        // A table that can no longer be written ends the run: rows would be lost.
        if (!tablesWritable(table.file(), quality.file, samplers.file)) break;
    }
    sequencer.settle();
    reader.endRun();
    if (measurements.failed())
        sequencer.readError({}, "measurement-result file", measurementPath, measurements.error());
    measurements.close();
    return true;
}

}  // namespace

int runProgram(const ProgramVariant& variant, ProgramTableFactory makeTable, const RunStreams& streams,
               const PathMapper& paths, const RunOptions& options) {
    const CampaignPtr& campaign = options.campaign;
    if (!options.answers && !dialogueFits(*campaign))
        throw std::invalid_argument(
            "the campaign's fields and materials are not two each: name them on the command line");
    const RunConfiguration config =
        options.answers
            ? makeRunConfiguration(campaign, options.answers->field, options.answers->material, variant.program)
            : chooseRunConfiguration(streams.in, streams.console, campaign, variant.program);
    // Every line on standard error goes through the progress line, which gives way to it.
    ProgressLine progress(streams.diagnostics, programName(variant.program),
                          options.progressDelay.value_or(std::numeric_limits<double>::infinity()));
    std::ostream throughProgress(&progress);
    RunDiagnostics diagnostics(options.progressDelay ? throughProgress : streams.diagnostics,
                               programName(variant.program));
    TableRows quality, samplers;
    const SourceSite site = sourceSiteOf(*campaign, config.layout());
    WindowAssessor assessor(variant, options.site.forField(config.layout(), *campaign), site, quality, diagnostics);
    // Every stage reports through the sequencer, which lets the quality of the window before out first.
    WindowSequencer sequencer(variant, site, assessor, samplers, diagnostics);

    const std::unique_ptr<ProgramTable> table = makeTable(config, paths, streams.console, sequencer);
    int status =
        createTables(*table, quality, samplers, config, variant.program, options, streams.console, diagnostics) ? 0 : 1;
    const bool keepQuality = quality.file.isOpen();
    if (keepQuality) sequencer.keepQuality();

    SampleBuffer buffer(variant.sampleCapacity);
    WindowRecord record(variant.sampleCapacity, keepQuality);
    CaseWindowReader reader(paths, streams.console, variant, timestampRule(variant, *campaign), buffer, record,
                            sequencer);
    WindDataWalk walk(paths, streams.console, config.layout().loggerFilePattern, sequencer);
    if (options.progressDelay) progress.setCases(countCases(config, variant, paths));
    if (!readCases(config, variant, paths, reader, walk, sequencer, *table, quality, samplers, diagnostics,
                   streams.console, progress))
        status = 1;

    walk.close();
    sequencer.settle();
    table->finish();
    table->file().close();
    quality.file.close();
    samplers.file.close();
    if (reportFailedTable(table->file(), diagnostics)) status = 1;
    if (reportFailedTable(quality.file, diagnostics)) status = 1;
    if (reportFailedTable(samplers.file, diagnostics)) status = 1;
    if (diagnostics.readErrors() > 0 || assessor.notAssessed() > 0) status = 1;
    progress.clear();
    diagnostics.summary(keepQuality);
    if (options.strict && status == 0 && (diagnostics.rowsWritten() == 0 || diagnostics.problems() > 0))
        status = kExitStrict;
    if (streams.report) {
        RunReport& r = *streams.report;
        r.field = config.fieldName();
        r.material = config.materialName();
        r.status = status;
        const std::string measurements = paths.toLocal(config.MeasurementResultPath);
        r.inputs = {{"measurement-result file", measurements, fileSize(measurements)},
                    {"wind-data folder", paths.toLocal(config.WindDirectory), -1}};
        if (variant.program == Program::Fieldjoin)
            r.inputs.push_back({"station folder", paths.toLocal(campaign->stationDirectory), -1});
        const auto output = [&r](std::string kind, const TableFile& file, std::int64_t rows) {
            if (!file.path().empty()) r.outputs.push_back({std::move(kind), file.path(), rows});
        };
        output("table", table->file(), diagnostics.rowsWritten());
        if (keepQuality) output("quality table", quality.file, quality.file.rows() - 2);
        output("sampler table", samplers.file, sequencer.samplerRowsWritten());
        r.casesRead = diagnostics.casesRead();
        r.rowsWritten = diagnostics.rowsWritten();
        r.windowsWithoutSamples = diagnostics.windowsWithoutSamples();
        if (keepQuality)
            r.rowsByFlag = {diagnostics.rowsWithFlag(0), diagnostics.rowsWithFlag(1), diagnostics.rowsWithFlag(2)};
        r.diagnostics = diagnostics.records();
    }
    return status;
}

}  // namespace field
