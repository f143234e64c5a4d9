#include "compose/PrepareFileForWrite.h"

#include <QFile>
#include <QFileInfo>

namespace tervalo::compose {

bool PrepareFileForWrite(const QString& path, UserInterface& ui) {
    QFile::remove(path);
    // A dangling symbolic link is a name that still blocks the write, though it points nowhere.
    const QFileInfo info(path);
    if (info.exists() || info.isSymLink()) {
        ui.error(QStringLiteral("Chyba: nelze přepsat soubor ") + path);
        return false;
    }
    return true;
}

}  // namespace tervalo::compose
