#include "platform/WorkerThread.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <thread>
#include <vector>

using tervalo::platform::WorkerThread;

// The jobs run one after the other, away from the caller, and a job's exception reaches its future
// without ending the jobs that follow.
TEST(WorkerThread, runsJobsInOrderOnItsThreadAndPassesOnWhatTheyThrow) {
    std::vector<int> order;
    std::vector<std::thread::id> threads;
    WorkerThread worker;
    std::vector<std::future<void>> done;
    for (int job = 0; job < 3; ++job) {
        done.push_back(worker.run([&, job] {
            order.push_back(job);
            threads.push_back(std::this_thread::get_id());
            if (job == 1) {
                throw std::runtime_error("job 1");
            }
        }));
    }
    done[0].get();
    EXPECT_THROW(done[1].get(), std::runtime_error);
    done[2].get();
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    ASSERT_EQ(threads.size(), 3u);
    EXPECT_NE(threads[0], std::this_thread::get_id());
    EXPECT_EQ(threads[1], threads[0]);
    EXPECT_EQ(threads[2], threads[0]);
}

// A worker that goes while jobs still wait runs them first.
TEST(WorkerThread, runsTheWaitingJobsBeforeItEnds) {
    int ran = 0;
    {
        WorkerThread worker;
        for (int job = 0; job < 50; ++job) {
            worker.run([&ran] { ++ran; });
        }
    }
    EXPECT_EQ(ran, 50);
}
