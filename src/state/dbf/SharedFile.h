#pragma once

#include "state/dbf/FileLock.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace tervalo::state::dbf {

// One open file of a table (table, memo or index), read and written by position, shared with other
// processes. Every failure throws DbfError naming the file.
class SharedFile {
public:
    SharedFile() = default;
    ~SharedFile();
    SharedFile(SharedFile&& other) noexcept;
    SharedFile& operator=(SharedFile&& other) noexcept;
    SharedFile(const SharedFile&) = delete;
    SharedFile& operator=(const SharedFile&) = delete;

    // Empty when the file does not exist.
    static std::optional<SharedFile> openExisting(const QString& path);

    bool isOpen() const { return m_fd >= 0; }
    const QString& path() const { return m_path; }
    int fd() const { return m_fd; }
    void close();

    qint64 size() const;
    // Up to `length` bytes; fewer at the end of the file.
    QByteArray readAt(qint64 offset, qint64 length) const;
    // Exactly `length` bytes, or DbfError "Invalid DBF file." at `offset`.
    QByteArray readExactly(qint64 offset, qint64 length) const;
    void writeAt(qint64 offset, const QByteArray& bytes);
    void writeAt(qint64 offset, const char* data, qint64 length);

    bool tryLock(qint64 offset, qint64 length, LockMode mode) const;
    // Waits, retrying every 10 ms while another holder is in the way.
    void lock(qint64 offset, qint64 length, LockMode mode) const;
    void unlock(qint64 offset, qint64 length) const;

    // Whether `path` still names the file this handle has open (it may have been replaced).
    bool isStillAt(const QString& path) const;

private:
    SharedFile(int fd, QString path) : m_fd(fd), m_path(std::move(path)) {}
    [[noreturn]] void fail(const char* action, qint64 offset) const;

    int m_fd = -1;
    QString m_path;
};

// A lock held for the scope; released early by release().
class ByteLock {
public:
    ByteLock() = default;
    ByteLock(const SharedFile& file, qint64 offset, LockMode mode, qint64 length = 1);
    ~ByteLock() { release(); }
    ByteLock(ByteLock&& other) noexcept { *this = std::move(other); }
    ByteLock& operator=(ByteLock&& other) noexcept;
    ByteLock(const ByteLock&) = delete;
    ByteLock& operator=(const ByteLock&) = delete;

    // Takes ownership of a lock already held.
    static ByteLock adopt(const SharedFile& file, qint64 offset, qint64 length = 1);
    void release();
    bool isHeld() const { return m_file != nullptr; }

private:
    const SharedFile* m_file = nullptr;
    qint64 m_offset = 0;
    qint64 m_length = 0;
};

}  // namespace tervalo::state::dbf
