#include "state/dbf/FileLock.h"

#include <fcntl.h>
#include <cerrno>
#include <thread>

namespace tervalo::state::dbf::FileLock {

namespace {

thread_local bool t_lastWasConflict = false;

bool setLock(int fd, qint64 offset, qint64 length, short type) {
    struct flock lock {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = off_t(offset);
    lock.l_len = off_t(length);
    lock.l_pid = 0;  // required for open-file-description locks
    while (fcntl(fd, F_OFD_SETLK, &lock) != 0) {
        if (errno == EINTR) {
            continue;
        }
        t_lastWasConflict = errno == EAGAIN || errno == EACCES;
        return false;
    }
    t_lastWasConflict = false;
    return true;
}

}  // namespace

bool tryLock(int fd, qint64 offset, qint64 length, LockMode mode) {
    return setLock(fd, offset, length, mode == LockMode::Shared ? F_RDLCK : F_WRLCK);
}

bool waitLock(int fd, qint64 offset, qint64 length, LockMode mode, int retryMs) {
    while (!tryLock(fd, offset, length, mode)) {
        if (!t_lastWasConflict) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(retryMs));
    }
    return true;
}

void unlock(int fd, qint64 offset, qint64 length) {
    setLock(fd, offset, length, F_UNLCK);
}

bool lastFailureWasConflict() {
    return t_lastWasConflict;
}

}  // namespace tervalo::state::dbf::FileLock
