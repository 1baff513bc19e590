#include "casetable/casetable_run.hpp"

#include "casetable/test_case_table.hpp"

namespace field {
namespace {

// A sub-window's row, numbered by its case.
class TestCaseRows final : public ProgramTable {
public:
    bool create(const std::string& localPath) override {
        if (!table_.file.create(localPath)) return false;
        writeTestCaseHeader(table_);
        return true;
    }
    std::int32_t writeRow(const ClosedWindow& w, const WindSummary& wind) override {
        writeTestCaseRow(table_, w.caseNumber, w.windowCase, w.lastWindowMinute, wind);
        return 0;
    }
    TableFile& file() override { return table_.file; }

private:
    TableRows table_;
};

std::unique_ptr<ProgramTable> makeTestCaseRows(const RunConfiguration&, const PathMapper&, std::ostream&,
                                               Diagnostics&) {
    return std::make_unique<TestCaseRows>();
}

}  // namespace

int runCasetable(const RunStreams& streams, const PathMapper& paths, const RunOptions& options) {
    return runProgram(kCasetableVariant, makeTestCaseRows, streams, paths, options);
}

int runCasetable(std::istream& in, std::ostream& console, const PathMapper& paths, const std::string& workDirectory) {
    return runDialogue(runCasetable, in, console, paths, workDirectory);
}

}  // namespace field
