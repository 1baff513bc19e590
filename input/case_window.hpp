#pragma once
// Cutting a case's time window out of the logger files: lines before the
// window are passed over, accepted samples inside it are buffered, the first
// line behind it closes it and runs the program's end-of-window actions.

#include <cstdint>
#include <ostream>
#include <string>

#include "input/campaign.hpp"
#include "input/logger_record.hpp"
#include "input/measurement_case.hpp"
#include "input/program_variant.hpp"
#include "input/sample_buffer.hpp"
#include "input/sonic_layouts.hpp"
#include "input/window_record.hpp"
#include "platform/line_reader.hpp"
#include "platform/windows_path.hpp"
#include "text/diagnostics.hpp"

namespace field {

/// A window as it closes: the case copy (its BeginMinute is the sub-window's
/// begin), the case's number, and the samples. Valid until the reader reads on.
struct ClosedWindow {
    const MeasurementCase& windowCase;
    std::int32_t caseNumber;
    std::int32_t lastWindowMinute;  // what the tables print as the window's end
    std::int32_t askedEndMinute;    // the end the case or sub-window asked for
    SampleBuffer& buffer;           // the statistics read it; a quality assessment on the spot may rotate it
    const WindowRecord& record;     // the quality record; empty when no quality is kept
};

/// What became of one logger file for a case.
enum class WindowRead {
    Closed,     // a window of the case closed: closedWindow() until the next call, which reads on behind it
    Finished,   // the case's window is closed (or lies behind the data)
    FileEnded,  // the file ended first: the case goes on in the next file
    NotOpened,  // the file could not be opened
};

/// The logger reader: one open file carried from case to case, its header
/// state and line count, and the last window minute (never reset). It hands
/// each closed window out and goes on only when called again.
/// The timestamp rule of `variant` (its year check) in `campaign` (its year and calendar).
inline TimestampRule timestampRule(const ProgramVariant& variant, const Campaign& campaign) {
    return {variant.yearCheck, campaign.year, campaign.calendar};
}

class CaseWindowReader {
public:
    /// `record` keeps times and counts only when it is kept (WindowRecord::kept()).
    CaseWindowReader(const PathMapper& paths, std::ostream& console, const ProgramVariant& variant,
                     const TimestampRule& rule, SampleBuffer& buffer, WindowRecord& record, Diagnostics& diagnostics)
        : paths_(paths), console_(console), variant_(variant), rule_(rule), buffer_(buffer), record_(record),
          diagnostics_(diagnostics) {
        file_.setPrefetch(true);  // logger files are big: read the next block while this one is parsed
        // A long window that finds no memory for more samples keeps them and gives up its times.
        if (record_.kept()) buffer_.onShortage([&record] { return record.release(); });
    }

    /// Announces the next case (numbered from 1) before its files are read.
    void beginCase(const MeasurementCase& nextCase, std::int32_t caseNumber);

    /// Reads on in the open logger file (or opens `loggerPath` when none is open) for the case,
    /// up to the next window that closes or the end of the case or of the file.
    WindowRead readCaseWindow(MeasurementCase& walkCase, const std::string& loggerPath);

    /// The window that closed last (after WindowRead::Closed, until the next read).
    ClosedWindow closedWindow() const;

    /// Reports samples left in the buffer that no row will hold (end of the run).
    void endRun();
    /// Bytes of logger data read so far.
    std::uint64_t loggerBytesRead() const { return file_.bytesRead(); }

    std::int32_t lastWindowMinute() const { return lastWindowMinute_; }
    /// The case being read as the diagnostics name it.
    CaseRef currentCase() const { return current_; }

private:
    // What follows a closed window once it has been taken.
    enum class AfterClose { Finish, ReadOn };
    WindowRead closeWindow(MeasurementCase& walkCase, AfterClose after);
    void releaseWindow(MeasurementCase& walkCase);
    bool openFile(const std::string& loggerPath);
    // Every in-window line goes through here: inlined into the reading loop.
    [[gnu::always_inline]] void acceptLine(std::string_view line, const LoggerTime& t, bool canonical);
    // The day and minute of a line; true when they were read by fixed positions (canonical).
    [[gnu::always_inline]] bool timeOf(std::string_view line, LoggerTime& t);

    const PathMapper& paths_;
    std::ostream& console_;
    const ProgramVariant& variant_;
    const TimestampRule rule_;
    SampleBuffer& buffer_;
    WindowRecord& record_;
    Diagnostics& diagnostics_;

    LineReader file_;
    std::string localPath_;  // of the open file, for the diagnostics
    TimestampCache timestamps_;
    SonicLayouts layouts_;  // the values of lines laid out like one read before
    bool fileOpen_ = false;
    std::int32_t lineCount_ = 0;
    std::int32_t lastWindowMinute_ = 0;

    std::int32_t caseNumber_ = 0;
    CaseRef current_;
    std::int32_t rowsOfCase_ = 0;
    bool anyLineRead_ = false;
    LoggerTime lastLine_;  // day and minute of the last data line read

    // The window handed out, and the line that closed it (a view into the reader's block,
    // which stays put until the next read).
    bool closed_ = false;
    AfterClose afterClose_ = AfterClose::Finish;
    const MeasurementCase* closedCase_ = nullptr;
    std::int32_t closedAskedEnd_ = 0;
    std::string_view closingLine_;
    LoggerTime closingTime_;
    bool closingCanonical_ = false;
};

}  // namespace field
