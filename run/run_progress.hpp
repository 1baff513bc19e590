#pragma once
// The one updating line of a long run on standard error: cases done of cases,
// megabytes of logger data read and the rate. The run's other lines on standard
// error pass through it: the line is taken away before each of them and drawn
// again at the next update, so nothing is written over.

#include <cstdint>
#include <functional>
#include <ostream>
#include <streambuf>
#include <string>

namespace field {

class ProgressLine : public std::streambuf {
public:
    using Clock = std::function<double()>;  // seconds, steady

    /// Draws on `target` from `delaySeconds` after it is made, as `program` (the line's first word).
    ProgressLine(std::ostream& target, std::string program, double delaySeconds, Clock clock = steadySeconds);
    ~ProgressLine() override;
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    /// The cases the run will read (none known: the line counts without "of").
    void setCases(std::int32_t total) { total_ = total; }
    /// Draws the line anew, at most four times a second and not before the delay.
    void update(std::int32_t casesDone, std::uint64_t bytesRead);
    /// Takes the line away, if it is drawn.
    void clear();

    /// Seconds of a steady clock.
    static double steadySeconds();

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    std::streambuf& target_;
    std::string program_;
    Clock clock_;
    double start_, delay_;
    double drawnAt_ = -1;
    std::int32_t total_ = -1;
    bool shown_ = false;
    std::string text_;
};

}  // namespace field
