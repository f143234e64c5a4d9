#include "platform/TextFile.h"

#include "platform/DurableWrite.h"
#include "platform/WriteAll.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tervalo::platform::TextFile {

std::optional<QByteArray> readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<QString> readAnsi(const QString& path, const AnsiCodec& codec) {
    auto bytes = readBytes(path);
    if (!bytes) {
        return std::nullopt;
    }
    return codec.decode(*bytes);
}

bool writeBytesAtomically(const QString& path, const QByteArray& bytes, FileAccess access) {
    return replaceFileDurably(path, bytes, access);
}

bool writeAnsiAtomically(const QString& path, const QString& text, const AnsiCodec& codec) {
    return writeBytesAtomically(path, codec.encode(text));
}

bool writeNewFile(const QString& path, const QByteArray& bytes, FileAccess access) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                          access == FileAccess::ownerOnly ? 0600 : 0666);
    if (fd < 0) {
        return false;
    }
    bool written = writeAll(fd, bytes);
    written = ::close(fd) == 0 && written;
    if (!written) {
        ::unlink(name.constData());
    }
    return written;
}

Overwrite overwriteOwnFile(const QString& path, const QByteArray& bytes, FileAccess access) {
    const QByteArray name = QFile::encodeName(path);
    // Without O_NONBLOCK a named pipe under the name would stall the open until a reader came.
    const int fd = ::open(name.constData(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return Overwrite::notApplicable;
    }
    // Owning the file and being allowed to change its folder is what deleting it takes, also in a
    // folder with the sticky bit.
    struct stat info {};
    const bool deletable = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_nlink == 1 &&
                           info.st_uid == ::geteuid() &&
                           ::access(QFile::encodeName(QFileInfo(path).path()).constData(), W_OK | X_OK) == 0;
    if (!deletable) {
        ::close(fd);
        return Overwrite::notApplicable;
    }
    bool written = writeAll(fd, bytes) && ::ftruncate(fd, bytes.size()) == 0;
    if (access == FileAccess::ownerOnly && (info.st_mode & 07777) != 0600) {
        written = written && ::fchmod(fd, 0600) == 0;
    }
    written = ::close(fd) == 0 && written;
    if (!written) {
        ::unlink(name.constData());
        return Overwrite::failed;
    }
    return Overwrite::written;
}

}  // namespace tervalo::platform::TextFile
