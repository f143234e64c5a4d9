#include "transport/mailclient/MailClientEnvironment.h"

#include <QDir>

namespace tervalo::transport {

namespace {

QStringList pathList(const char* variable, const QStringList& fallback) {
    QStringList list = qEnvironmentVariable(variable).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return list.isEmpty() ? fallback : list;
}

// The XDG folder variables take absolute paths only; a relative one is ignored.
QStringList folderList(const char* variable, const QStringList& fallback) {
    QStringList list;
    for (const QString& path : pathList(variable, {})) {
        if (QDir::isAbsolutePath(path)) {
            list << path;
        }
    }
    return list.isEmpty() ? fallback : list;
}

QString homeFolder(const char* variable, const QString& fallbackUnderHome) {
    QString value = qEnvironmentVariable(variable);
    return QDir::isAbsolutePath(value) ? value : QDir::homePath() + fallbackUnderHome;
}

}  // namespace

MailClientEnvironment MailClientEnvironment::fromEnvironment() {
    MailClientEnvironment env;
    env.dataDirs << homeFolder("XDG_DATA_HOME", QStringLiteral("/.local/share"))
                 << folderList("XDG_DATA_DIRS",
                               {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
    env.configDirs << homeFolder("XDG_CONFIG_HOME", QStringLiteral("/.config"))
                   << folderList("XDG_CONFIG_DIRS", {QStringLiteral("/etc/xdg")});
    for (const QString& name : pathList("XDG_CURRENT_DESKTOP", {})) {
        env.desktopNames << name.toLower();
    }
    env.searchPath = pathList("PATH", {});
    env.sendmailPaths = {QStringLiteral("/usr/sbin/sendmail"), QStringLiteral("/usr/lib/sendmail")};
    return env;
}

}  // namespace tervalo::transport
