#include "common/window_assessment.hpp"

#include <string>

#include "common/number_format.hpp"

namespace field {
namespace {

std::string percentText(double value) {
    std::string text;
    appendFixed(text, value, 1);
    return text;
}

}  // namespace

WindowAssessor::WindowAssessor(const ProgramVariant& variant, const SiteFacts& site, bool fenceField,
                               QualityTable& table, RunDiagnostics& diagnostics)
    : variant_(variant), site_(site), fenceField_(fenceField), table_(table), diagnostics_(diagnostics),
      samples_(variant.sampleCapacity), record_(variant.sampleCapacity), task_([this] { assess(); }) {}

void WindowAssessor::take(const ClosedWindow& window) {
    task_.wait();  // (settled already: the thread is idle)
    samples_.copyFrom(window.buffer);
    record_ = *window.record;
    asked_ = askedWindow(window.windowCase.DayIndex, window.windowCase.BeginMinute, window.askedEndMinute);
}

void WindowAssessor::start(const WindSummary& wind) {
    wind_ = wind;
    task_.start();
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
    assessRawSamples(samples_, quality_);
    rotateSamples(samples_);
    assessRotatedSamples(samples_, record_, asked_, wind_, site_.sonicHeight(fenceField_), site_.latitude, quality_);
}

void WindowAssessor::settle() {
    if (!pending_) return;
    pending_ = false;  // first: the lines below come back here through the diagnostics
    task_.wait();
    writeQualityRow(table_, variant_.program, keys_, record_, quality_);
    ++diagnostics_.rowsByFlag[quality_.flag];

    if (samples_.count > record_.foreignSamples && quality_.coveragePercent < kLowCoveragePercent)
        diagnostics_.aboutCase(row_, "coverage " + percentText(quality_.coveragePercent) + " % of the window, below " +
                                         percentText(kLowCoveragePercent) + " %");
    if (record_.foreignSamples > 0) {
        const CaseRef& f = record_.foreignCase;
        diagnostics_.aboutCase(row_, "row holds " + std::to_string(record_.foreignSamples) + " samples of case " +
                                         std::to_string(f.number) + " (DayIndex " + std::to_string(f.dayIndex) +
                                         ", BeginMinute " + std::to_string(f.beginMinute) + ", EndMinute " +
                                         std::to_string(f.endMinute) + "), whose window ran past the last logger file");
    }
}

}  // namespace field
