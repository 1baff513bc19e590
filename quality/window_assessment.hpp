#pragma once
// The quality of each closed window, assessed on a second thread while the
// reader goes on with the next windows. The assessment works on its own copy
// of the window's samples and times, so the reader's buffer is free at once;
// a few windows may wait for the thread, each in a slot of its own (the
// sub-windows of a long case come faster than one is assessed). The quality rows
// come out in the order of the windows, each when the caller settles it: after
// the window's own table row and lines, before anything that follows. A window
// larger than the copy's room is assessed on the spot instead, with no copy, once
// every window before it is settled: a long window's quality costs 4 bytes a
// sample beside the buffer, not 28. A window that cannot be assessed (no memory,
// a failure on the thread) gets a row that says so, and the run fails.

#include <cstdint>
#include <exception>
#include <string>
#include <vector>

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
    /// Up to `variant.windowsInFlight` windows are taken and not yet settled at a time.
    WindowAssessor(const ProgramVariant& variant, const QualitySite& site, const SourceSite& source, TableRows& table,
                   RunDiagnostics& diagnostics);

    /// True when the window is copied and assessed on the thread; false when it is assessed on
    /// the spot, which needs every window before it settled.
    bool takesCopy(const ClosedWindow& window) const;
    /// Copies a closed window's samples and record (or, for a window larger than the copy's
    /// room, assesses its raw samples on the spot); needs a free slot (inFlight() below the depth).
    void take(const ClosedWindow& window);
    /// Starts assessing the window taken (on the spot: finishes it, rotating the window's own
    /// buffer, whose row is computed by now) with the u* and L of its table row.
    void start(const WindSummary& wind);
    /// The window taken last has its table row and lines: its quality row will be written when
    /// it is settled. `row` names the window in diagnostics. A window never ended gets no row.
    void end(const CaseRef& row, const QualityRowKeys& keys);
    /// Writes the quality row and lines of the oldest window taken (once it is assessed), if it
    /// was ended; frees its slot. Nothing when no window is in flight.
    void settleOldest();
    /// settleOldest() for every window in flight.
    void settle();
    /// Windows taken and not yet settled.
    std::size_t inFlight() const { return inFlight_; }

    /// Windows that got a not-assessed row.
    std::int32_t notAssessed() const { return notAssessed_; }
    /// The flag of the window settled last (2 for one not assessed).
    int lastFlag() const { return lastFlag_; }

private:
    // A window between take() and its settling: the copy, what it was asked for, its quality.
    struct Slot {
        SampleBuffer samples{0};
        WindowRecord record;
        AskedWindow asked;
        MeasurementCase windowCase;
        WindSummary wind;
        WindowQuality quality;
        std::int32_t samplesTaken = 0;
        bool onThread = false;  // assessed on the second thread
        bool ended = false;     // its row is to be written
        std::string failure;    // why it cannot be assessed; empty while it can
        CaseRef row;
        QualityRowKeys keys;
    };

    void assess(std::size_t slot);
    Slot& newest() { return slots_[(oldest_ + inFlight_ - 1) % slots_.size()]; }
    static void keepCounts(Slot& slot, const WindowRecord& record);
    static void fail(Slot& slot, const std::exception_ptr& failure);

    const ProgramVariant& variant_;
    const QualitySite site_;
    TableRows& table_;
    RunDiagnostics& diagnostics_;
    SourceIntervalEstimator
        interval_;  // used by one window at a time: on the thread, or on the spot with none in flight

    std::vector<Slot> slots_;  // a ring: inFlight_ of them from oldest_ on
    std::size_t oldest_ = 0;
    std::size_t inFlight_ = 0;
    // A window assessed on the spot: its own buffer and record, between take() and start().
    SampleBuffer* spotBuffer_ = nullptr;
    const WindowRecord* spotRecord_ = nullptr;
    std::int32_t notAssessed_ = 0;
    int lastFlag_ = 0;
    BackgroundTask task_;  // last: stopped before the windows it reads go
};

}  // namespace field
