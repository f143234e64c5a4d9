#include "compose/PrepareFileForWrite.h"

#include <QFile>

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace tervalo::compose {

bool PrepareFileForWrite(const QString& path, UserInterface& ui) {
    const QByteArray name = QFile::encodeName(path);
    if (::unlink(name.constData()) == 0 || errno == ENOENT) {
        return true;
    }
    // lstat, so a dangling symbolic link that could not be deleted still counts as a name in the way.
    struct stat info {};
    if (::lstat(name.constData(), &info) == 0) {
        ui.error(QStringLiteral("Chyba: nelze přepsat soubor ") + path);
        return false;
    }
    return true;
}

}  // namespace tervalo::compose
