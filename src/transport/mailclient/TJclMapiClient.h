#pragma once

#include <QString>

namespace tervalo::transport {

// One registered mail client: on this platform a desktop handler of "mailto" addresses, or the
// system's mail submission program.
struct TJclMapiClient {
    QString ClientTitle;        // display name (the Czech name when the entry has one)
    QString ClientLibraryPath;  // the program that runs it, resolved on PATH
    QString ClientKeyName;      // desktop entry id, e.g. "posta.desktop"; "sendmail" for the system's
    bool ClientUsable = false;  // the program exists and may be run

    bool operator==(const TJclMapiClient&) const = default;
};

}  // namespace tervalo::transport
