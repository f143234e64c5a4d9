#include "state/JournalFlusher.h"

#include "platform/FileWrite.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>

namespace tervalo::state {

namespace {

// The file's data (and its size when it grew) flushed to the disk, without its times: the log is
// written over in place after a checkpoint, and a flush that needs no journal entry of the file system
// is the cheaper one.
bool syncData(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    int rc = 0;
    while ((rc = ::fdatasync(fd)) != 0 && errno == EINTR) {
    }
    ::close(fd);
    return rc == 0;
}

}  // namespace

JournalFlusher::JournalFlusher(QString path) : m_path(std::move(path)), m_thread([this] { work(); }) {}

JournalFlusher::~JournalFlusher() {
    {
        const std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

std::uint64_t JournalFlusher::request() {
    std::uint64_t ticket = 0;
    {
        const std::lock_guard lock(m_mutex);
        ticket = ++m_requested;
    }
    m_changed.notify_all();
    return ticket;
}

bool JournalFlusher::await(std::uint64_t ticket) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [&] { return m_failed || m_done >= ticket; });
    return !m_failed;
}

void JournalFlusher::work() {
    bool folderSynced = false;
    for (;;) {
        std::uint64_t target = 0;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return m_ending || m_requested > m_done; });
            if (m_requested <= m_done) {
                return;
            }
            // Whatever was asked for up to now was written before this flush starts.
            target = m_requested;
        }
        bool synced = syncData(m_path);
        if (synced && !folderSynced) {
            synced = platform::FileWrite::syncToDisk(QFileInfo(m_path).absolutePath());
            folderSynced = synced;
        }
        {
            const std::lock_guard lock(m_mutex);
            m_done = target;
            m_failed = m_failed || !synced;
        }
        m_changed.notify_all();
    }
}

}  // namespace tervalo::state
