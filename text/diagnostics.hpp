#pragma once
// Problems of a run, one line each on the error stream, naming the case and
// the file; and the closing summary. Standard output keeps its own messages.

#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "text/case_ref.hpp"

namespace field {

/// One problem as a record: what a summary for scripts lists.
struct DiagnosticRecord {
    std::string kind;  // "case", "run" or "read-error"
    CaseRef forCase;   // number 0: about the run
    std::string file;  // the file of a read error
    std::string message;
};

/// Where the stages report the problems they meet.
class Diagnostics {
public:
    virtual ~Diagnostics() = default;
    /// One line about a case: "<program>: case N (DayIndex d, BeginMinute b, EndMinute e): <text>".
    virtual void aboutCase(const CaseRef& c, std::string_view text) = 0;
    /// One line about the run as a whole: "<program>: <text>".
    virtual void aboutRun(std::string_view text) = 0;
    /// A file that failed to read in the middle (not at its end): reported, and the run fails.
    /// A case number of 0 makes it a line about the run.
    virtual void readError(const CaseRef& c, std::string_view what, std::string_view path, std::string_view reason) = 0;
};

/// The diagnostics of one run on a stream, with the counts of its closing summary.
class RunDiagnostics final : public Diagnostics {
public:
    RunDiagnostics(std::ostream& out, std::string_view program) : out_(out), program_(program) {}

    void aboutCase(const CaseRef& c, std::string_view text) override;
    void aboutRun(std::string_view text) override;
    void readError(const CaseRef& c, std::string_view what, std::string_view path, std::string_view reason) override;

    void countCaseRead() { ++casesRead_; }
    void countRowWritten() { ++rowsWritten_; }
    /// A quality row with flag 0, 1 or 2 reached its table.
    void countQualityRow(int flag) { ++rowsByFlag_[flag]; }
    void countWindowWithoutSamples() { ++windowsWithoutSamples_; }

    /// Input files that failed in the middle: the run fails.
    std::int32_t readErrors() const { return readErrors_; }
    /// Rows counted by countRowWritten.
    std::int32_t rowsWritten() const { return rowsWritten_; }
    /// Lines written about a case or the run.
    std::int32_t problems() const { return problems_; }

    /// The closing summary line; the flags only when a quality table was written.
    void summary(bool withFlags);

    std::int32_t casesRead() const { return casesRead_; }
    std::int32_t rowsWithFlag(int flag) const { return rowsByFlag_[flag]; }
    std::int32_t windowsWithoutSamples() const { return windowsWithoutSamples_; }
    /// Every line written, as records (the first kMaxRecords of them).
    const std::vector<DiagnosticRecord>& records() const { return records_; }
    static constexpr std::size_t kMaxRecords = 100000;

private:
    std::ostream& out_;
    std::string program_;
    std::int32_t casesRead_ = 0;
    std::int32_t rowsWritten_ = 0;
    std::int32_t rowsByFlag_[3] = {0, 0, 0};
    std::int32_t windowsWithoutSamples_ = 0;
    std::int32_t readErrors_ = 0;
    std::int32_t problems_ = 0;
    std::vector<DiagnosticRecord> records_;

    void keep(DiagnosticRecord record) {
        if (records_.size() < kMaxRecords) records_.push_back(std::move(record));
    }
    void caseLine(const CaseRef& c, std::string_view text);
    void runLine(std::string_view text);
};

/// A Diagnostics that writes nothing: for a part used where no one reads its problems.
class NoDiagnostics final : public Diagnostics {
public:
    void aboutCase(const CaseRef&, std::string_view) override {}
    void aboutRun(std::string_view) override {}
    void readError(const CaseRef&, std::string_view, std::string_view, std::string_view) override {}
};

/// "text: path (reason)", the way file problems are worded.
std::string fileProblem(std::string_view text, std::string_view path, std::string_view reason = {});

}  // namespace field
