#pragma once

#include <QString>
#include <QStringList>

namespace tervalo::transport {

// Where the desktop keeps its mail handlers, in the order of precedence of the XDG base-directory
// rules: the user's folder first. Taken from the environment by the program, made up by tests.
struct MailClientEnvironment {
    QStringList dataDirs;       // $XDG_DATA_HOME, then $XDG_DATA_DIRS; desktop entries in "applications/"
    QStringList configDirs;     // $XDG_CONFIG_HOME, then $XDG_CONFIG_DIRS; mimeapps.list
    QStringList desktopNames;   // $XDG_CURRENT_DESKTOP, lower case, for "<desktop>-mimeapps.list"
    QStringList searchPath;     // $PATH
    QStringList sendmailPaths;  // fixed places of the system's mail submission, tried before PATH

    static MailClientEnvironment fromEnvironment();
};

}  // namespace tervalo::transport
