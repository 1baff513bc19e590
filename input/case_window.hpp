#pragma once
// Cutting a case's time window out of the logger files: lines before the
// window are passed over, accepted samples inside it are buffered, the first
// line behind it closes it and runs the program's end-of-window actions.

#include <cstdint>
#include <ostream>
#include <string>

#include "input/logger_record.hpp"
#include "input/measurement_case.hpp"
#include "input/program_variant.hpp"
#include "input/sample_buffer.hpp"
#include "input/window_record.hpp"
#include "platform/line_reader.hpp"
#include "platform/windows_path.hpp"
#include "text/diagnostics.hpp"

namespace field {

/// A window as it closes: the case copy (its BeginMinute is the sub-window's
/// begin), the case's number, and the samples.
struct ClosedWindow {
    const MeasurementCase& windowCase;
    std::int32_t caseNumber;
    std::int32_t lastWindowMinute;  // what the tables print as the window's end
    std::int32_t askedEndMinute;    // the end the case or sub-window asked for
    SampleBuffer& buffer;
    const WindowRecord* record;  // the quality record; null when no quality table is written
};

/// The program's end-of-window actions (statistics, summaries, rows). The reader
/// itself then advances a sub-window's begin and clears the sample buffer.
class WindowSink {
public:
    virtual ~WindowSink() = default;
    /// Called once per closed window.
    virtual void closeWindow(const ClosedWindow& window) = 0;
};

/// What became of one logger file for a case.
enum class WindowRead {
    Finished,   // the case's window is closed (or lies behind the data)
    FileEnded,  // the file ended first: the case goes on in the next file
    NotOpened,  // the file could not be opened
};

/// The logger reader: one open file carried from case to case, its header
/// state and line count, and the last window minute (never reset).
class CaseWindowReader {
public:
    /// `record` is null when no quality is kept; `diagnostics` may be null.
    CaseWindowReader(const PathMapper& paths, std::ostream& console, const ProgramVariant& variant,
                     SampleBuffer& buffer, WindowSink& sink, WindowRecord* record = nullptr,
                     RunDiagnostics* diagnostics = nullptr)
        : paths_(paths), console_(console), variant_(variant), buffer_(buffer), sink_(sink), record_(record),
          diagnostics_(diagnostics) {
        file_.setPrefetch(true);  // logger files are big: read the next block while this one is parsed
        // A long window that finds no memory for more samples keeps them and gives up its times.
        if (record_ != nullptr) buffer_.onShortage([record] { return record->release(); });
    }

    /// Announces the next case (numbered from 1) before its files are read.
    void beginCase(const MeasurementCase& nextCase, std::int32_t caseNumber);

    /// Reads on in the open logger file (or opens `loggerPath` when none is open) for the case.
    WindowRead readCaseWindow(MeasurementCase& walkCase, const std::string& loggerPath);

    /// Reports samples left in the buffer that no row will hold (end of the run).
    void endRun();

    std::int32_t lastWindowMinute() const { return lastWindowMinute_; }
    /// Number of the case being read, 0 before the first.
    std::int32_t caseNumber() const { return caseNumber_; }
    /// The case being read as the diagnostics name it.
    CaseRef currentCase() const { return current_; }

private:
    void closeWindow(MeasurementCase& walkCase);

    const PathMapper& paths_;
    std::ostream& console_;
    const ProgramVariant& variant_;
    SampleBuffer& buffer_;
    WindowSink& sink_;
    WindowRecord* record_;
    RunDiagnostics* diagnostics_;

    LineReader file_;
    std::string localPath_;  // of the open file, for the diagnostics
    TimestampCache timestamps_;
    bool headerPending_ = true;
    std::int32_t lineCount_ = 0;
    std::int32_t lastWindowMinute_ = 0;

    std::int32_t caseNumber_ = 0;
    CaseRef current_;
    MeasurementCase currentCase_;
    std::int32_t rowsOfCase_ = 0;
    bool anyLineRead_ = false;
    LoggerTime lastLine_;  // day and minute of the last data line read
};

}  // namespace field
