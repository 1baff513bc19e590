#pragma once
// Helpers for the logger tests: a window sink that records every closed
// window, and a reader set up over a temporary drive root (logger file texts
// come from logger_text.hpp).

#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "common/case_window.hpp"
#include "common/measurement_case.hpp"
#include "common/program_variant.hpp"
#include "common/run_diagnostics.hpp"
#include "common/wind_statistics.hpp"
#include "logger_text.hpp"
#include "platform/directory_search.hpp"
#include "platform/windows_path.hpp"
#include "test_support.hpp"

namespace field::testing {

inline MeasurementCase windowCase(std::int32_t day, std::int32_t begin, std::int32_t end,
                                  const std::string& date = "8/15/2014") {
    MeasurementCase c;
    c.DayIndex = day;
    c.BeginMinute = begin;
    c.EndMinute = end;
    c.Date = date;
    return c;
}

/// What the end-of-window actions saw when a window closed.
struct SeenWindow {
    MeasurementCase windowCase;
    std::int32_t lastWindowMinute = 0;
    std::int32_t count = 0;
    float sumU = 0.0f, sumV = 0.0f, sumW = 0.0f, sumTs = 0.0f;
};

class RecordingSink final : public WindowSink {
public:
    explicit RecordingSink(const SampleBuffer& buffer) : buffer_(buffer) {}
    void closeWindow(const ClosedWindow& w) override {
        closed.push_back(
            {w.windowCase, w.lastWindowMinute, buffer_.count, buffer_.sumU, buffer_.sumV, buffer_.sumW, buffer_.sumTs});
    }
    std::vector<SeenWindow> closed;

private:
    const SampleBuffer& buffer_;
};

/// A logger reader of one program variant over a temporary drive root "C:", reporting to
/// `diagnostics` when given.
struct ReaderRig {
    explicit ReaderRig(const ProgramVariant& variant, RunDiagnostics* diagnostics = nullptr)
        : paths(root.str()), buffer(variant.sampleCapacity), sink(buffer),
          reader(paths, console, variant, buffer, sink, nullptr, diagnostics) {}

    /// Writes a logger file at a Windows path below the root; gives the path back.
    std::string put(const std::string& windowsPath, const LoggerText& data) {
        writeFile(underRoot(root.path(), windowsPath), data.text());
        return windowsPath;
    }
    /// True when the case is finished; `last` tells what became of the file.
    bool read(MeasurementCase& c, const std::string& windowsPath) {
        last = reader.readCaseWindow(c, windowsPath);
        return last == WindowRead::Finished;
    }
    /// The console text so far, then forgotten.
    std::string takeConsole() {
        std::string text = console.str();
        console.str({});
        return text;
    }

    TempDir root;
    PathMapper paths;
    std::ostringstream console;
    SampleBuffer buffer;
    RecordingSink sink;
    CaseWindowReader reader;
    WindowRead last = WindowRead::Finished;
};

}  // namespace field::testing
