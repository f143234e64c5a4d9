#include "state/dbf/SharedFile.h"

#include "state/dbf/DbfError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

namespace tervalo::state::dbf {

namespace {

QByteArray nativePath(const QString& path) {
    return path.toLocal8Bit();
}

}  // namespace

SharedFile::~SharedFile() {
    close();
}

SharedFile::SharedFile(SharedFile&& other) noexcept {
    *this = std::move(other);
}

SharedFile& SharedFile::operator=(SharedFile&& other) noexcept {
    if (this != &other) {
        close();
        m_fd = other.m_fd;
        m_path = std::move(other.m_path);
        other.m_fd = -1;
    }
    return *this;
}

std::optional<SharedFile> SharedFile::openExisting(const QString& path) {
    int fd = ::open(nativePath(path).constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            return std::nullopt;
        }
        throw DbfError(
            QStringLiteral("Cannot open file \"%1\": %2.").arg(path, QString::fromLocal8Bit(strerror(errno))),
            path);
    }
    return SharedFile(fd, path);
}

void SharedFile::close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

void SharedFile::fail(const char* action, qint64 offset) const {
    throw DbfError(QStringLiteral("%1 error on file \"%2\": %3.")
                       .arg(QLatin1String(action), m_path, QString::fromLocal8Bit(strerror(errno))),
                   m_path, offset);
}

qint64 SharedFile::size() const {
    struct stat st {};
    if (fstat(m_fd, &st) != 0) {
        fail("Read", -1);
    }
    return qint64(st.st_size);
}

QByteArray SharedFile::readAt(qint64 offset, qint64 length) const {
    QByteArray bytes(length, Qt::Uninitialized);
    qint64 done = 0;
    while (done < length) {
        ssize_t n = ::pread(m_fd, bytes.data() + done, size_t(length - done), off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail("Read", offset + done);
        }
        if (n == 0) {
            break;
        }
        done += n;
    }
    bytes.truncate(done);
    return bytes;
}

QByteArray SharedFile::readExactly(qint64 offset, qint64 length) const {
    QByteArray bytes = readAt(offset, length);
    if (bytes.size() != length) {
        throw DbfError::invalidFile(m_path, offset + bytes.size());
    }
    return bytes;
}

void SharedFile::writeAt(qint64 offset, const QByteArray& bytes) {
    writeAt(offset, bytes.constData(), bytes.size());
}

void SharedFile::writeAt(qint64 offset, const char* data, qint64 length) {
    qint64 done = 0;
    while (done < length) {
        ssize_t n = ::pwrite(m_fd, data + done, size_t(length - done), off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail("Write", offset + done);
        }
        done += n;
    }
}

bool SharedFile::tryLock(qint64 offset, qint64 length, LockMode mode) const {
    if (FileLock::tryLock(m_fd, offset, length, mode)) {
        return true;
    }
    if (!FileLock::lastFailureWasConflict()) {
        fail("Lock", offset);
    }
    return false;
}

void SharedFile::lock(qint64 offset, qint64 length, LockMode mode) const {
    if (!FileLock::waitLock(m_fd, offset, length, mode)) {
        fail("Lock", offset);
    }
}

void SharedFile::unlock(qint64 offset, qint64 length) const {
    FileLock::unlock(m_fd, offset, length);
}

bool SharedFile::isStillAt(const QString& path) const {
    struct stat mine {};
    struct stat named {};
    if (fstat(m_fd, &mine) != 0 || stat(nativePath(path).constData(), &named) != 0) {
        return false;
    }
    return mine.st_dev == named.st_dev && mine.st_ino == named.st_ino;
}

ByteLock::ByteLock(const SharedFile& file, qint64 offset, LockMode mode, qint64 length)
    : m_file(&file), m_offset(offset), m_length(length) {
    file.lock(offset, length, mode);
}

ByteLock& ByteLock::operator=(ByteLock&& other) noexcept {
    if (this != &other) {
        release();
        m_file = other.m_file;
        m_offset = other.m_offset;
        m_length = other.m_length;
        other.m_file = nullptr;
    }
    return *this;
}

ByteLock ByteLock::adopt(const SharedFile& file, qint64 offset, qint64 length) {
    ByteLock held;
    held.m_file = &file;
    held.m_offset = offset;
    held.m_length = length;
    return held;
}

void ByteLock::release() {
    if (m_file) {
        m_file->unlock(m_offset, m_length);
        m_file = nullptr;
    }
}

}  // namespace tervalo::state::dbf
