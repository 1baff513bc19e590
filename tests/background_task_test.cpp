// The second thread of the quality assessment: each hand-over runs the task
// once, wait() sees its results and its exceptions, and going away waits;
// without a thread to be had, the task runs in the caller.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "platform/background_task.hpp"

namespace field {
namespace {

TEST(BackgroundTask, EachStartRunsTheTaskOnceAndWaitSeesItsWork) {
    int runs = 0;  // written by the task's thread, read here after wait()
    BackgroundTask task([&runs] { ++runs; });
    task.wait();  // nothing handed over yet: returns at once
    for (int i = 1; i <= 100; ++i) {
        task.start();
        task.wait();
        ASSERT_EQ(i, runs);
    }
}

TEST(BackgroundTask, WaitRethrowsWhatTheTaskThrewOnceAndTheTaskGoesOn) {
    int runs = 0;
    BackgroundTask task([&runs] {
        if (++runs == 2) throw std::runtime_error("assessment failed");
    });
    task.start();
    EXPECT_NO_THROW(task.wait());
    task.start();
    EXPECT_THROW(task.wait(), std::runtime_error);
    EXPECT_NO_THROW(task.wait());
    task.start();
    EXPECT_NO_THROW(task.wait());
    EXPECT_EQ(3, runs);
}

TEST(BackgroundTask, GoingAwayWaitsForTheTaskUnderWay) {
    std::atomic<bool> finished{false};
    {
        BackgroundTask task([&finished] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            finished = true;
        });
        task.start();
    }
    EXPECT_TRUE(finished);
}

int gStarts = 0;
std::thread noThread(std::function<void()>) {
    ++gStarts;
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
}

TEST(BackgroundTask, TaskRunsInTheCallerWhereNoThreadCanBeStarted) {
    std::thread::id ranOn;
    int runs = 0;
    BackgroundTask task(
        [&] {
            ranOn = std::this_thread::get_id();
            ++runs;
        },
        noThread);
    for (int i = 1; i <= 3; ++i) {
        task.start();
        EXPECT_EQ(i, runs) << "done within start()";
        EXPECT_EQ(std::this_thread::get_id(), ranOn);
        task.wait();
    }
    EXPECT_EQ(1, gStarts) << "a thread is asked for once";
}

}  // namespace
}  // namespace field
