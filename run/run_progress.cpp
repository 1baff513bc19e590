#include "run/run_progress.hpp"

#include <chrono>
#include <cstdio>

namespace field {
namespace {

constexpr double kRedrawSeconds = 0.25;
constexpr std::string_view kClearLine = "\r\033[K";  // to the line's start, and the line emptied

}  // namespace

double ProgressLine::steadySeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

ProgressLine::ProgressLine(std::ostream& target, std::string program, double delaySeconds, Clock clock)
    : target_(*target.rdbuf()), program_(std::move(program)), clock_(std::move(clock)), start_(clock_()),
      delay_(delaySeconds) {}

ProgressLine::~ProgressLine() { clear(); }

void ProgressLine::update(std::int32_t casesDone, std::uint64_t bytesRead) {
    const double now = clock_();
    const double seconds = now - start_;
    if (seconds < delay_ || (drawnAt_ >= 0 && now - drawnAt_ < kRedrawSeconds)) return;
    drawnAt_ = now;
    const double megabytes = static_cast<double>(bytesRead) / 1e6;
    char numbers[96];
    std::snprintf(numbers, sizeof numbers, "%.0f MB read, %.0f MB/s", megabytes,
                  seconds > 0 ? megabytes / seconds : 0.0);
    text_.assign(kClearLine);
    text_ += program_ + ": " + std::to_string(casesDone);
    if (total_ >= 0) text_ += " of " + std::to_string(total_);
    text_ += " cases, ";
    text_ += numbers;
    target_.sputn(text_.data(), static_cast<std::streamsize>(text_.size()));
    target_.pubsync();
    shown_ = true;
}

void ProgressLine::clear() {
    if (!shown_) return;
    shown_ = false;
    target_.sputn(kClearLine.data(), static_cast<std::streamsize>(kClearLine.size()));
    target_.pubsync();
}

ProgressLine::int_type ProgressLine::overflow(int_type c) {
    clear();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    return target_.sputc(traits_type::to_char_type(c));
}

std::streamsize ProgressLine::xsputn(const char* text, std::streamsize count) {
    clear();
    return target_.sputn(text, count);
}

int ProgressLine::sync() { return target_.pubsync(); }

}  // namespace field
