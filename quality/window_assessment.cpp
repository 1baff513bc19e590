#include "quality/window_assessment.hpp"

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
    : variant_(variant), site_(site), table_(table), diagnostics_(diagnostics), samples_(0),
      interval_(variant, source, site.rules), task_([this] { assess(); }) {}

void WindowAssessor::waitQuietly() {
    try {
        task_.wait();
    } catch (...) {
        // A window whose row never reached the table: its quality is not written either.
    }
}

void WindowAssessor::fail(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const std::bad_alloc&) {
        failure_ = "not enough memory";
    } catch (const std::exception& e) {
        failure_ = e.what();
    } catch (...) {
        failure_ = "unknown failure";
    }
}

void WindowAssessor::keepCounts(const WindowRecord& record) {
    record_.clear();
    record_.loggerLines = record.loggerLines;
    record_.tsRejected = record.tsRejected;
    record_.foreignSamples = record.foreignSamples;
    record_.foreignCase = record.foreignCase;
}

void WindowAssessor::take(const ClosedWindow& window) {
    waitQuietly();  // (settled already: the thread is idle)
    failure_.clear();
    onThread_ = false;
    spotBuffer_ = nullptr;
    spotRecord_ = nullptr;
    samplesTaken_ = window.buffer.count;
    asked_ = askedWindow(window.windowCase.DayIndex, window.windowCase.BeginMinute, window.askedEndMinute);
    if (window.record.incomplete()) {
        failure_ = "not enough memory for the sample times";
        keepCounts(window.record);
        return;
    }
    try {
        case_ = window.windowCase;
        // The copy is made the first time a window fits it, and never grows past the room.
        if (static_cast<std::size_t>(window.buffer.count) <= variant_.sampleCapacity &&
            window.record.size() <= variant_.sampleCapacity) {
            samples_.copyFrom(window.buffer);
            record_ = window.record;
            onThread_ = true;
        } else {
            quality_ = WindowQuality{};
            assessRawSamples(window.buffer, window.record, asked_, site_, quality_);
            spotBuffer_ = &window.buffer;
            spotRecord_ = &window.record;
        }
    } catch (...) {
        fail(std::current_exception());
    }
}

void WindowAssessor::start(const WindSummary& wind) {
    wind_ = wind;
    if (onThread_) {
        task_.start();
        return;
    }
    if (spotBuffer_ == nullptr) return;  // failed in take()
    try {
        // The row is computed by now and the reader clears the buffer next: rotated in place.
        rotateSamples(*spotBuffer_);
        assessRotatedSamples(*spotBuffer_, *spotRecord_, asked_, wind_, site_, quality_);
        assessSourceInterval(interval_, case_, wind_, site_.rules, quality_);
    } catch (...) {
        fail(std::current_exception());
    }
    keepCounts(*spotRecord_);  // the reader clears the window's record next
    spotBuffer_ = nullptr;
    spotRecord_ = nullptr;
}

void WindowAssessor::end(const CaseRef& row, const QualityRowKeys& keys) {
    row_ = row;
    keys_ = keys;
    pending_ = true;
}

// On the second thread: the raw samples first, then the same rotation the table row was
// computed with, on the copy; u* and L are the row's own.
void WindowAssessor::assess() {
    quality_ = WindowQuality{};
    assessRawSamples(samples_, record_, asked_, site_, quality_);
    rotateSamples(samples_);
    assessRotatedSamples(samples_, record_, asked_, wind_, site_, quality_);
    assessSourceInterval(interval_, case_, wind_, site_.rules, quality_);
}

void WindowAssessor::settle() {
    if (!pending_) return;
    pending_ = false;  // first: the lines below come back here through the diagnostics
    if (onThread_) {
        try {
            task_.wait();
        } catch (...) {
            fail(std::current_exception());
        }
    }
    if (!failure_.empty()) {
        quality_ = WindowQuality{};
        quality_.samples = samplesTaken_;
        quality_.assessed = false;
    }
    const std::int64_t rowsBefore = table_.file.rows();
    writeQualityRow(table_, variant_.program, keys_, record_, quality_);
    if (table_.file.rows() > rowsBefore) diagnostics_.countQualityRow(quality_.flag);
    if (!failure_.empty()) {
        ++notAssessed_;
        diagnostics_.aboutCase(row_, "window quality not assessed: " + failure_);
        return;
    }

    const double low = site_.rules.coverageFlag1;
    if (samplesTaken_ > record_.foreignSamples && quality_.coveragePercent < low)
        diagnostics_.aboutCase(row_, "coverage " + percentText(quality_.coveragePercent) + " % of the window, below " +
                                         percentText(low) + " %");
    if (quality_.invalidSamples > 0)
        diagnostics_.aboutCase(row_, std::to_string(quality_.invalidSamples) +
                                         " invalid samples (u, v or w not a number or beyond " +
                                         percentText(site_.rules.windLimit) + " m/s): the row's statistics hold them");
    if (record_.foreignSamples > 0) {
        const CaseRef& f = record_.foreignCase;
        diagnostics_.aboutCase(row_, "row holds " + std::to_string(record_.foreignSamples) + " samples of case " +
                                         std::to_string(f.number) + " (DayIndex " + std::to_string(f.dayIndex) +
                                         ", BeginMinute " + std::to_string(f.beginMinute) + ", EndMinute " +
                                         std::to_string(f.endMinute) + "), whose window ran past the last logger file");
    }
}

}  // namespace field
