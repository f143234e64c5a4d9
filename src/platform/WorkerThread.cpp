#include "platform/WorkerThread.h"

namespace tervalo::platform {

WorkerThread::WorkerThread() : m_thread([this] { work(); }) {}

WorkerThread::~WorkerThread() {
    {
        const std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

std::future<void> WorkerThread::run(std::function<void()> job) {
    std::packaged_task<void()> task(std::move(job));
    std::future<void> done = task.get_future();
    {
        const std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(task));
    }
    m_wake.notify_one();
    return done;
}

void WorkerThread::work() {
    for (;;) {
        std::packaged_task<void()> task;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_ending || !m_jobs.empty(); });
            if (m_jobs.empty()) {
                return;
            }
            task = std::move(m_jobs.front());
            m_jobs.pop_front();
        }
        task();
    }
}

}  // namespace tervalo::platform
