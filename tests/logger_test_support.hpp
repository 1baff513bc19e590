#pragma once
// Helpers for the logger tests: logger file texts built from day indices and
// minutes, a window sink that records every closed window, and a reader set
// up over a temporary drive root.

#include <cstdint>
#include <cstdio>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "common/case_window.hpp"
#include "common/measurement_case.hpp"
#include "common/program_variant.hpp"
#include "common/wind_statistics.hpp"
#include "platform/directory_search.hpp"
#include "platform/windows_path.hpp"
#include "test_support.hpp"

namespace field::testing {

/// Timestamp field of a logger line, with its quotes: "2014-08-15 10:00:03.4".
/// Day index 1..31 is August, 32..61 September, later days October.
inline std::string loggerStamp(int day, int minuteOfDay, double second = 0.0, int year = 2014) {
    int month = 8, dayOfMonth = day;
    if (day > 61) {
        month = 10;
        dayOfMonth = day - 61;
    } else if (day > 31) {
        month = 9;
        dayOfMonth = day - 31;
    }
    char text[64];
    std::snprintf(text, sizeof text, "\"%04d-%02d-%02d %02d:%02d:%04.1f\"", year, month, dayOfMonth, minuteOfDay / 60,
                  minuteOfDay % 60, second);
    return text;
}

/// The measured values of one logger line (small integers keep float sums exact).
struct Sample {
    float u = 1.0f, v = 2.0f, w = 3.0f, Ts = 20.0f;
};

/// The text of a logger file: four header lines, then data lines.
class LoggerData {
public:
    LoggerData() : text_("\"TOA5\",\"station\"\n\"TIMESTAMP\",\"RECORD\",\"Ux\",\"Uy\",\"Uz\",\"Ts\",\"diag\"\n"
                         "\"TS\",\"RN\",\"m/s\",\"m/s\",\"m/s\",\"C\",\"\"\n\"\",\"\",\"Smp\",\"Smp\",\"Smp\",\"Smp\",\"Smp\"\n") {}

    /// Replaces the four header lines (the caller supplies them with their line ends).
    LoggerData& header(const std::string& headerText) {
        text_ = headerText;
        return *this;
    }
    /// One data line stamped at `second` of the minute.
    LoggerData& line(int day, int minuteOfDay, Sample s = {}, double second = 0.0) {
        return raw(loggerStamp(day, minuteOfDay, second) + "," + std::to_string(records_) + "," + number(s.u) + "," +
                   number(s.v) + "," + number(s.w) + "," + number(s.Ts) + ",0");
    }
    /// `perMinute` lines in every minute from `from` to `to` inclusive.
    LoggerData& minutes(int day, int from, int to, int perMinute = 1, Sample s = {}) {
        for (int m = from; m <= to; ++m)
            for (int i = 0; i < perMinute; ++i) line(day, m, s, 60.0 * i / perMinute);
        return *this;
    }
    /// A line exactly as given.
    LoggerData& raw(const std::string& text) {
        text_ += text;
        text_ += '\n';
        ++records_;
        return *this;
    }

    const std::string& text() const { return text_; }
    /// Data lines added so far (the count the reader reports at the file's end).
    int dataLines() const { return records_; }

private:
    static std::string number(float value) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", static_cast<double>(value));
        return text;
    }

    std::string text_;
    int records_ = 0;
};

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
        closed.push_back({w.windowCase, w.lastWindowMinute, buffer_.count, buffer_.sumU, buffer_.sumV, buffer_.sumW,
                          buffer_.sumTs});
    }
    std::vector<SeenWindow> closed;

private:
    const SampleBuffer& buffer_;
};

/// A logger reader of one program variant over a temporary drive root "C:".
struct ReaderRig {
    explicit ReaderRig(const ProgramVariant& variant)
        : paths(root.str()), buffer(variant.sampleCapacity), sink(buffer),
          reader(paths, console, variant, buffer, sink) {}

    /// Writes a logger file at a Windows path below the root; gives the path back.
    std::string put(const std::string& windowsPath, const LoggerData& data) {
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
