#pragma once
// The one owner of the order of a run's output. A closed window gets its
// statistics and its table row, then its quality row and lines, which come
// out before anything that follows the window: the stages report through the
// sequencer, which lets a pending quality row out first. Nothing calls back.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "input/case_window.hpp"
#include "input/program_variant.hpp"
#include "quality/window_assessment.hpp"
#include "run/program_table.hpp"
#include "text/diagnostics.hpp"
#include "wind/source_site.hpp"
#include "wind/wind_statistics.hpp"

namespace field {

class WindowSequencer final : public Diagnostics {
public:
    /// Writes lines to `out`; the windows are assessed by `assessor` once keepQuality() is called.
    /// The sampler rows of each window go to `samplers` once it is open, after the window's
    /// quality row, with its flag.
    WindowSequencer(const ProgramVariant& variant, const SourceSite& site, WindowAssessor& assessor,
                    TableRows& samplers, RunDiagnostics& out)
        : variant_(variant), site_(site), assessor_(assessor), samplers_(samplers), out_(out) {}

    /// From now on each window's quality is assessed (its quality table has been created).
    void keepQuality() { keepQuality_ = true; }

    /// The end of a window, the same for both programs: the statistics and `table`'s row, then
    /// the window's quality (written out by the next line or window, or by settle()).
    void closeWindow(const ClosedWindow& window, ProgramTable& table);
    /// Writes out the quality of every window closed and not yet settled, then its sampler rows.
    void settle();
    /// Sampler-table rows that reached the file.
    std::int64_t samplerRowsWritten() const { return samplerRows_; }

    void aboutCase(const CaseRef& c, std::string_view text) override {
        settle();
        out_.aboutCase(c, text);
    }
    void aboutRun(std::string_view text) override {
        settle();
        out_.aboutRun(text);
    }
    void readError(const CaseRef& c, std::string_view what, std::string_view path, std::string_view reason) override {
        settle();
        out_.readError(c, what, path, reason);
    }

private:
    const ProgramVariant& variant_;
    const SourceSite& site_;
    WindowAssessor& assessor_;
    TableRows& samplers_;
    void settleOldest();

    // A closed window whose quality row and sampler rows are still to come out; in the order
    // the windows closed, as the assessor's slots.
    struct Pending {
        bool assessed = false;  // it has a slot of the assessor's
        std::string samplers;   // its sampler rows, waiting for its flag
    };
    std::deque<Pending> pending_;
    std::int64_t samplerRows_ = 0;
    bool keepQuality_ = false;
    RunDiagnostics& out_;
    WindSummary wind_;
};

}  // namespace field
