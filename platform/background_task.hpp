#pragma once
// One task at a time on a second thread: the caller hands it over, goes on
// with its own work and waits for it only when it needs the result. The
// thread starts with the first task, so a run that never hands one over
// never starts it; where no thread can be started, tasks run in the caller.
// The thread keeps the caller's priority. At the lowest one (SCHED_IDLE) a run
// was a tenth faster on an idle machine, but beside busy programs, or the other
// runs of a batch, the thread hardly ran and the caller waited for it: a 5-day
// run took 7.5 s instead of 0.27 s next to two busy loops.

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

#include "platform/thread_start.hpp"

namespace field {

class BackgroundTask {
public:
    /// `task` is run once for each start(); `makeThread` makes the thread (a test may make it fail).
    explicit BackgroundTask(std::function<void()> task, ThreadStarter makeThread = startThread)
        : task_(std::move(task)), startThread_(makeThread) {}
    /// Waits for a task under way, then stops the thread.
    ~BackgroundTask();
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;

    /// Runs the task once more on the second thread; call wait() in between.
    void start();
    /// Returns once the task handed over last is done; rethrows what it threw.
    void wait();

private:
    void loop();

    std::function<void()> task_;
    ThreadStarter startThread_;
    std::mutex lock_;
    std::condition_variable changed_;
    bool requested_ = false;  // handed over, not yet done
    bool stop_ = false;
    bool threadless_ = false;  // no thread could be started: run in the caller
    std::exception_ptr failure_;
    std::thread thread_;
};

}  // namespace field
