#include "run/window_sequencer.hpp"

#include "quality/quality_table.hpp"

namespace field {

void WindowSequencer::settle() {
    assessor_.settle();
    if (pendingSamplers_.empty()) return;
    // Each line ends in a comma: the window's flag follows, or nothing without a quality table.
    const std::string flag = keepQuality_ ? std::to_string(assessor_.lastFlag()) : std::string();
    std::string& rows = samplers_.row;
    rows.clear();
    std::size_t from = 0;
    std::int64_t lines = 0;
    for (std::size_t end = pendingSamplers_.find('\n'); end != std::string::npos;
         from = end + 1, end = pendingSamplers_.find('\n', from)) {
        rows.append(pendingSamplers_, from, end - from);
        rows += flag;
        rows += '\n';
        ++lines;
    }
    pendingSamplers_.clear();
    const std::int64_t writesBefore = samplers_.file.rows();
    samplers_.file.writeRow(rows);  // the window's rows in one write: all or none of them
    if (samplers_.file.rows() > writesBefore) samplerRows_ += lines;
}

void WindowSequencer::closeWindow(const ClosedWindow& w, ProgramTable& table) {
    settle();  // the window before comes out first
    if (keepQuality_) assessor_.take(w);
    summariseWindow(w.buffer, wind_, w.windowCase, variant_, site_);
    if (keepQuality_) assessor_.start(wind_);
    const std::int64_t rowsBefore = table.file().rows();
    const std::int32_t stationRecords = table.writeRow(w, wind_);
    // Only a row that reached the file counts, and only it gets a quality row.
    const bool written = table.file().rows() > rowsBefore;
    if (written) out_.countRowWritten();
    if (written && samplers_.file.isOpen()) table.appendSamplerRows(w, wind_, pendingSamplers_);

    const CaseRef row{w.caseNumber, w.windowCase.DayIndex, w.windowCase.BeginMinute, w.askedEndMinute};
    if (w.buffer.count == 0) {
        out_.countWindowWithoutSamples();
        out_.aboutCase(row, "window without accepted samples");
    }
    if (!keepQuality_ || !written) return;

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

}  // namespace field
