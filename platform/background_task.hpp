#pragma once
// Tasks on a second thread: the caller hands them over, up to a depth at a
// time, goes on with its own work and waits for each, in the order handed
// over, only when it needs the result. The thread starts with the first task,
// so a run that never hands one over never starts it; where no thread can be
// started, tasks run in the caller.
// The thread keeps the caller's priority. At the lowest one (SCHED_IDLE) a run
// was a tenth faster on an idle machine, but beside busy programs, or the other
// runs of a batch, the thread hardly ran and the caller waited for it: a 5-day
// run took 7.5 s instead of 0.27 s next to two busy loops.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/thread_start.hpp"

namespace field {

class BackgroundTask {
public:
    /// `task` is run once for each start() with its argument, in order; up to `depth` may wait
    /// for wait() at a time; `makeThread` makes the thread (a test may make it fail).
    explicit BackgroundTask(std::function<void(std::size_t)> task, std::size_t depth = 1,
                            ThreadStarter makeThread = startThread);
    /// The same for a task without an argument, one at a time.
    explicit BackgroundTask(std::function<void()> task, ThreadStarter makeThread = startThread)
        : BackgroundTask([t = std::move(task)](std::size_t) { t(); }, 1, makeThread) {}
    /// Waits for the tasks under way, then stops the thread.
    ~BackgroundTask();
    BackgroundTask(const BackgroundTask&) = delete;
    BackgroundTask& operator=(const BackgroundTask&) = delete;

    /// Hands the task over once more with `argument`; at most `depth` not yet waited for.
    void start(std::size_t argument = 0);
    /// Returns once the oldest task not yet waited for is done; rethrows what it threw.
    /// Returns at once when every task handed over has been waited for.
    void wait();
    /// Tasks handed over and not yet waited for.
    std::size_t outstanding() const { return static_cast<std::size_t>(started_ - waited_); }

private:
    void loop();
    void run(std::uint64_t ordinal);

    std::function<void(std::size_t)> task_;
    ThreadStarter startThread_;
    std::mutex lock_;
    std::condition_variable changed_;
    // Ordinals: handed over, done (by the thread), waited for (by the caller); each below the one before.
    std::uint64_t started_ = 0, done_ = 0, waited_ = 0;
    std::vector<std::size_t> arguments_;        // by ordinal modulo the depth
    std::vector<std::exception_ptr> failures_;  // likewise
    bool stop_ = false;
    bool threadless_ = false;  // no thread could be started: run in the caller
    std::thread thread_;
};

}  // namespace field
