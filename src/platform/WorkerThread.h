#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>

namespace tervalo::platform {

// One thread that runs the jobs handed to it, one after the other, for as long as it lives. For
// short jobs handed over many times, where starting a thread for each would cost about as much as
// the job itself.
class WorkerThread {
public:
    WorkerThread();
    // Runs the jobs still waiting, then ends the thread.
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Queues `job`; the future becomes ready when it has run and holds what it threw.
    std::future<void> run(std::function<void()> job);

private:
    void work();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<std::packaged_task<void()>> m_jobs;
    bool m_ending = false;
    std::thread m_thread;  // last, so it starts when everything it uses exists
};

}  // namespace tervalo::platform
