#include "platform/FileWrite.h"

#include "platform/WriteAll.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace tervalo::platform::FileWrite {

namespace {

bool syncDescriptor(int fd) {
    while (::fsync(fd) != 0) {
        // A folder on a file system that cannot flush folders says so with EINVAL.
        if (errno == EINVAL) {
            return true;
        }
        if (errno != EINTR) {
            return false;
        }
    }
    return true;
}

int mode(FileAccess access) {
    return access == FileAccess::ownerOnly ? 0600 : 0666;
}

// A temporary file beside `target`, created exclusively, so two processes replacing the same file
// at once never write into each other's temporary file.
int createTemporary(const QByteArray& target, QByteArray& name, FileAccess access) {
    for (;;) {
        name = target + ".tmp-" + QByteArray::number(::getpid()) + '-' +
               QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode(access));
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
}

// Removes the temporary files that processes no longer running left beside `target` (killed between
// creating one and renaming it). Those of a running process, which may be replacing the same file
// now, stay.
void removeLeftTemporaries(const QString& target) {
    const QFileInfo info(target);
    const QString prefix = info.fileName() + QStringLiteral(".tmp-");
    QDir folder = info.absoluteDir();
    for (const QString& name : folder.entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden)) {
        bool isNumber = false;
        const qint64 pid = name.mid(prefix.size()).section(u'-', 0, 0).toLongLong(&isNumber);
        if (isNumber && pid > 0 && pid != ::getpid() && ::kill(pid_t(pid), 0) != 0 && errno == ESRCH) {
            folder.remove(name);
        }
    }
}

bool setTimes(int fd, const QDateTime& modified) {
    const qint64 ms = modified.toMSecsSinceEpoch();
    const timespec time{time_t(ms / 1000), long(ms % 1000) * 1000000};
    const timespec times[2] = {time, time};
    return ::futimens(fd, times) == 0;
}

// Puts `temporary` in place of `target`; with `keepExisting` a file already there stays and the move
// fails with EEXIST. File systems that cannot rename without replacing get a new link and lose the
// old one instead.
bool moveIntoPlace(const QByteArray& temporary, const QByteArray& target, bool keepExisting) {
    if (!keepExisting) {
        return ::rename(temporary.constData(), target.constData()) == 0;
    }
    if (::renameat2(AT_FDCWD, temporary.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EINVAL && errno != ENOSYS) {
        return false;
    }
    if (::link(temporary.constData(), target.constData()) != 0) {
        return false;
    }
    ::unlink(temporary.constData());
    return true;
}

bool writeDurably(const QString& finalPath, const QByteArray& bytes, FileAccess access,
                  const std::optional<QDateTime>& modified, bool keepExisting) {
    const QByteArray target = QFile::encodeName(finalPath);
    removeLeftTemporaries(finalPath);
    QByteArray temporary;
    const int fd = createTemporary(target, temporary, access);
    if (fd < 0) {
        return false;
    }
    struct stat old {};
    bool written = writeAll(fd, bytes);
    if (access == FileAccess::ownerOnly) {
        // The umask may only have taken bits away from 0600; the file is the owner's either way.
        written = written && ::fchmod(fd, 0600) == 0;
    } else if (written && ::stat(target.constData(), &old) == 0) {
        written = ::fchmod(fd, old.st_mode & 07777) == 0;
    }
    written = written && (!modified || setTimes(fd, *modified));
    written = written && syncDescriptor(fd);
    int error = errno;
    if (::close(fd) != 0 && written) {
        written = false;
        error = errno;
    }
    if (!written || !moveIntoPlace(temporary, target, keepExisting)) {
        error = written ? errno : error;
        ::unlink(temporary.constData());
        errno = error;
        return false;
    }
    return syncToDisk(QFileInfo(finalPath).absolutePath());
}

}  // namespace

bool syncToDisk(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const bool synced = syncDescriptor(fd);
    ::close(fd);
    return synced;
}

bool replaceDurably(const QString& path, const QByteArray& bytes, FileAccess access,
                    const std::optional<QDateTime>& modified) {
    // A file kept elsewhere behind a symbolic link is replaced there; the link stays.
    const QFileInfo link(path);
    return writeDurably(link.isSymLink() ? link.symLinkTarget() : path, bytes, access, modified, false);
}

bool createDurably(const QString& path, const QByteArray& bytes, FileAccess access) {
    return writeDurably(path, bytes, access, std::nullopt, true);
}

bool writeNewFile(const QString& path, const QByteArray& bytes, FileAccess access) {
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode(access));
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

}  // namespace tervalo::platform::FileWrite
