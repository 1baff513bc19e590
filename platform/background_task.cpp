#include "platform/background_task.hpp"

#include <system_error>
#include <utility>

#if defined(_WIN32)
#include <windows.h>
#elif defined(__linux__)
#include <sched.h>
#endif

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
            thread_ = std::thread([this] { loop(); });
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

namespace {

// The task is work the caller can wait for, not the reading it overlaps: where both want
// the same core, the caller's thread goes first.
void yieldToOtherThreads() {
#if defined(_WIN32)
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_LOWEST);
#elif defined(__linux__)
    sched_param none{};
    sched_setscheduler(0, SCHED_IDLE, &none);  // this thread only; failure leaves it as it was
#endif
}

}  // namespace

void BackgroundTask::loop() {
    yieldToOtherThreads();
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
