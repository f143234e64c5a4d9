#include "platform/DurableWrite.h"

#include "platform/WriteAll.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace tervalo::platform {

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

// A temporary file beside `target`, created exclusively, so two processes replacing the same file
// at once never write into each other's temporary file.
int createTemporary(const QByteArray& target, QByteArray& name, FileAccess access) {
    for (;;) {
        name = target + ".tmp-" + QByteArray::number(::getpid()) + '-' +
               QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                              access == FileAccess::ownerOnly ? 0600 : 0666);
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

bool replaceFileDurably(const QString& path, const QByteArray& bytes, FileAccess access) {
    // A file kept elsewhere behind a symbolic link is replaced there; the link stays.
    const QFileInfo link(path);
    const QString finalPath = link.isSymLink() ? link.symLinkTarget() : path;
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
    written = written && syncDescriptor(fd);
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temporary.constData(), target.constData()) != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    return syncToDisk(QFileInfo(finalPath).absolutePath());
}

}  // namespace tervalo::platform
