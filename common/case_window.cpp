#include "common/case_window.hpp"

#include "common/logger_record.hpp"
#include "common/messages.hpp"

namespace field {

void CaseWindowReader::closeWindow(MeasurementCase& walkCase) {
    sink_.closeWindow(walkCase, lastWindowMinute_);
    if (variant_.subWindows) {
        walkCase.BeginMinute = static_cast<std::int32_t>(static_cast<std::uint32_t>(walkCase.BeginMinute) + 30u);
    }
    buffer_.clear();
}

bool CaseWindowReader::readCaseWindow(MeasurementCase& walkCase, const std::string& loggerPath,
                                      DirectorySearch& loggerMarker) {
    if (headerPending_ && !file_.open(paths_.toLocal(loggerPath))) {
        say(console_, kFailToOpenFile);
        return false;
    }
    std::string_view line;
    if (headerPending_) {
        for (int i = 0; i < 4; ++i) file_.next(line);
        headerPending_ = false;
    }
    const std::int32_t day = walkCase.DayIndex;
    const std::int32_t endMinute = walkCase.EndMinute;
    while (file_.next(line)) {
        ++lineCount_;
        if (line.empty()) continue;  // no timestamp at all: neither closes a window nor enters one
        LoggerTime t;
        if (!timestamps_.convert(line, variant_.yearCheck, t)) {
            std::string_view ignored;
            t = parseLoggerTimestamp(timestampField(line, ignored), variant_.yearCheck);
        }

        if (t.day < day || (t.day == day && t.minute < walkCase.BeginMinute)) continue;
        if (!variant_.subWindows) {
            if (t.day > day) {
                if (buffer_.count >= 1) closeWindow(walkCase);
                return true;
            }
            if (t.minute >= endMinute) {
                closeWindow(walkCase);
                return true;
            }
        } else {
            // Wraps instead of overflowing for a begin minute near the int range.
            const std::int64_t subWindowEnd = std::int64_t{walkCase.BeginMinute} + 30;
            const bool later = t.day > day;
            if ((later && buffer_.count >= 1) || (!later && (t.minute >= subWindowEnd || t.minute >= endMinute)))
                closeWindow(walkCase);
            if (later || t.minute >= endMinute) return true;
        }
        lastWindowMinute_ = t.minute;
        std::string_view rest;
        timestampField(line, rest);
        const SonicValues s = parseSonicValues(rest);
        if (s.Ts > 10.0f && s.Ts < 40.0f) buffer_.append(s.u, s.v, s.w, s.Ts);
    }
    headerPending_ = true;
    file_.close();
    loggerMarker.close();
    sayLineCount(console_, lineCount_);
    lineCount_ = 0;
    return false;
}

}  // namespace field
