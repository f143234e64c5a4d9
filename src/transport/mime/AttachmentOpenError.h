#pragma once

#include "platform/Error.h"

#include <QString>

namespace tervalo::transport {

// A file to attach could not be opened or read; no part was added.
class AttachmentOpenError : public platform::Error {
public:
    AttachmentOpenError(const QString& path, const QString& reason)
        : platform::Error(QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason), path) {}
};

}  // namespace tervalo::transport
