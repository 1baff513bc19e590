#pragma once
// Problems of a run, one line each on the error stream, naming the case and
// the file; and the closing summary. Standard output keeps its own messages.

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>

#include "text/case_ref.hpp"

namespace field {

class RunDiagnostics {
public:
    RunDiagnostics(std::ostream& out, std::string_view program) : out_(out), program_(program) {}

    /// Runs `hook` before each line written (lines it writes itself included); empty: none.
    void setBeforeLine(std::function<void()> hook) { beforeLine_ = std::move(hook); }

    /// One line about a case: "<program>: case N (DayIndex d, BeginMinute b, EndMinute e): <text>".
    void aboutCase(const CaseRef& c, std::string_view text);
    /// One line about the run as a whole: "<program>: <text>".
    void aboutRun(std::string_view text);

    // Counts for the closing summary.
    std::int32_t casesRead = 0;
    std::int32_t rowsWritten = 0;
    std::int32_t rowsByFlag[3] = {0, 0, 0};
    std::int32_t windowsWithoutSamples = 0;
    std::int32_t problems = 0;
    std::int32_t readErrors = 0;  // input files that failed in the middle: the run fails

    /// A file that failed to read in the middle (not at its end): reported, and the run fails.
    void readError(const CaseRef& c, std::string_view what, std::string_view path, std::string_view reason);

    /// The closing summary line; the flags only when a quality table was written.
    void summary(bool withFlags);

private:
    void beforeLine() {
        if (beforeLine_) beforeLine_();
    }

    std::ostream& out_;
    std::string program_;
    std::function<void()> beforeLine_;
};

/// "text: path (reason)", the way file problems are worded.
std::string fileProblem(std::string_view text, std::string_view path, std::string_view reason = {});

}  // namespace field
