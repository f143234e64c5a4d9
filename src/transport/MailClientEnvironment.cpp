#include "transport/MailClientEnvironment.h"

#include <QDir>

namespace tervalo::transport {

namespace {

QStringList pathList(const char* variable, const QStringList& fallback) {
    QStringList list = qEnvironmentVariable(variable).split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return list.isEmpty() ? fallback : list;
}

QString homeFolder(const char* variable, const QString& fallbackUnderHome) {
    QString value = qEnvironmentVariable(variable);
    return value.isEmpty() ? QDir::homePath() + fallbackUnderHome : value;
}

}  // namespace

MailClientEnvironment MailClientEnvironment::fromEnvironment() {
    MailClientEnvironment env;
    env.dataDirs << homeFolder("XDG_DATA_HOME", QStringLiteral("/.local/share"))
                 << pathList("XDG_DATA_DIRS",
                             {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
    env.configDirs << homeFolder("XDG_CONFIG_HOME", QStringLiteral("/.config"))
                   << pathList("XDG_CONFIG_DIRS", {QStringLiteral("/etc/xdg")});
    for (const QString& name : pathList("XDG_CURRENT_DESKTOP", {})) {
        env.desktopNames << name.toLower();
    }
    env.searchPath = pathList("PATH", {});
    env.sendmailPaths = {QStringLiteral("/usr/sbin/sendmail"), QStringLiteral("/usr/lib/sendmail")};
    return env;
}

}  // namespace tervalo::transport
