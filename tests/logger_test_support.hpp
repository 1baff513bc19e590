#pragma once
// Helpers for the logger tests: a window sink that records every closed
// window, and a reader set up over a temporary drive root (logger file texts
// come from logger_text.hpp).

#include <cstdint>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "campaign_2014.hpp"
#include "input/case_window.hpp"
#include "input/measurement_case.hpp"
#include "input/program_variant.hpp"
#include "logger_text.hpp"
#include "platform/directory_search.hpp"
#include "platform/windows_path.hpp"
#include "test_support.hpp"
#include "text/diagnostics.hpp"
#include "wind/wind_statistics.hpp"

namespace field::testing {

inline MeasurementCase windowCase(std::int32_t day, std::int32_t begin, std::int32_t end,
                                  const std::string& date = "8/15/2014") {
    MeasurementCase c = sizedCase2014();
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

class RecordingSink {
public:
    explicit RecordingSink(const SampleBuffer& buffer) : buffer_(buffer) {}
    void closeWindow(const ClosedWindow& w) {
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
    explicit ReaderRig(const ProgramVariant& variant, Diagnostics* report = nullptr, bool keepQuality = false)
        : paths(root.str()), buffer(variant.sampleCapacity), record(0, keepQuality),
          diagnostics(report != nullptr ? *report : silent), sink(buffer),
          reader(paths, console, variant, timestampRule(variant, campaign2014()), buffer, record, diagnostics) {}

    /// Writes a logger file at a Windows path below the root; gives the path back.
    std::string put(const std::string& windowsPath, const LoggerText& data) {
        writeFile(underRoot(root.path(), windowsPath), data.text());
        return windowsPath;
    }
    /// True when the case is finished; `last` tells what became of the file. Each window that
    /// closes on the way goes to the sink.
    bool read(MeasurementCase& c, const std::string& windowsPath) {
        while ((last = reader.readCaseWindow(c, windowsPath)) == WindowRead::Closed)
            sink.closeWindow(reader.closedWindow());
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
    WindowRecord record;  // kept only when asked: the quality record
    NoDiagnostics silent;
    Diagnostics& diagnostics;
    RecordingSink sink;
    CaseWindowReader reader;
    WindowRead last = WindowRead::Finished;
};

}  // namespace field::testing
