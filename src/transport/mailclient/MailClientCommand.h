#pragma once

#include <QString>

namespace tervalo::transport {

// How a listed mail client is started: its desktop entry's Exec line and what the Exec field codes
// take from the entry. Empty for the system's mail submission, which runs with arguments of its own.
struct MailClientCommand {
    QString exec;
    QString icon;
    QString name;       // the translated Name
    QString entryPath;  // the desktop entry file
};

}  // namespace tervalo::transport
