#include "input/case_window.hpp"

#include <algorithm>
#include <string>

#include "input/logger_record.hpp"
#include "platform/simd.hpp"
#include "text/messages.hpp"

namespace field {
namespace {

std::string countText(std::int64_t n, std::string_view what) { return std::to_string(n) + " " + std::string(what); }

}  // namespace

void CaseWindowReader::beginCase(const MeasurementCase& nextCase, std::int32_t caseNumber) {
    if (caseNumber_ > 0 && rowsOfCase_ == 0) {
        if (buffer_.count > 0)
            diagnostics_.aboutCase(current_,
                                   "its window runs past the last logger file: " + countText(buffer_.count, "samples") +
                                       " stay in the buffer and go into the next window that closes");
        else
            diagnostics_.aboutCase(current_, "no row written: no accepted sample in its window");
    }
    if (record_.kept()) {
        if (buffer_.count == 0) {
            record_.clear();
        } else {
            // Samples an earlier case left behind: the next row holds them as well.
            if (record_.foreignCase.number == 0) record_.foreignCase = current_;
            record_.foreignSamples = buffer_.count;
        }
    }
    caseNumber_ = caseNumber;
    current_ = caseRef(nextCase, caseNumber);
    rowsOfCase_ = 0;

    if (anyLineRead_) {
        // The files are read forward only: data behind the last line read is gone for this case.
        const bool past = lastLine_.day > nextCase.DayIndex ||
                          (lastLine_.day == nextCase.DayIndex && lastLine_.minute >= nextCase.EndMinute);
        const bool inside = lastLine_.day == nextCase.DayIndex && lastLine_.minute > nextCase.BeginMinute;
        const std::string at = " (last line read: DayIndex " + std::to_string(lastLine_.day) + ", minute " +
                               std::to_string(lastLine_.minute) + ", " + localPath_ + ")";
        if (past)
            diagnostics_.aboutCase(current_,
                                   "window lies before logger data already read, cases out of time order" + at);
        else if (inside)
            diagnostics_.aboutCase(current_, "window begins before logger data already read" + at);
    }
}

void CaseWindowReader::endRun() {
    if (caseNumber_ == 0 || rowsOfCase_ > 0) return;
    if (buffer_.count > 0)
        diagnostics_.aboutCase(current_, "its window runs past the last logger file: " +
                                             countText(buffer_.count, "samples") + " are in no row");
    else
        diagnostics_.aboutCase(current_, "no row written: no accepted sample in its window");
}

ClosedWindow CaseWindowReader::closedWindow() const {
    return ClosedWindow{*closedCase_, caseNumber_, lastWindowMinute_, closedAskedEnd_, buffer_, record_};
}

WindowRead CaseWindowReader::closeWindow(MeasurementCase& walkCase, AfterClose after) {
    closedAskedEnd_ = walkCase.EndMinute;
    if (variant_.subWindows)
        closedAskedEnd_ = static_cast<std::int32_t>(
            std::min<std::int64_t>(std::int64_t{walkCase.BeginMinute} + 30, walkCase.EndMinute));
    closedCase_ = &walkCase;
    closed_ = true;
    afterClose_ = after;
    ++rowsOfCase_;
    return WindowRead::Closed;
}

void CaseWindowReader::releaseWindow(MeasurementCase& walkCase) {
    closed_ = false;
    if (variant_.subWindows) {
        walkCase.BeginMinute = static_cast<std::int32_t>(static_cast<std::uint32_t>(walkCase.BeginMinute) + 30u);
    }
    buffer_.clear();
    record_.clear();
}

bool CaseWindowReader::openFile(const std::string& loggerPath) {
    localPath_ = paths_.toLocal(loggerPath);
    if (!file_.open(localPath_)) {
        say(console_, kFailToOpenFile);
        // No path: the walk found no logger file and has said so already.
        if (!loggerPath.empty())
            diagnostics_.aboutCase(current_, fileProblem("logger file cannot be opened", localPath_, file_.error()));
        return false;
    }
    std::string_view header;
    for (int i = 0; i < 4; ++i) file_.next(header);
    fileOpen_ = true;
    return true;
}

namespace {

// Whether c[23] is a comma and c[18] to c[22] are not (the line holds 24 bytes at least).
[[gnu::always_inline]] inline bool commaAt23Only(const char* c) {
#if FIELD_SSE2
    // Bytes 8 to 23 in one compare: bits 10 to 15 of the mask are bytes 18 to 23.
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(c + 8));
    const auto commas = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(','))));
    return (commas >> 10) == 0x20;
#else
    return c[23] == ',' && c[18] != ',' && c[19] != ',' && c[20] != ',' && c[21] != ',' && c[22] != ',';
#endif
}

}  // namespace

inline void CaseWindowReader::acceptLine(std::string_view line, const LoggerTime& t, bool canonical) {
    lastWindowMinute_ = t.minute;
    std::string_view rest;
    // A canonical 10 Hz stamp ("...:SS.f" and its quote) ends at the comma at 23: the first comma
    // where positions 0 to 17 hold none (the canonical shape) and 18 to 22 none either.
    if (canonical && line.size() > 23 && commaAt23Only(line.data()))
        rest = line.substr(24);
    else
        timestampField(line, rest);
    const SonicValues s = layouts_.parse(rest);
    const bool accepted = s.Ts > 10.0f && s.Ts < 40.0f;
    if (accepted) buffer_.append(s.u, s.v, s.w, s.Ts);
    if (record_.kept()) {
        ++record_.loggerLines;
        if (accepted) {
            // A canonical line's seconds start right behind its minute; another line may be
            // shorter than that (its seconds are read from its own timestamp below).
            const std::string_view secondsPart = line.substr(std::min<std::size_t>(18, line.size()));
            if (canonical && isTenthsText(secondsPart)) {
                record_.addTenthsSample(t.day, t.minute, tenthsMilliseconds(secondsPart));
            } else {
                record_.addSample(t.day, t.minute, canonical ? secondsText(secondsPart) : timestampSeconds(line));
            }
        } else
            ++record_.tsRejected;
    }
}

inline bool CaseWindowReader::timeOf(std::string_view line, LoggerTime& t) {
    if (timestamps_.convert(line, rule_, t)) return true;
    std::string_view ignored;
    t = parseLoggerTimestamp(timestampField(line, ignored), rule_);
    return false;
}

WindowRead CaseWindowReader::readCaseWindow(MeasurementCase& walkCase, const std::string& loggerPath) {
    if (closed_) {
        // The window handed out last has been taken: on behind it.
        releaseWindow(walkCase);
        if (afterClose_ == AfterClose::Finish) return WindowRead::Finished;
        acceptLine(closingLine_, closingTime_, closingCanonical_);  // the line opens the next sub-window
    } else if (!fileOpen_ && !openFile(loggerPath)) {
        return WindowRead::NotOpened;
    }
    const std::int32_t day = walkCase.DayIndex;
    const std::int32_t endMinute = walkCase.EndMinute;
    std::string_view line;
    while (file_.next(line)) {
        ++lineCount_;
        if (line.empty()) continue;  // no timestamp at all: neither closes a window nor enters one
        LoggerTime t;
        const bool canonical = timeOf(line, t);
        lastLine_ = t;
        anyLineRead_ = true;

        if (t.day < day || (t.day == day && t.minute < walkCase.BeginMinute)) {
            // The lines of the same minute that follow lie before the window as well: counted,
            // not looked at one by one.
            if (canonical) lineCount_ += static_cast<std::int32_t>(file_.skipLinesStartingWith(timestamps_.prefix()));
            continue;
        }
        if (!variant_.subWindows) {
            if (t.day > day) {
                if (buffer_.count >= 1) return closeWindow(walkCase, AfterClose::Finish);
                return WindowRead::Finished;
            }
            if (t.minute >= endMinute) return closeWindow(walkCase, AfterClose::Finish);
        } else {
            // Wraps instead of overflowing for a begin minute near the int range.
            const std::int64_t subWindowEnd = std::int64_t{walkCase.BeginMinute} + 30;
            const bool later = t.day > day;
            const bool caseEnds = later || t.minute >= endMinute;
            if ((later && buffer_.count >= 1) || (!later && (t.minute >= subWindowEnd || t.minute >= endMinute))) {
                closingLine_ = line;
                closingTime_ = t;
                closingCanonical_ = canonical;
                return closeWindow(walkCase, caseEnds ? AfterClose::Finish : AfterClose::ReadOn);
            }
            if (caseEnds) return WindowRead::Finished;
        }
        acceptLine(line, t, canonical);
    }
    if (file_.failed()) diagnostics_.readError(current_, "logger file", localPath_, file_.error());
    fileOpen_ = false;
    file_.close();
    sayLineCount(console_, lineCount_);
    lineCount_ = 0;
    return WindowRead::FileEnded;
}

}  // namespace field
