#pragma once

#include <QString>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace tervalo::state {

// Flushes one file to the disk on a thread of its own, so that whoever wrote to it can go on with
// other work while the disk catches up and wait only when the data must be durable. A flush asked for
// covers everything written to the file before the asking; flushes asked for while one is under way
// are served by one flush after it. The first flush also flushes the file's folder, so a file created
// just before lasts too. A flush that fails fails every later wait: after a failed flush the
// operating system may have dropped the data it could not write.
class JournalFlusher {
public:
    explicit JournalFlusher(QString path);
    // Ends the thread once the flushes asked for are done.
    ~JournalFlusher();
    JournalFlusher(const JournalFlusher&) = delete;
    JournalFlusher& operator=(const JournalFlusher&) = delete;

    // Starts a flush of what was written so far and returns its number, for `await`.
    std::uint64_t request();
    // Waits until the flush `ticket` (or a later one) has reached the disk. False when it failed.
    bool await(std::uint64_t ticket);

private:
    void work();

    const QString m_path;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::uint64_t m_requested = 0;  // the number of the last flush asked for
    std::uint64_t m_done = 0;       // every flush up to this one has reached the disk
    bool m_failed = false;
    bool m_ending = false;
    std::thread m_thread;  // last, so it starts when everything it uses exists
};

}  // namespace tervalo::state
