#include "quality/window_assessment.hpp"

#include <algorithm>
#include <cassert>
#include <new>
#include <string>

#include "text/number_format.hpp"

namespace field {
namespace {

std::string percentText(double value) {
    std::string text;
    appendFixed(text, value, 1);
    return text;
}

}  // namespace

WindowAssessor::WindowAssessor(const ProgramVariant& variant, const QualitySite& site, const SourceSite& source,
                               TableRows& table, RunDiagnostics& diagnostics)
    : variant_(variant), site_(site), table_(table), diagnostics_(diagnostics), interval_(variant, source, site.rules),
      slots_(std::max<std::size_t>(1, variant.windowsInFlight)),
      task_([this](std::size_t slot) { assess(slot); }, slots_.size()) {}

void WindowAssessor::fail(Slot& slot, const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        slot.failure = "not enough memory";
    } catch (const std::exception& e) {
        slot.failure = e.what();
    } catch (...) {
        slot.failure = "unknown failure";
    }
}

void WindowAssessor::keepCounts(Slot& slot, const WindowRecord& record) {
    slot.record.clear();
    slot.record.loggerLines = record.loggerLines;
    slot.record.tsRejected = record.tsRejected;
    slot.record.foreignSamples = record.foreignSamples;
    slot.record.foreignCase = record.foreignCase;
}

bool WindowAssessor::takesCopy(const ClosedWindow& window) const {
    // The copy is made the first time a window fits it, and never grows past the room.
    return static_cast<std::size_t>(window.buffer.count) <= variant_.sampleCapacity &&
           window.record.size() <= variant_.sampleCapacity;
}

void WindowAssessor::take(const ClosedWindow& window) {
    assert(inFlight_ < slots_.size());
    ++inFlight_;
    Slot& slot = newest();
    slot.failure.clear();
    slot.onThread = false;
    slot.ended = false;
    spotBuffer_ = nullptr;
    spotRecord_ = nullptr;
    slot.samplesTaken = window.buffer.count;
    slot.asked = askedWindow(window.windowCase.DayIndex, window.windowCase.BeginMinute, window.askedEndMinute);
    if (window.record.incomplete()) {
        slot.failure = "not enough memory for the sample times";
        keepCounts(slot, window.record);
        return;
    }
    try {
        slot.windowCase = window.windowCase;
        if (takesCopy(window)) {
            slot.samples.copyFrom(window.buffer);
            slot.record = window.record;
            slot.onThread = true;
        } else {
            assert(inFlight_ == 1);  // the estimator and the thread are free
            slot.quality = WindowQuality{};
            assessRawSamples(window.buffer, window.record, slot.asked, site_, slot.quality);
            spotBuffer_ = &window.buffer;
            spotRecord_ = &window.record;
        }
    } catch (...) {
        fail(slot, std::current_exception());
    }
}

void WindowAssessor::start(const WindSummary& wind) {
    Slot& slot = newest();
    slot.wind = wind;
    if (slot.onThread) {
        task_.start(static_cast<std::size_t>(&slot - slots_.data()));
        return;
    }
    if (spotBuffer_ == nullptr) return;  // failed in take()
    try {
        // The row is computed by now and the reader clears the buffer next: rotated in place.
        rotateSamples(*spotBuffer_);
        assessRotatedSamples(*spotBuffer_, *spotRecord_, slot.asked, slot.wind, site_, slot.quality);
        assessSourceInterval(interval_, slot.windowCase, slot.wind, site_.rules, slot.quality);
    } catch (...) {
        fail(slot, std::current_exception());
    }
    keepCounts(slot, *spotRecord_);  // the reader clears the window's record next
    spotBuffer_ = nullptr;
    spotRecord_ = nullptr;
}

void WindowAssessor::end(const CaseRef& row, const QualityRowKeys& keys) {
    Slot& slot = newest();
    slot.row = row;
    slot.keys = keys;
    slot.ended = true;
}

// On the second thread: the raw samples first, then the same rotation the table row was
// computed with, on the copy; u* and L are the row's own.
void WindowAssessor::assess(std::size_t at) {
    Slot& slot = slots_[at];
    slot.quality = WindowQuality{};
    assessRawSamples(slot.samples, slot.record, slot.asked, site_, slot.quality);
    rotateSamples(slot.samples);
    assessRotatedSamples(slot.samples, slot.record, slot.asked, slot.wind, site_, slot.quality);
    assessSourceInterval(interval_, slot.windowCase, slot.wind, site_.rules, slot.quality);
}

void WindowAssessor::settle() {
    while (inFlight_ > 0) settleOldest();
}

void WindowAssessor::settleOldest() {
    if (inFlight_ == 0) return;
    Slot& slot = slots_[oldest_];
    oldest_ = (oldest_ + 1) % slots_.size();
    --inFlight_;  // first: the lines below come back here through the diagnostics
    if (slot.onThread) {
        // The thread takes the slots in the order they were started: this one is its oldest.
        try {
            task_.wait();
        } catch (...) {
            fail(slot, std::current_exception());
        }
    }
    if (!slot.ended) return;  // a window whose row never reached the table: no quality row either
    WindowQuality& quality = slot.quality;
    const WindowRecord& record = slot.record;
    if (!slot.failure.empty()) {
        quality = WindowQuality{};
        quality.samples = slot.samplesTaken;
        quality.assessed = false;
    }
    lastFlag_ = quality.flag;
    const std::int64_t rowsBefore = table_.file.rows();
    writeQualityRow(table_, variant_.program, slot.keys, record, quality);
    if (table_.file.rows() > rowsBefore) diagnostics_.countQualityRow(quality.flag);
    const CaseRef& row = slot.row;
    if (!slot.failure.empty()) {
        ++notAssessed_;
        diagnostics_.aboutCase(row, "window quality not assessed: " + slot.failure);
        return;
    }

    const double low = site_.rules.coverageFlag1;
    if (slot.samplesTaken > record.foreignSamples && quality.coveragePercent < low)
        diagnostics_.aboutCase(row, "coverage " + percentText(quality.coveragePercent) + " % of the window, below " +
                                        percentText(low) + " %");
    if (quality.invalidSamples > 0)
        diagnostics_.aboutCase(row, std::to_string(quality.invalidSamples) +
                                        " invalid samples (u, v or w not a number or beyond " +
                                        percentText(site_.rules.windLimit) + " m/s): the row's statistics hold them");
    if (record.foreignSamples > 0) {
        const CaseRef& f = record.foreignCase;
        diagnostics_.aboutCase(row, "row holds " + std::to_string(record.foreignSamples) + " samples of case " +
                                        std::to_string(f.number) + " (DayIndex " + std::to_string(f.dayIndex) +
                                        ", BeginMinute " + std::to_string(f.beginMinute) + ", EndMinute " +
                                        std::to_string(f.endMinute) + "), whose window ran past the last logger file");
    }
}

}  // namespace field
