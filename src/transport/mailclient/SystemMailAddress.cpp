#include "transport/mailclient/SystemMailAddress.h"

#include <QSysInfo>

#include <pwd.h>
#include <unistd.h>

namespace tervalo::transport {

QString SystemMailAddress() {
    const passwd* user = ::getpwuid(::getuid());
    const QString login = user ? QString::fromLocal8Bit(user->pw_name) : QString::number(::getuid());
    return login + QLatin1Char('@') + QSysInfo::machineHostName();
}

}  // namespace tervalo::transport
