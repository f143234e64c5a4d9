#include "platform/PrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace tervalo::platform {

bool makePrivateFolder(const QString& path) {
    const QString folder = QDir::cleanPath(path);
    const QByteArray name = QFile::encodeName(folder);
    if (::mkdir(name.constData(), 0700) == 0) {
        return true;
    }
    if (errno == ENOENT) {
        return QDir().mkpath(QFileInfo(folder).path()) && ::mkdir(name.constData(), 0700) == 0;
    }
    struct stat info {};
    if (errno != EEXIST || ::stat(name.constData(), &info) != 0 || !S_ISDIR(info.st_mode)) {
        return false;
    }
    // A folder made by an earlier version, or under a looser umask; one of another user stays as it is.
    if ((info.st_mode & 077) != 0 && info.st_uid == ::geteuid()) {
        ::chmod(name.constData(), info.st_mode & 07700);
    }
    return true;
}

}  // namespace tervalo::platform
