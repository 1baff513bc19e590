#include "run/window_sequencer.hpp"

#include <algorithm>
#include <utility>

#include "quality/quality_table.hpp"

namespace field {

void WindowSequencer::settle() {
    while (!pending_.empty()) settleOldest();
}

void WindowSequencer::settleOldest() {
    Pending window = std::move(pending_.front());
    pending_.pop_front();  // first: the assessor's lines come back here
    if (window.assessed) assessor_.settleOldest();
    if (window.samplers.empty()) return;
    // Each line ends in a comma: the window's flag follows, or nothing without a quality table.
    const std::string flag = keepQuality_ ? std::to_string(assessor_.lastFlag()) : std::string();
    std::string& rows = samplers_.row;
    rows.clear();
    std::size_t from = 0;
    std::int64_t lines = 0;
    const std::string& pending = window.samplers;
    for (std::size_t end = pending.find('\n'); end != std::string::npos;
         from = end + 1, end = pending.find('\n', from)) {
        rows.append(pending, from, end - from);
        rows += flag;
        rows += '\n';
        ++lines;
    }
    const std::int64_t writesBefore = samplers_.file.rows();
    samplers_.file.writeRow(rows);  // the window's rows in one write: all or none of them
    if (samplers_.file.rows() > writesBefore) samplerRows_ += lines;
}

void WindowSequencer::closeWindow(const ClosedWindow& w, ProgramTable& table) {
    // The windows before come out first, as many as needed for a free slot: all of them
    // without a quality table and before a window assessed on the spot.
    const bool copied = keepQuality_ && assessor_.takesCopy(w);
    const std::size_t mayWait = copied ? std::max<std::size_t>(1, variant_.windowsInFlight) - 1 : 0;
    while (pending_.size() > mayWait) settleOldest();
    if (keepQuality_) assessor_.take(w);
    summariseWindow(w.buffer, wind_, w.windowCase, variant_, site_);
    if (keepQuality_) assessor_.start(wind_);
    const std::int64_t rowsBefore = table.file().rows();
    const std::int32_t stationRecords = table.writeRow(w, wind_);
    // Only a row that reached the file counts, and only it gets a quality row.
    const bool written = table.file().rows() > rowsBefore;
    if (written) out_.countRowWritten();
    Pending closed;
    closed.assessed = keepQuality_;
    if (written && samplers_.file.isOpen()) table.appendSamplerRows(w, wind_, closed.samplers);

    const CaseRef row{w.caseNumber, w.windowCase.DayIndex, w.windowCase.BeginMinute, w.askedEndMinute};
    if (w.buffer.count == 0) {
        out_.countWindowWithoutSamples();
        aboutCase(row, "window without accepted samples");  // after the quality of the windows before
    }
    if (keepQuality_ && written) {
        QualityRowKeys keys;
        keys.testCaseId = w.caseNumber;
        keys.dayIndex = w.windowCase.DayIndex;
        keys.beginMinute = w.windowCase.BeginMinute;
        keys.endMinute = w.lastWindowMinute;
        keys.windowMinutes = static_cast<std::int32_t>(static_cast<std::uint32_t>(w.askedEndMinute) -
                                                       static_cast<std::uint32_t>(w.windowCase.BeginMinute));
        keys.stationRecords = stationRecords;
        assessor_.end(row, keys);
    }
    pending_.push_back(std::move(closed));
}

}  // namespace field
