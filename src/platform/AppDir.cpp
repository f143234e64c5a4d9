#include "platform/AppDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tervalo::platform {

QString AppDir::ofExecutable() {
    QString dir = QCoreApplication::applicationDirPath();
    if (dir.isEmpty()) {
        dir = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
        dir = QFileInfo(dir).absolutePath();
    }
    return normalized(dir);
}

QString AppDir::normalized(const QString& path) {
    QString dir = path.trimmed();
    if (!dir.endsWith(QLatin1Char('/'))) {
        dir.append(QLatin1Char('/'));
    }
    return dir;
}

}  // namespace tervalo::platform
