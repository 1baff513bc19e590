#pragma once
// Cutting a case's time window out of the logger files: lines before the
// window are passed over, accepted samples inside it are buffered, the first
// line behind it closes it and runs the program's end-of-window actions.

#include <cstdint>
#include <ostream>
#include <string>

#include "common/logger_record.hpp"
#include "common/measurement_case.hpp"
#include "common/program_variant.hpp"
#include "common/wind_statistics.hpp"
#include "platform/directory_search.hpp"
#include "platform/line_reader.hpp"
#include "platform/windows_path.hpp"

namespace field {

/// The program's end-of-window actions (statistics, summaries, row). The reader
/// itself then advances a sub-window's begin and clears the sample buffer.
class WindowSink {
public:
    virtual ~WindowSink() = default;
    /// Called once per closed window with its own copy of the case and the last window minute.
    virtual void closeWindow(const MeasurementCase& windowCase, std::int32_t lastWindowMinute) = 0;
};

/// The logger reader: one open file carried from case to case, its header
/// state and line count, and the last window minute (never reset).
class CaseWindowReader {
public:
    CaseWindowReader(const PathMapper& paths, std::ostream& console, const ProgramVariant& variant,
                     SampleBuffer& buffer, WindowSink& sink)
        : paths_(paths), console_(console), variant_(variant), buffer_(buffer), sink_(sink) {}

    /// Reads on in the open logger file (or opens `loggerPath` when none is open)
    /// for the case. True when the case is finished; false when the file ended or
    /// could not be opened first (the walk then supplies the next file). At the
    /// end of a file the walk's `loggerMarker` search is closed.
    bool readCaseWindow(MeasurementCase& walkCase, const std::string& loggerPath, DirectorySearch& loggerMarker);

    std::int32_t lastWindowMinute() const { return lastWindowMinute_; }

private:
    void closeWindow(MeasurementCase& walkCase);

    const PathMapper& paths_;
    std::ostream& console_;
    const ProgramVariant& variant_;
    SampleBuffer& buffer_;
    WindowSink& sink_;

    LineReader file_;
    TimestampCache timestamps_;
    bool headerPending_ = true;
    std::int32_t lineCount_ = 0;
    std::int32_t lastWindowMinute_ = 0;
};

}  // namespace field
