#pragma once
// The quality of each closed window, assessed on a second thread while the
// reader goes on with the next window. The assessment works on its own copy
// of the window's samples and times, so the reader's buffer is free at once.
// The quality row and its diagnostic lines come out exactly where a run that
// assessed every window on the spot would put them: after the window's own
// table row and lines, before anything that follows its close.

#include <cstdint>

#include "common/case_window.hpp"
#include "common/program_variant.hpp"
#include "common/quality_table.hpp"
#include "common/run_diagnostics.hpp"
#include "common/window_quality.hpp"
#include "platform/background_task.hpp"

namespace field {

class WindowAssessor {
public:
    /// Writes rows to `table` and lines to `diagnostics`; both outlive the assessor.
    WindowAssessor(const ProgramVariant& variant, const SiteFacts& site, bool fenceField, QualityTable& table,
                   RunDiagnostics& diagnostics);

    /// Copies a closed window's samples and record; call after settle() and before the
    /// window's statistics rotate its buffer.
    void take(const ClosedWindow& window);
    /// Starts assessing the window taken, with the u* and L of its table row.
    void start(const WindSummary& wind);
    /// The window handed over last has its table row and lines: its quality row may follow
    /// from now on. `row` names the window in diagnostics.
    void end(const CaseRef& row, const QualityRowKeys& keys);
    /// Writes the quality row and lines of the window ended last, once it is assessed;
    /// nothing when there is none. Call before any other output that follows the window.
    void settle();

private:
    void assess();

    const ProgramVariant& variant_;
    const SiteFacts& site_;
    const bool fenceField_;
    QualityTable& table_;
    RunDiagnostics& diagnostics_;

    // The window being assessed: written by begin(), read by the second thread, then by settle().
    SampleBuffer samples_;
    WindowRecord record_;
    AskedWindow asked_;
    WindSummary wind_;
    WindowQuality quality_;

    CaseRef row_;
    QualityRowKeys keys_;
    bool pending_ = false;  // ended, not yet settled
    BackgroundTask task_;   // last: stopped before the window it reads goes
};

}  // namespace field
