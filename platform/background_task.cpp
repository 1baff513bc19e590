#include "platform/background_task.hpp"

#include <system_error>
#include <utility>

namespace field {

BackgroundTask::~BackgroundTask() {
    if (!thread_.joinable()) return;
    {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [this] { return !requested_; });
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void BackgroundTask::start() {
    if (!thread_.joinable() && !threadless_) {
        try {
            thread_ = startThread_([this] { loop(); });
        } catch (const std::system_error&) {
            threadless_ = true;
        }
    }
    if (threadless_) {
        try {
            task_();
        } catch (...) {
            failure_ = std::current_exception();
        }
        return;
    }
    {
        const std::lock_guard<std::mutex> hold(lock_);
        requested_ = true;
    }
    changed_.notify_all();
}

void BackgroundTask::wait() {
    {
        std::unique_lock<std::mutex> hold(lock_);
        changed_.wait(hold, [this] { return !requested_; });
    }
    if (failure_) std::rethrow_exception(std::exchange(failure_, nullptr));
}

void BackgroundTask::loop() {
    for (;;) {
        {
            std::unique_lock<std::mutex> hold(lock_);
            changed_.wait(hold, [this] { return requested_ || stop_; });
            if (stop_) return;
        }
        std::exception_ptr failure;
        try {
            task_();
        } catch (...) {
            failure = std::current_exception();
        }
        {
            const std::lock_guard<std::mutex> hold(lock_);
            failure_ = failure;
            requested_ = false;
        }
        changed_.notify_all();
    }
}

}  // namespace field
