#include "platform/background_task.hpp"

#include <cassert>
#include <system_error>
#include <utility>

namespace field {

BackgroundTask::BackgroundTask(std::function<void(std::size_t)> task, std::size_t depth, ThreadStarter makeThread)
    : task_(std::move(task)), startThread_(makeThread), arguments_(depth == 0 ? 1 : depth),
      failures_(arguments_.size()) {}

BackgroundTask::~BackgroundTask() {
    if (!thread_.joinable()) return;
    {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [this] { return done_ == started_; });
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundTask::run(std::uint64_t ordinal) {
    const std::size_t at = static_cast<std::size_t>(ordinal % arguments_.size());
    try {
        task_(arguments_[at]);
    } catch (...) {
        failures_[at] = std::current_exception();  // read by wait() only once done_ says so
    }
}

void BackgroundTask::start(std::size_t argument) {
    assert(outstanding() < arguments_.size());
    if (!thread_.joinable() && !threadless_) {
        try {
            thread_ = startThread_([this] { loop(); });
        } catch (const std::system_error&) {
            threadless_ = true;
        }
    }
    const std::uint64_t ordinal = started_;
    arguments_[static_cast<std::size_t>(ordinal % arguments_.size())] = argument;
    if (threadless_) {
        ++started_;
        run(ordinal);
        ++done_;
        return;
    }
    {
        const std::lock_guard<std::mutex> hold(lock_);
        ++started_;
    }
    changed_.notify_all();
}

void BackgroundTask::wait() {
    if (waited_ == started_) return;
    {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [this] { return done_ > waited_; });
    }
    const std::size_t at = static_cast<std::size_t>(waited_ % arguments_.size());
    ++waited_;
    if (failures_[at]) std::rethrow_exception(std::exchange(failures_[at], nullptr));
}

void BackgroundTask::loop() {
    for (;;) {
        std::uint64_t ordinal = 0;
        {
            std::unique_lock<std::mutex> hold(lock_);
            changed_.wait(hold, [this] { return done_ < started_ || stop_; });
            if (done_ == started_) return;  // stopping, nothing left
            ordinal = done_;
        }
        run(ordinal);
        {
            const std::lock_guard<std::mutex> hold(lock_);
            ++done_;
        }
        changed_.notify_all();
    }
}

}  // namespace field
