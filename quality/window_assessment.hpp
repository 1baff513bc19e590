#pragma once
// The quality of each closed window, assessed on a second thread while the
// reader goes on with the next window. The assessment works on its own copy
// of the window's samples and times, so the reader's buffer is free at once.
// The quality row and its diagnostic lines come out exactly where a run that
// assessed every window on the spot would put them: after the window's own
// table row and lines, before anything that follows its close. A window larger
// than the copy's room is assessed on the spot instead, with no copy: a long
// window's quality costs 4 bytes a sample beside the buffer, not 28. A window
// that cannot be assessed (no memory, a failure on the thread) gets a row that
// says so, and the run fails.

#include <cstdint>
#include <exception>
#include <string>

#include "input/case_window.hpp"
#include "input/program_variant.hpp"
#include "platform/background_task.hpp"
#include "quality/quality_table.hpp"
#include "quality/window_quality.hpp"
#include "text/diagnostics.hpp"

namespace field {

class WindowAssessor {
public:
    /// Writes rows to `table` and lines to `diagnostics`; they and `source` outlive the assessor.
    WindowAssessor(const ProgramVariant& variant, const QualitySite& site, const SourceSite& source, TableRows& table,
                   RunDiagnostics& diagnostics);

    /// Copies a closed window's samples and record (or, for a window larger than the copy's
    /// room, assesses its raw samples on the spot); call after settle().
    void take(const ClosedWindow& window);
    /// Starts assessing the window taken (on the spot: finishes it, rotating the window's own
    /// buffer, whose row is computed by now) with the u* and L of its table row.
    void start(const WindSummary& wind);
    /// The window handed over last has its table row and lines: its quality row may follow
    /// from now on. `row` names the window in diagnostics.
    void end(const CaseRef& row, const QualityRowKeys& keys);
    /// Writes the quality row and lines of the window ended last, once it is assessed;
    /// nothing when there is none. Call before any other output that follows the window.
    void settle();

    /// Windows that got a not-assessed row.
    std::int32_t notAssessed() const { return notAssessed_; }
    /// The flag of the window settled last (2 for one not assessed).
    int lastFlag() const { return quality_.flag; }

private:
    void assess();
    void waitQuietly();
    void keepCounts(const WindowRecord& record);
    void fail(const std::exception_ptr& failure);

    const ProgramVariant& variant_;
    const QualitySite site_;
    TableRows& table_;
    RunDiagnostics& diagnostics_;

    // The window being assessed: written by begin(), read by the second thread, then by settle().
    SampleBuffer samples_;
    WindowRecord record_;
    AskedWindow asked_;
    MeasurementCase case_;
    WindSummary wind_;
    SourceIntervalEstimator interval_;
    WindowQuality quality_;

    // A window assessed on the spot: its own buffer and record, between take() and start().
    SampleBuffer* spotBuffer_ = nullptr;
    const WindowRecord* spotRecord_ = nullptr;
    std::int32_t samplesTaken_ = 0;
    bool onThread_ = false;  // the window taken is assessed on the second thread
    std::string failure_;    // why the window taken cannot be assessed; empty while it can
    std::int32_t notAssessed_ = 0;

    CaseRef row_;
    QualityRowKeys keys_;
    bool pending_ = false;  // ended, not yet settled
    BackgroundTask task_;   // last: stopped before the window it reads goes
};

}  // namespace field
