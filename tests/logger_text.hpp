#pragma once
// Logger file texts, shared by the tests, the benchmarks and the fuzz seeds:
// header lines, then one line per sample,
//   "2014-08-15 10:00:03.4",<record>,u,v,w,Ts,0
// Only the C++ standard library: bench/ and fuzz/ include it as
// "tests/logger_text.hpp".

#include <cstdio>
#include <string>
#include <string_view>

namespace field::testing {

/// The measured values of one logger line (small integers keep float sums exact).
struct Sample {
    float u = 1.0f, v = 2.0f, w = 3.0f, Ts = 20.0f;
};

/// Deterministic, varying samples: the values for a minute and a step (a tenth of a second
/// at 10 Hz) within it.
inline Sample sampleAt(int minute, int step) {
    const int k = minute * 600 + step;
    return {2.0f + 0.25f * static_cast<float>(k % 7), 0.5f - 0.125f * static_cast<float>(k % 5),
            0.0625f * static_cast<float>(k % 3) - 0.0625f, 20.0f + 0.5f * static_cast<float>(k % 4)};
}

/// Timestamp field of a logger line, with its quotes: "2014-08-15 10:00:03.4", the second with
/// `decimals` decimals. Day index 1..31 is August, 32..61 September, later days October.
inline std::string loggerStamp(int day, int minuteOfDay, double second = 0.0, int year = 2014, int decimals = 1) {
    int month = 8, dayOfMonth = day;
    if (day > 61) {
        month = 10;
        dayOfMonth = day - 61;
    } else if (day > 31) {
        month = 9;
        dayOfMonth = day - 31;
    }
    char text[64];
    std::snprintf(text, sizeof text, "\"%04d-%02d-%02d %02d:%02d:%0*.*f\"", year, month, dayOfMonth, minuteOfDay / 60,
                  minuteOfDay % 60, decimals + 3, decimals, second);
    return text;
}

/// How a line writes its four values: printf's %g (decimals < 0), or fixed decimals for
/// u, v, w and for Ts.
struct ValueFormat {
    int windDecimals = -1;
    int tsDecimals = -1;
};
inline constexpr ValueFormat kShortValues{};      // 2.25,0.5,-0.0625,20
inline constexpr ValueFormat kFixedValues{4, 3};  // 2.2500,0.5000,-0.0625,20.000

/// The four header lines of a logger card.
inline constexpr std::string_view kCardHeader =
    "\"TOA5\",\"station\"\n\"TIMESTAMP\",\"RECORD\",\"Ux\",\"Uy\",\"Uz\",\"Ts\",\"diag\"\n"
    "\"TS\",\"RN\",\"m/s\",\"m/s\",\"m/s\",\"C\",\"\"\n\"\",\"\",\"Smp\",\"Smp\",\"Smp\",\"Smp\",\"Smp\"\n";
/// Four header lines that say nothing (the programs skip them unread).
inline constexpr std::string_view kPlainHeader = "header 1\nheader 2,a,b\nheader 3\nheader 4\n";

/// The text of a logger file: header lines, then data lines.
class LoggerText {
public:
    explicit LoggerText(std::string_view header = kCardHeader, ValueFormat format = kShortValues)
        : text_(header), format_(format) {}

    /// Replaces the header lines (the caller supplies them with their line ends).
    LoggerText& header(std::string_view headerText) {
        text_ = headerText;
        return *this;
    }
    /// One data line with the given timestamp field and record number.
    LoggerText& line(std::string_view stamp, long record, double u, double v, double w, double Ts) {
        std::string line(stamp);
        line += ',';
        line += std::to_string(record);
        for (const double value : {u, v, w}) {
            line += ',';
            line += number(value, format_.windDecimals);
        }
        line += ',';
        line += number(Ts, format_.tsDecimals);
        return raw(line + ",0");
    }
    /// One data line of a sample with the given timestamp field and record number.
    LoggerText& line(std::string_view stamp, long record, Sample s) {
        return line(stamp, record, static_cast<double>(s.u), static_cast<double>(s.v), static_cast<double>(s.w),
                    static_cast<double>(s.Ts));
    }
    /// One data line stamped at `second` of the minute; its record number counts the lines.
    LoggerText& line(int day, int minuteOfDay, Sample s = {}, double second = 0.0) {
        return line(loggerStamp(day, minuteOfDay, second), records_, s);
    }
    /// `perMinute` lines in every minute from `from` to `to` inclusive.
    LoggerText& minutes(int day, int from, int to, int perMinute = 1, Sample s = {}) {
        for (int m = from; m <= to; ++m)
            for (int i = 0; i < perMinute; ++i) line(day, m, s, 60.0 * i / perMinute);
        return *this;
    }
    /// A line exactly as given.
    LoggerText& raw(std::string_view line) {
        text_ += line;
        text_ += '\n';
        ++records_;
        return *this;
    }

    const std::string& text() const { return text_; }
    /// Data lines added so far (the count the reader reports at the file's end).
    int dataLines() const { return records_; }

private:
    static std::string number(double value, int decimals) {
        char text[64];
        if (decimals < 0) {
            std::snprintf(text, sizeof text, "%g", value);
        } else {
            std::snprintf(text, sizeof text, "%.*f", decimals, value);
        }
        return text;
    }

    std::string text_;
    ValueFormat format_;
    int records_ = 0;
};

/// A logger file of day `day` (of August): plain header lines, then the samples of
/// sampleAt every `stepTenths` tenths of a second for minutes [from, to), each line's record
/// number its tenth of the day.
inline std::string loggerText(int day, int fromMinute, int toMinute, int stepTenths = 10) {
    LoggerText text(kPlainHeader, kFixedValues);
    for (int m = fromMinute; m < toMinute; ++m)
        for (int t = 0; t < 600; t += stepTenths) text.line(loggerStamp(day, m, t / 10.0), m * 600 + t, sampleAt(m, t));
    return text.text();
}

}  // namespace field::testing
