// The second thread of the quality assessment: each hand-over runs the task
// once, wait() sees its results and its exceptions, in the order handed over
// where several wait, and going away waits; without a thread to be had, the
// task runs in the caller.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "platform/background_task.hpp"

namespace field {
namespace {

int gStarts = 0;
std::thread noThread(std::function<void()>) {
    ++gStarts;
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
}

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

TEST(BackgroundTask, TasksHandedOverTogetherRunInOrderAndAreWaitedForInOrder) {
    // Up to four at a time, each with its argument; the second of every four throws.
    std::vector<std::size_t> ran;  // written by the thread, read after the waits
    for (const bool withThread : {true, false}) {
        SCOPED_TRACE(withThread ? "on the thread" : "in the caller");
        ran.clear();
        {
            BackgroundTask task(
                [&ran](std::size_t argument) {
                    ran.push_back(argument);
                    if (argument % 4 == 1) throw std::runtime_error(std::to_string(argument));
                },
                4, withThread ? startThread : noThread);
            std::size_t waited = 0;
            for (std::size_t k = 0; k < 40; ++k) {
                if (task.outstanding() == 4) {
                    if (waited % 4 == 1)
                        EXPECT_THROW(task.wait(), std::runtime_error) << waited;
                    else
                        EXPECT_NO_THROW(task.wait()) << waited;
                    ++waited;
                }
                task.start(k);
            }
            while (task.outstanding() > 0) {
                if (waited % 4 == 1) {
                    try {
                        task.wait();
                        ADD_FAILURE() << "task " << waited << " threw nothing";
                    } catch (const std::runtime_error& e) {
                        EXPECT_EQ(std::to_string(waited), e.what());
                    }
                } else {
                    EXPECT_NO_THROW(task.wait()) << waited;
                }
                ++waited;
            }
            EXPECT_EQ(40u, waited);
        }
        ASSERT_EQ(40u, ran.size());
        for (std::size_t k = 0; k < ran.size(); ++k) EXPECT_EQ(k, ran[k]);
    }
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

TEST(BackgroundTask, TaskRunsInTheCallerWhereNoThreadCanBeStarted) {
    gStarts = 0;
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
